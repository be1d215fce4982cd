#pragma once
// The GOST engine's fixed substitution table and the byte tables built from it.
#include <cstdint>

namespace vlt::gost {

// Row r substitutes bits 31-4r .. 28-4r of the round input (row 0 the most
// significant nibble). The rows are the first rows of the DES S-boxes S1..S8.
inline constexpr std::uint8_t GostSBoxes[8][16] = {
    {14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7}, {15, 1, 8, 14, 6, 11, 3, 4, 9, 7, 2, 13, 12, 0, 5, 10},
    {10, 0, 9, 14, 6, 3, 15, 5, 1, 13, 12, 7, 11, 4, 2, 8}, {7, 13, 14, 3, 0, 6, 9, 10, 1, 2, 8, 5, 11, 12, 4, 15},
    {2, 12, 4, 1, 7, 10, 11, 6, 8, 5, 3, 15, 13, 0, 14, 9}, {12, 1, 10, 15, 9, 2, 6, 8, 0, 13, 3, 4, 14, 7, 5, 11},
    {4, 11, 2, 14, 15, 0, 8, 13, 3, 12, 9, 7, 5, 10, 6, 1}, {13, 2, 8, 4, 6, 15, 11, 1, 10, 9, 3, 14, 5, 0, 12, 7},
};

struct ByteTables {
    // T[m][b] = row 2m [b >> 4] << 4 | row 2m+1 [b & 15]; T[0] serves the most significant byte.
    std::uint8_t T[4][256];
    // T[m][b] moved to its byte of the round word and rotated left by 11, so that
    // the round function is four lookups ORed together.
    std::uint32_t Rotated[4][256];
};

// Builds the byte tables on the first call (once per process; thread-safe) and
// returns them. Called at program start and by every GOST engine.
const ByteTables& PrepareTables();

} // namespace vlt::gost
