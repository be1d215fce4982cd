#include "support/little_endian.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace vlt {
namespace {

// Each width stores its low byte first and reads back what it stored; the high bit
// of every byte is set somewhere so that a sign-extending load would show.
TEST(LittleEndian, StoresLowByteFirstAndReadsItBack) {
    std::array<std::uint8_t, 8> bytes{};

    PutLe16(bytes.data(), 0x81F2u);
    EXPECT_EQ(bytes[0], 0xF2);
    EXPECT_EQ(bytes[1], 0x81);
    EXPECT_EQ(GetLe16(bytes.data()), 0x81F2u);

    PutLe32(bytes.data(), 0x8899AABBu);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 8>{0xBB, 0xAA, 0x99, 0x88, 0, 0, 0, 0}));
    EXPECT_EQ(GetLe32(bytes.data()), 0x8899AABBu);

    PutLe64(bytes.data(), 0xF1E2D3C4B5A69788ull);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 8>{0x88, 0x97, 0xA6, 0xB5, 0xC4, 0xD3, 0xE2, 0xF1}));
    EXPECT_EQ(GetLe64(bytes.data()), 0xF1E2D3C4B5A69788ull);
}

} // namespace
} // namespace vlt
