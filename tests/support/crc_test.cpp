#include "support/crc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vlt {
namespace {

// The checksum as a bit-serial loop over the reflected polynomial: the
// definition the table steps must agree with.
std::uint32_t BitwiseCrc32(const std::vector<std::uint8_t>& data, std::uint32_t crc) {
    for (std::uint8_t byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ ((crc & 1) ? 0xEDB88320u : 0u);
        }
    }
    return crc;
}

std::uint32_t ContentCrc(const std::string& text) {
    return ~Crc32Update(text.data(), text.size(), 0xFFFFFFFFu);
}

TEST(Crc, CheckValues) {
    InitCrcTables();
    InitCrcTables(); // idempotent
    EXPECT_EQ(ContentCrc(""), 0u);
    EXPECT_EQ(ContentCrc("123456789"), 0xCBF43926u);
    EXPECT_EQ(ContentCrc("abc"), 0x352441C2u);
    EXPECT_EQ(ContentCrc("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
    EXPECT_EQ(Crc16Update("123456789", 9, 0), 0xBB3Du);
    EXPECT_EQ(Crc16Update("", 0, 0), 0u);
    EXPECT_EQ(Crc16Update("x", 0, 0x1234), 0x1234u);
}

// The 16-byte steps and the byte tail must give the bit-serial result for every
// length and start offset, and any split of the input.
TEST(Crc, Crc32MatchesTheBitSerialDefinitionInAnyPieces) {
    std::mt19937 random(21);
    std::vector<std::uint8_t> data(1000);
    for (auto& byte : data) {
        byte = static_cast<std::uint8_t>(random());
    }
    for (std::size_t offset : {0u, 1u, 3u}) {
        for (std::size_t length : {0u, 1u, 15u, 16u, 17u, 31u, 32u, 33u, 500u, 997u}) {
            const std::vector<std::uint8_t> piece(data.begin() + static_cast<std::ptrdiff_t>(offset),
                                                  data.begin() + static_cast<std::ptrdiff_t>(offset + length));
            const std::uint32_t expected = BitwiseCrc32(piece, 0x12345678u);
            EXPECT_EQ(Crc32Update(piece.data(), length, 0x12345678u), expected) << offset << "+" << length;
            const std::size_t split = length / 3;
            const std::uint32_t first = Crc32Update(piece.data(), split, 0x12345678u);
            EXPECT_EQ(Crc32Update(piece.data() + split, length - split, first), expected);
        }
    }
}

TEST(Crc, XorChecksum) {
    const std::uint8_t twoEqual[] = {0x5C, 0x5C};
    EXPECT_EQ(XorChecksum(twoEqual, 2, 0), 0u);
    const std::uint8_t bytes[] = {0x01, 0x02, 0x04, 0x80};
    EXPECT_EQ(XorChecksum(bytes, 4, 0), 0x87u);
    EXPECT_EQ(XorChecksum(bytes, 4, 0xFF), 0x78u);
    EXPECT_EQ(XorChecksum(bytes, 0, 0x42), 0x42u);
}

} // namespace
} // namespace vlt
