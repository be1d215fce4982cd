#pragma once

#include <QString>
#include <QStringList>

namespace tarnex {

// What the command line "tarnex95 source key flag" pre-fills; kept for the whole run and re-applied
// on every language switch.
struct TStartValues {
    QString fileName;
    QString key;
    int direction = 0; // 0 = Crypt, 1 = DeCrypt
};

// Reads the arguments after the program name. Missing arguments leave their value empty (or 0), and
// the option "-unregister"/"/unregister" is not a start value.
[[nodiscard]] TStartValues ReadStartValues(const QStringList& arguments);

// True when an argument is the option "unregister" introduced by "-" or "/".
[[nodiscard]] bool HasUnregisterOption(const QStringList& arguments);

// A decimal integer as C reads one: leading white space, an optional sign, digits up to the first
// non-digit; 0 when there are none. Values beyond the int range are clamped.
[[nodiscard]] int ReadDecimal(const QString& text);

} // namespace tarnex
