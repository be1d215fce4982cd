#include "support/random.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace vlt {
namespace {

TEST(Random, SeedPacksTheClockFields) {
    const struct {
        UtcTime time;
        std::uint32_t state;
    } cases[] = {
        {{2026, 12, 1, 0, 0, 0, 0}, 0x01000000u},
        {{2026, 12, 31, 23, 59, 59, 999}, 31u << 24 | 23u << 19 | 59u << 13 | 59u << 7 | (999u & 0x7F)},
        {{1999, 1, 17, 5, 6, 7, 130}, 17u << 24 | 5u << 19 | 6u << 13 | 7u << 7 | (130u & 0x7F)},
        {{2026, 1, 0, 0, 0, 0, 0}, 1u}, // no valid day: a zero register would stay zero
    };
    for (const auto& c : cases) {
        SeedRandomFromTime(c.time);
        EXPECT_EQ(RandomState(), c.state);
    }
    RandomizeFromClock();
    EXPECT_NE(RandomState(), 0u);
    EXPECT_EQ(RandomState() >> 29, 0u);
}

// The register as first stated: a 1 shifted out gives ((s XOR 0x80000057) >> 1) OR 0x80000000.
std::uint32_t Reference(std::uint32_t& state) {
    std::uint32_t result = 0;
    for (int i = 0; i < 32; ++i) {
        const std::uint32_t bit = state & 1;
        state = bit ? ((state ^ 0x80000057u) >> 1) | 0x80000000u : state >> 1;
        result = result << 1 | bit;
    }
    return result;
}

TEST(Random, RegisterStepsAndOutputOrder) {
    // From state 1 the first step outputs 1 (bit 31) and leaves 0xC000002B; from
    // state 2 it outputs 0 and leaves 1, whose step then outputs 1 (bit 30).
    SetRandomState(1);
    EXPECT_EQ(NextBits32() >> 31, 1u);
    SetRandomState(2);
    EXPECT_EQ(NextBits32() >> 30, 1u);

    std::uint32_t reference = 0x01000000u;
    SetRandomState(reference);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(NextBits32(), Reference(reference)) << i;
        ASSERT_EQ(RandomState(), reference);
    }
}

TEST(Random, ByteAndDwordFoldSixteenOutputs) {
    SetRandomState(0x00ABCDEFu);
    std::uint32_t dword = 0;
    for (int i = 0; i < 16; ++i) {
        dword ^= NextBits32();
    }
    std::uint8_t byte = 0;
    for (int i = 0; i < 16; ++i) {
        byte ^= static_cast<std::uint8_t>(NextBits32());
    }
    const std::uint32_t after = RandomState();

    SetRandomState(0x00ABCDEFu);
    EXPECT_EQ(RandomDword(), dword);
    EXPECT_EQ(RandomByte(), byte);
    EXPECT_EQ(RandomState(), after);
}

} // namespace
} // namespace vlt
