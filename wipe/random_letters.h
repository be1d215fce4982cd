#pragma once
// Random names of letters and digits for files that must not keep a telling name
// (renamed encrypted files, wiped files on their way out).
#include <cstddef>
#include <string>

namespace vlt {

// n characters of "A-Za-z0-9": each from an 8-bit draw v of the general-purpose
// generator (seeded from the clock once), character v * 62 / 256.
[[nodiscard]] std::string RandomLetters(std::size_t n);

} // namespace vlt
