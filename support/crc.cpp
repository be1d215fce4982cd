#include "support/crc.h"

#include "support/little_endian.h"

#include <array>

namespace vlt {

namespace {

template <class Word> constexpr std::array<Word, 256> ReflectedTable(Word polynomial) {
    std::array<Word, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        Word v = static_cast<Word>(i);
        for (int bit = 0; bit < 8; ++bit) {
            v = (v & 1) ? static_cast<Word>((v >> 1) ^ polynomial) : static_cast<Word>(v >> 1);
        }
        table[i] = v;
    }
    return table;
}

// Slicing by 16: slice[k][b] is the CRC of byte b followed by k zero bytes, so
// 16 bytes cost 16 independent lookups instead of a chain of 16.
constexpr std::size_t kSlices = 16;

constexpr std::array<std::array<std::uint32_t, 256>, kSlices> BuildCrc32Slices() {
    std::array<std::array<std::uint32_t, 256>, kSlices> slice{};
    slice[0] = ReflectedTable<std::uint32_t>(0xEDB88320u);
    for (std::size_t k = 1; k < kSlices; ++k) {
        for (unsigned b = 0; b < 256; ++b) {
            const std::uint32_t previous = slice[k - 1][b];
            slice[k][b] = (previous >> 8) ^ slice[0][previous & 0xFF];
        }
    }
    return slice;
}

constexpr auto kCrc32 = BuildCrc32Slices();
constexpr auto kCrc16 = ReflectedTable<std::uint16_t>(0xA001u);

} // namespace

void InitCrcTables() {}

std::uint32_t Crc32Update(const void* data, std::size_t length, std::uint32_t crc) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (; length >= kSlices; length -= kSlices, p += kSlices) {
        const std::uint32_t a = GetLe32(p) ^ crc;
        const std::uint32_t b = GetLe32(p + 4);
        const std::uint32_t c = GetLe32(p + 8);
        const std::uint32_t d = GetLe32(p + 12);
        crc = kCrc32[15][a & 0xFF] ^ kCrc32[14][(a >> 8) & 0xFF] ^ kCrc32[13][(a >> 16) & 0xFF] ^ kCrc32[12][a >> 24] ^
              kCrc32[11][b & 0xFF] ^ kCrc32[10][(b >> 8) & 0xFF] ^ kCrc32[9][(b >> 16) & 0xFF] ^ kCrc32[8][b >> 24] ^
              kCrc32[7][c & 0xFF] ^ kCrc32[6][(c >> 8) & 0xFF] ^ kCrc32[5][(c >> 16) & 0xFF] ^ kCrc32[4][c >> 24] ^
              kCrc32[3][d & 0xFF] ^ kCrc32[2][(d >> 8) & 0xFF] ^ kCrc32[1][(d >> 16) & 0xFF] ^ kCrc32[0][d >> 24];
    }
    for (; length > 0; --length, ++p) {
        crc = (crc >> 8) ^ kCrc32[0][(crc ^ *p) & 0xFF];
    }
    return crc;
}

std::uint16_t Crc16Update(const void* data, std::size_t length, std::uint16_t crc) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (; length > 0; --length, ++p) {
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kCrc16[(crc ^ *p) & 0xFF]);
    }
    return crc;
}

std::uint8_t XorChecksum(const void* data, std::size_t length, std::uint8_t start) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (; length > 0; --length, ++p) {
        start ^= *p;
    }
    return start;
}

} // namespace vlt
