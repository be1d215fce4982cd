#include "batch/browser_texts.h"

#include <ctime>

#include "batch/shown_name.h"
#include "platform/attributes.h"

namespace vlt {

namespace {

void PutTwoDigits(std::string& out, int value) {
    out.push_back(static_cast<char>('0' + value / 10 % 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

// Length of the valid UTF-8 sequence at `at`, 0 when there is none (stray, overlong,
// surrogate or beyond U+10FFFF).
std::size_t Utf8SequenceLength(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

} // namespace

std::string FileDateTimeText(std::int64_t unixSeconds) {
    const auto seconds = static_cast<time_t>(unixSeconds);
    tm local{};
    if (!localtime_r(&seconds, &local)) {
        return {};
    }
    std::string text;
    text.reserve(15);
    PutTwoDigits(text, local.tm_mon + 1);
    text.push_back('-');
    PutTwoDigits(text, local.tm_mday);
    text.push_back('-');
    PutTwoDigits(text, (local.tm_year + 1900) % 100);
    text.push_back(' ');
    const int hour12 = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
    PutTwoDigits(text, hour12);
    text.push_back(':');
    PutTwoDigits(text, local.tm_min);
    text.push_back(local.tm_hour < 12 ? 'a' : 'p');
    return text;
}

std::string DateColumnText(const std::string& dateTime) {
    return dateTime.substr(0, 8);
}

std::string TimeColumnText(const std::string& dateTime) {
    return dateTime.size() > 9 ? dateTime.substr(9, 6) : std::string();
}

std::string AttributeLetters(std::uint16_t attributes) {
    std::string letters;
    if (attributes & faArchive) {
        letters += 'a';
    }
    if (attributes & faReadOnly) {
        letters += 'r';
    }
    if (attributes & faHidden) {
        letters += 'h';
    }
    if (attributes & faSystem) {
        letters += 's';
    }
    return letters;
}

std::string DisplayName(const std::string& name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    // Control characters and "\" as the log shows them; what is left that is no
    // UTF-8 at all follows as "\xHH", which cannot be confused with a name's own
    // backslashes, as those are doubled.
    const std::string escaped = ShownName(name);
    std::string shown;
    shown.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size();) {
        const auto byte = static_cast<unsigned char>(escaped[i]);
        const std::size_t length = byte < 0x80 ? 1 : Utf8SequenceLength(escaped, i);
        if (length == 0) {
            shown += "\\x";
            shown.push_back(kHex[byte >> 4]);
            shown.push_back(kHex[byte & 0x0F]);
            ++i;
        } else {
            shown.append(escaped, i, length);
            i += length;
        }
    }
    return shown;
}

const char* DriveDescription(DriveType type) {
    switch (type) {
    case DriveType::Fixed:
        return "Local disk";
    case DriveType::Remote:
        return "Network drive";
    case DriveType::Removable:
        return "Floppy";
    case DriveType::CdRom:
        return "CD-ROM Disc";
    case DriveType::RamDisk:
        return "RAM Disk";
    }
    return "";
}

std::string DriveCaption(const DriveInfo& drive) {
    return "(" + DisplayName(drive.mountPoint) + ") " + DriveDescription(drive.type);
}

ItemKind DriveKind(DriveType type) {
    switch (type) {
    case DriveType::Removable:
        return ikFloppyDrive;
    case DriveType::CdRom:
        return ikCdRomDrive;
    case DriveType::Fixed:
    case DriveType::Remote:
    case DriveType::RamDisk:
        break;
    }
    return ikDrive;
}

} // namespace vlt
