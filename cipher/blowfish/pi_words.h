#pragma once
// The initial tables of both Blowfish variants are consecutive runs of one
// sequence: the hexadecimal digits of pi's fractional part, 8 digits per word.
// Blowfish uses words 0..1041, Blowfish32 the 16 words longer run 0..1057.
#include <array>
#include <cstddef>
#include <cstdint>

namespace vlt {

inline constexpr std::size_t kPiWordCount = 1058;

extern const std::array<std::uint32_t, kPiWordCount> kPiWords;

} // namespace vlt
