#pragma once
// Passphrases are stored files' key material, and the stored files were written from
// Windows-1252 text. Both programs turn typed UTF-8 text into those bytes with this one
// conversion, so that one typed passphrase opens a file in either program.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vlt {

struct Windows1252Result {
    enum class Error { None, InvalidUtf8, NoByte };
    std::string bytes;          // the Windows-1252 bytes; empty on an error
    Error error = Error::None;
    std::string character;      // NoByte: the offending character as UTF-8
    std::size_t position = 0;   // byte offset of the offending character in the input

    [[nodiscard]] bool Ok() const { return error == Error::None; }
};

// Every character must have a Windows-1252 byte: nothing is replaced or dropped.
[[nodiscard]] Windows1252Result Utf8ToWindows1252(std::string_view utf8);

// The Windows-1252 bytes as UTF-8 text; every byte value has a character.
[[nodiscard]] std::string Windows1252ToUtf8(std::string_view bytes);

} // namespace vlt
