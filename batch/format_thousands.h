#pragma once
// Counts and sizes as the log and the summaries show them: groups of three digits
// joined by ",".
#include <cstdint>
#include <string>

namespace vlt {

// "0", "999", "1,000", "2,147,483,647"; 64-bit so that sizes beyond 2 GB read right.
// Negative values keep their sign in front of the first group.
[[nodiscard]] std::string FormatThousands(std::int64_t value);

} // namespace vlt
