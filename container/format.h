#pragma once
// The encrypted file container: a clear file header and parameter block, an
// enciphered info block and stored name, clear block headers each followed by
// enciphered block data, and an enciphered trailer. All integers little-endian;
// one CBC chain runs from the info block to the trailer.
#include "container/result_code.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vlt {

inline constexpr std::uint32_t FormatMagic = 0x75191114;
inline constexpr std::uint16_t kGenerationWordVlt95 = 0x0802;
inline constexpr std::uint16_t kGenerationWordVlt7 = 0x0700;
inline constexpr std::uint8_t kGenerationVlt95 = 8; // high byte of the generation word
inline constexpr std::uint8_t kGenerationVlt7 = 7;

inline constexpr std::size_t kFileHeaderSize = 7;
inline constexpr std::size_t kParamBlockSize = 14;
inline constexpr std::size_t kInfoBlockSize = 8;
inline constexpr std::size_t kTrailerSize = 8;
inline constexpr std::size_t kMaxStoredNameLength = 255;
inline constexpr std::size_t kNameBufferSize = 256; // the longest name, padded
inline constexpr std::uint8_t kParamBlockLength = 0x0E;

// Block flags.
inline constexpr std::uint8_t bfLast = 0x01;
inline constexpr std::uint8_t bfCompressed = 0x02;
inline constexpr std::uint8_t bfLongHeader = 0x04;

// What differs between the two generations. The read buffer size is the original
// length of every block but the last; the work buffer bounds the padded stored data.
struct FormatGeneration {
    std::uint16_t generationWord;
    std::size_t blockHeaderSize;
    std::uint32_t readBufferSize;
    std::uint32_t workBufferSize;
    bool derivedKeys;
};
inline constexpr FormatGeneration kVlt95Format{kGenerationWordVlt95, 7, 245760, 262144, true};
inline constexpr FormatGeneration kVlt7Format{kGenerationWordVlt7, 5, 61440, 65520, false};

[[nodiscard]] constexpr const FormatGeneration& GenerationFor(bool vlt7Mode) {
    return vlt7Mode ? kVlt7Format : kVlt95Format;
}

// The work file written while a file is replaced in place: a literal name, not a
// pattern ("§§VLT%%.&&&" in UTF-8).
inline constexpr char TempName[] = "\xC2\xA7\xC2\xA7VLT%%.&&&";

// n rounded up to a multiple of the 8-byte cipher block; 0 stays 0.
[[nodiscard]] constexpr std::uint32_t PaddedLength(std::uint32_t n) {
    return (n + 7u) & ~7u;
}

struct BlockHeader {
    std::uint8_t flags = 0;
    std::uint32_t storedLength = 0;   // 24 bits (16 in the VLT7 format)
    std::uint32_t originalLength = 0; // 24 bits (16 in the VLT7 format)
};
inline constexpr std::size_t kMaxBlockHeaderSize = 7;

// Writes the 7-byte (VLT95) or 5-byte (VLT7) form; returns its size. The VLT95 form
// always carries bfLongHeader.
std::size_t EncodeBlockHeader(const BlockHeader& header, bool vlt7Mode, std::uint8_t* out);
// Reads the form of the given generation; VLT7 lengths have a high byte of 0.
[[nodiscard]] BlockHeader DecodeBlockHeader(const std::uint8_t* in, bool vlt7Mode);

struct CheckResult {
    ResultCode code;              // resIOError, ceEncrypted, ceNotEncrypted or resFatalError
    std::uint16_t generationWord; // valid with ceEncrypted
};

// The quick header test: at least 7 bytes and FormatMagic at offset 2.
[[nodiscard]] CheckResult CheckEncrypted(const std::string& path);
// The same test on the first `got` bytes of a file (ceEncrypted or ceNotEncrypted).
[[nodiscard]] CheckResult CheckEncryptedHeader(const std::uint8_t* header, std::size_t got);

} // namespace vlt
