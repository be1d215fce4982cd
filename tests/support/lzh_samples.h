#pragma once
// Deterministic sample content for the codec tests.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/lzh_reference.h"

namespace vlt::testing {

// English-like words, punctuation and line breaks.
std::vector<std::uint8_t> TextSample(std::size_t n, std::uint32_t seed);
// Records of little-endian counters, small numbers, flags and zero runs, like a table
// in a program's data file.
std::vector<std::uint8_t> BinarySample(std::size_t n, std::uint32_t seed);
// A stream of symbols whose weights grow like Fibonacci numbers, so that the adaptive
// Huffman tree gets deep and the rare symbols at its end get codes longer than 16 bits.
std::vector<LzhToken> SkewedTokens(std::uint32_t seed);

} // namespace vlt::testing
