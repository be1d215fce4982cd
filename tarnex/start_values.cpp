#include "tarnex/start_values.h"

#include <limits>

namespace tarnex {
namespace {

bool IsUnregisterOption(const QString& argument) {
    return (argument.startsWith(u'-') || argument.startsWith(u'/')) &&
           argument.mid(1).compare(QStringLiteral("unregister"), Qt::CaseInsensitive) == 0;
}

} // namespace

TStartValues ReadStartValues(const QStringList& arguments) {
    QStringList values;
    for (const QString& argument : arguments) {
        if (!IsUnregisterOption(argument)) {
            values.append(argument);
        }
    }
    TStartValues start;
    start.fileName = values.value(0);
    start.key = values.value(1);
    start.direction = ReadDecimal(values.value(2));
    return start;
}

bool HasUnregisterOption(const QStringList& arguments) {
    return std::any_of(arguments.begin(), arguments.end(), IsUnregisterOption);
}

int ReadDecimal(const QString& text) {
    qsizetype at = 0;
    while (at < text.size() && text[at].isSpace()) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
        negative = text[at] == u'-';
        ++at;
    }
    long long value = 0;
    constexpr long long kLimit = std::numeric_limits<int>::max() + 1LL;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        value = std::min(kLimit, value * 10 + (text[at].unicode() - u'0'));
    }
    value = negative ? -value : std::min(value, kLimit - 1);
    return int(value);
}

} // namespace tarnex
