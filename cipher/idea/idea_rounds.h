#pragma once
// The IDEA round structure, shared by the engine and by checks against the
// published cipher. The multiplication step is a template parameter: the engine
// uses its own step (ComplementStep), which differs from the published
// multiplication modulo 65537 and on which stored files depend.
#include <cstddef>
#include <cstdint>

namespace vlt::idea {

inline constexpr int kSubkeys = 52;

// a (.) z = (1 - a) mod 65536 whatever the subkey word z. It is its own inverse,
// so decryption with the inverted subkeys still undoes encryption.
struct ComplementStep {
    static std::uint16_t Apply(std::uint16_t a, std::uint16_t /*z*/) { return static_cast<std::uint16_t>(1 - a); }
};

// Eight rounds and the output transformation over N blocks of four words each
// (x1[k] .. x4[k] for block k), with subkeys K (encryption or decryption set).
template <class Step, std::size_t N>
inline void Transform(const std::uint16_t* K, std::uint16_t* x1, std::uint16_t* x2, std::uint16_t* x3,
                      std::uint16_t* x4) {
    auto add = [](std::uint16_t a, std::uint16_t b) { return static_cast<std::uint16_t>(a + b); };
    for (int round = 0; round < 8; ++round, K += 6) {
        for (std::size_t k = 0; k < N; ++k) {
            const std::uint16_t a = Step::Apply(x1[k], K[0]);
            const std::uint16_t b = add(x2[k], K[1]);
            const std::uint16_t c = add(x3[k], K[2]);
            const std::uint16_t d = Step::Apply(x4[k], K[3]);
            std::uint16_t s = Step::Apply(static_cast<std::uint16_t>(a ^ c), K[4]);
            const std::uint16_t t = Step::Apply(add(static_cast<std::uint16_t>(b ^ d), s), K[5]);
            s = add(s, t);
            x1[k] = static_cast<std::uint16_t>(a ^ t);
            x4[k] = static_cast<std::uint16_t>(d ^ s);
            x2[k] = static_cast<std::uint16_t>(c ^ t);
            x3[k] = static_cast<std::uint16_t>(b ^ s);
        }
    }
    for (std::size_t k = 0; k < N; ++k) {
        const std::uint16_t y2 = add(x3[k], K[1]);
        const std::uint16_t y3 = add(x2[k], K[2]);
        x1[k] = Step::Apply(x1[k], K[0]);
        x2[k] = y2;
        x3[k] = y3;
        x4[k] = Step::Apply(x4[k], K[3]);
    }
}

// The published subkey expansion: Z[0..7] are the key bytes as big-endian words,
// each further group of eight is the 128-bit key rotated left by 25 more bits.
void ExpandKey(const std::uint8_t key[16], std::uint16_t Z[kSubkeys]);

// The published inversion of the encryption subkeys into decryption subkeys.
void InvertKey(const std::uint16_t Z[kSubkeys], std::uint16_t DK[kSubkeys]);

// Multiplicative inverse modulo 65537; 0 and 1 are their own inverses.
[[nodiscard]] std::uint16_t MulInverse(std::uint16_t x);

} // namespace vlt::idea
