#include "batch/shown_name.h"

#include <cstdio>

namespace vlt {
namespace {

std::string Escaped(const char* format, unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Length of a valid UTF-8 sequence starting at `at`, 0 when there is none.
std::size_t SequenceLength(const std::string& text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

} // namespace

std::string ShownName(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\\') {
            shown += "\\\\";
            ++i;
        } else if (byte < 0x20 || byte == 0x7F) {
            shown += Escaped("\\x%02X", byte);
            ++i;
        } else if (byte < 0x80) {
            shown += text[i++];
        } else if (const std::size_t length = SequenceLength(text, i); length != 0) {
            const auto second = static_cast<unsigned char>(text[i + 1]);
            if (byte == 0xC2 && second < 0xA0) {
                shown += Escaped("\\u%04X", second); // U+0080..U+009F
            } else {
                shown.append(text, i, length);
            }
            i += length;
        } else {
            shown += byte < 0xA0 ? Escaped("\\x%02X", byte) : std::string(1, text[i]);
            ++i;
        }
    }
    return shown;
}

} // namespace vlt
