#pragma once
// The program's own generator: a 32-bit linear feedback shift register seeded
// from the clock once at start-up. It supplies chaining values, filler bytes and
// wipe patterns; it is not meant to be unpredictable. User-interface thread only.
#include <cstdint>

#include "platform/clock.h"

namespace vlt {

// Seeds from UtcTimeNow().
void RandomizeFromClock();
// The seeding rule: milliseconds & 0x7F in bits 0-6, seconds & 0x3F in 7-12,
// minutes & 0x3F in 13-18, hours & 0x1F in 19-23, day & 0x1F in 24-28. A time
// that packs to 0 (never a real one: days start at 1) seeds 1 instead.
void SeedRandomFromTime(const UtcTime& t);

void SetRandomState(std::uint32_t state);
[[nodiscard]] std::uint32_t RandomState();

// 32 register steps; the first output bit ends in bit 31.
[[nodiscard]] std::uint32_t NextBits32();
// XOR of the low bytes of 16 NextBits32 values.
[[nodiscard]] std::uint8_t RandomByte();
// XOR of 16 NextBits32 values.
[[nodiscard]] std::uint32_t RandomDword();

} // namespace vlt
