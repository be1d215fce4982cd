#include "support/windows_1252.h"

#include <array>
#include <optional>

#include "support/secure_memory.h"

namespace vlt {

namespace {

// Bytes 0x80..0x9F. The five bytes the code page leaves unassigned (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) stand for the control characters of the same number, as the system's own
// conversion does, so that every byte value can be typed and shown.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::optional<std::uint8_t> ByteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<std::uint8_t>(c);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) {
            return static_cast<std::uint8_t>(0x80 + i);
        }
    }
    return std::nullopt;
}

char32_t CharacterOf(std::uint8_t byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

// Decodes one UTF-8 sequence at `i`; its length in `length`, nothing when it is not
// the shortest well-formed encoding of a scalar value.
std::optional<char32_t> DecodeAt(std::string_view text, std::size_t i, std::size_t& length) {
    const auto lead = static_cast<std::uint8_t>(text[i]);
    if (lead < 0x80) {
        length = 1;
        return lead;
    }
    std::size_t count = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        count = 2, value = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        count = 3, value = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        count = 4, value = lead & 0x07, smallest = 0x10000;
    } else {
        return std::nullopt;
    }
    if (i + count > text.size()) {
        return std::nullopt;
    }
    for (std::size_t k = 1; k < count; ++k) {
        const auto next = static_cast<std::uint8_t>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    length = count;
    return value;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

} // namespace

Windows1252Result Utf8ToWindows1252(std::string_view utf8) {
    Windows1252Result result;
    // Passphrases pass through here: reserve once so no partial copy is left behind.
    result.bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t length = 0;
        const std::optional<char32_t> c = DecodeAt(utf8, i, length);
        const std::optional<std::uint8_t> byte = c ? ByteOf(*c) : std::nullopt;
        if (!byte) {
            SecureZero(result.bytes.data(), result.bytes.size());
            result.bytes.clear();
            result.error = c ? Windows1252Result::Error::NoByte : Windows1252Result::Error::InvalidUtf8;
            result.position = i;
            if (c) {
                result.character = std::string(utf8.substr(i, length));
            }
            return result;
        }
        result.bytes.push_back(static_cast<char>(*byte));
        i += length;
    }
    return result;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const char byte : bytes) {
        AppendUtf8(text, CharacterOf(static_cast<std::uint8_t>(byte)));
    }
    return text;
}

} // namespace vlt
