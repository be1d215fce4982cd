#include "support/random.h"

namespace vlt {

namespace {

std::uint32_t generatorState = 1;

// One step: the output is the low bit; a 1 shifts out with the feedback taps.
std::uint32_t Step(std::uint32_t& state) {
    const std::uint32_t bit = state & 1;
    state = (state >> 1) ^ (bit ? 0xC000002Bu : 0u);
    return bit;
}

} // namespace

void RandomizeFromClock() {
    SeedRandomFromTime(UtcTimeNow());
}

void SeedRandomFromTime(const UtcTime& t) {
    generatorState = (std::uint32_t{t.millisecond} & 0x7F) | (std::uint32_t{t.second} & 0x3F) << 7 |
                     (std::uint32_t{t.minute} & 0x3F) << 13 | (std::uint32_t{t.hour} & 0x1F) << 19 |
                     (std::uint32_t{t.day} & 0x1F) << 24;
    // A zero register only ever yields zeros; a clock that reads as all zeros
    // (no valid day) must not silence the generator.
    if (generatorState == 0) {
        generatorState = 1;
    }
}

void SetRandomState(std::uint32_t state) {
    generatorState = state;
}

std::uint32_t RandomState() {
    return generatorState;
}

std::uint32_t NextBits32() {
    std::uint32_t result = 0;
    for (int i = 0; i < 32; ++i) {
        result = result << 1 | Step(generatorState);
    }
    return result;
}

std::uint8_t RandomByte() {
    std::uint8_t x = static_cast<std::uint8_t>(NextBits32());
    for (int i = 0; i < 15; ++i) {
        x ^= static_cast<std::uint8_t>(NextBits32());
    }
    return x;
}

std::uint32_t RandomDword() {
    std::uint32_t x = NextBits32();
    for (int i = 0; i < 15; ++i) {
        x ^= NextBits32();
    }
    return x;
}

} // namespace vlt
