#pragma once
// DOS date-times in local time: the time in the low 16 bits (seconds / 2, minutes,
// hours), the date in the high 16 bits (day, month, years since 1980).
#include <cstdint>

namespace vlt {

constexpr std::uint32_t kInvalidDosDateTime = 0xFFFFFFFF;

// Local time of `unixSeconds`, odd seconds rounded down; kInvalidDosDateTime
// outside the years 1980 to 2107.
[[nodiscard]] std::uint32_t UnixToDosDateTime(std::int64_t unixSeconds);
// False for fields out of range (month 0, February 30th, hour 24, ...).
[[nodiscard]] bool DosDateTimeToUnix(std::uint32_t dos, std::int64_t& unixSeconds);

} // namespace vlt
