#include "cipher/idea/idea_rounds.h"

namespace vlt::idea {

void ExpandKey(const std::uint8_t key[16], std::uint16_t Z[kSubkeys]) {
    for (int i = 0; i < 8; ++i) {
        Z[i] = static_cast<std::uint16_t>(key[2 * i] << 8 | key[2 * i + 1]);
    }
    int i = 0;
    int b = 0;
    for (int n = 0; n < kSubkeys - 8; ++n) {
        ++i;
        Z[b + i + 7] = static_cast<std::uint16_t>(Z[b + (i & 7)] << 9 | Z[b + ((i + 1) & 7)] >> 7);
        b += i & 8;
        i &= 7;
    }
}

std::uint16_t MulInverse(std::uint16_t x) {
    // x^(65537-2) modulo the prime 65537; gives 0 for 0.
    std::uint64_t result = 1;
    std::uint64_t base = x;
    for (std::uint32_t e = 65535; e != 0; e >>= 1) {
        if (e & 1) {
            result = result * base % 65537;
        }
        base = base * base % 65537;
    }
    return static_cast<std::uint16_t>(result);
}

void InvertKey(const std::uint16_t Z[kSubkeys], std::uint16_t DK[kSubkeys]) {
    auto negate = [](std::uint16_t x) { return static_cast<std::uint16_t>(-x); };
    DK[0] = MulInverse(Z[48]);
    DK[1] = negate(Z[49]);
    DK[2] = negate(Z[50]);
    DK[3] = MulInverse(Z[51]);
    for (int j = 1; j <= 7; ++j) {
        const int s = 6 * (8 - j);
        DK[6 * j - 2] = Z[s + 4];
        DK[6 * j - 1] = Z[s + 5];
        DK[6 * j] = MulInverse(Z[s]);
        // The two additive subkeys swap places in the inner rounds.
        DK[6 * j + 1] = negate(Z[s + 2]);
        DK[6 * j + 2] = negate(Z[s + 1]);
        DK[6 * j + 3] = MulInverse(Z[s + 3]);
    }
    DK[46] = Z[4];
    DK[47] = Z[5];
    DK[48] = MulInverse(Z[0]);
    DK[49] = negate(Z[1]);
    DK[50] = negate(Z[2]);
    DK[51] = MulInverse(Z[3]);
}

} // namespace vlt::idea
