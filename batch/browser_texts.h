#pragma once
// The texts the browser shows for a directory entry.
#include <cstdint>
#include <string>

#include "batch/browser_item.h"
#include "platform/drives.h"

namespace vlt {

// "MM-DD-YY hh:mmX" of a last write time (unix seconds) in local time: two-digit
// month, day and year, 12-hour clock (0 becomes 12), X "a" before noon, "p" from noon.
[[nodiscard]] std::string FileDateTimeText(std::int64_t unixSeconds);
// The Date column: the first 8 characters; the Time column: the 6 from the tenth on.
[[nodiscard]] std::string DateColumnText(const std::string& dateTime);
[[nodiscard]] std::string TimeColumnText(const std::string& dateTime);

// "a", "r", "h", "s" in that order for the archive, read-only, hidden and system bits.
[[nodiscard]] std::string AttributeLetters(std::uint16_t attributes);

// A file name as the browser shows it: ShownName's form (control characters escaped,
// "\" doubled) with every byte that is no UTF-8 written as "\xHH", so the user can
// tell such names apart. The item keeps the original bytes for every path.
[[nodiscard]] std::string DisplayName(const std::string& name);

// "Local disk", "Network drive", "Floppy", "CD-ROM Disc", "RAM Disk".
[[nodiscard]] const char* DriveDescription(DriveType type);
// "(" + mount point + ") " + description, and the matching item kind.
[[nodiscard]] std::string DriveCaption(const DriveInfo& drive);
[[nodiscard]] ItemKind DriveKind(DriveType type);

} // namespace vlt
