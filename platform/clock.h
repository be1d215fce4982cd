#pragma once
// The wall clock in UTC, the one source of time the random generator is seeded from.
#include <cstdint>

namespace vlt {

struct UtcTime {
    std::uint16_t year = 0;
    std::uint8_t month = 0;  // 1..12
    std::uint8_t day = 0;    // 1..31
    std::uint8_t hour = 0;   // 0..23
    std::uint8_t minute = 0; // 0..59
    std::uint8_t second = 0; // 0..59
    std::uint16_t millisecond = 0;
};

UtcTime UtcTimeNow() noexcept;

} // namespace vlt
