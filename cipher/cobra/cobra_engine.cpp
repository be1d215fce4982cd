// Cobra: a Feistel cipher on key-dependent tables with 16 round words that enter
// the round function's input, a one-bit rotation per round and four whitening
// words. Key setup overwrites the tables in place, so it must start from the
// initial pi tables (the interface snapshots and restores them).
#include "cipher/blowfish/pi_words.h"
#include "cipher/engines.h"
#include "cipher/key_words.h"
#include "cipher/lane_engine.h"
#include "support/secure_memory.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace vlt {

namespace {

// The state is one run of words in the snapshot order: P[16], S0..S3 [256 each],
// W0..W3. Its initial value is the same run of pi words.
constexpr std::size_t kRoundWords = 16;
constexpr std::size_t kSBoxOffset = kRoundWords;
constexpr std::size_t kWhiteningOffset = kSBoxOffset + 4 * 256;
constexpr std::size_t kStateWords = kWhiteningOffset + 4;
static_assert(kStateWords == 1044 && kStateWords <= kPiWordCount);

class CobraCore {
public:
    CobraCore() { std::copy_n(kPiWords.begin(), kStateWords, state_); }

    void SetKey(const std::uint8_t* key, std::uint16_t length) {
        if (length == 0) {
            return;
        }
        std::uint32_t k[8];
        CycledKeyWords(key, length, k);
        MixKeyIntoRoundWords(k);
        std::uint32_t w0[1] = {0};
        std::uint32_t w1[1] = {0};
        EncryptLanes<1>(w0, w1);
        state_[0] = w0[0];
        state_[1] = w1[0];
        for (std::uint32_t& word : k) {
            word = std::rotr(word, 1);
        }
        MixKeyIntoRoundWords(k);
        SecureZero(k, sizeof k);

        // Each encryption sees the words replaced so far, whitening included.
        w0[0] = w1[0] = 0;
        for (std::size_t i = 0; i < kStateWords; i += 2) {
            EncryptLanes<1>(w0, w1);
            state_[i] = w0[0];
            state_[i + 1] = w1[0];
        }
        SecureZero(w0, sizeof w0);
        SecureZero(w1, sizeof w1);
    }

    // CBC encryption is one chain of rounds, so encryption keeps each half before
    // its rotation (h with half = ROR1(h)): a round input half XOR P[i] equals
    // ROR1(h XOR ROL1(P[i])), whose bytes FOfRotated reads from h directly, and
    // the next round's input is formed as (ROR1(h) XOR ROL1(P[i+1])) XOR F, so that
    // only one XOR follows F on the chain from round to round.
    template <std::size_t N> [[gnu::always_inline]] void EncryptLanes(std::uint32_t* w0, std::uint32_t* w1) const {
        const std::uint32_t* p = state_;
        const std::uint32_t* w = state_ + kWhiteningOffset;
        std::uint32_t h[2][N], input[N];
#pragma GCC unroll 8
        for (std::size_t k = 0; k < N; ++k) {
            h[0][k] = std::rotl(w0[k] ^ w[0], 1);
            h[1][k] = std::rotl(w1[k] ^ w[1], 1);
            input[k] = h[1][k] ^ std::rotl(p[0], 1);
        }
        // Round i replaces the half h[i % 2] (L, then R, then L, ...).
#pragma GCC unroll 16
        for (std::size_t i = 0; i < kRoundWords; ++i) {
#pragma GCC unroll 8
            for (std::size_t k = 0; k < N; ++k) {
                const std::uint32_t t = FOfRotated(input[k]);
                const std::uint32_t rotated = std::rotr(h[i % 2][k], 1);
                h[i % 2][k] = rotated ^ t;
                if (i + 1 < kRoundWords) {
                    input[k] = (rotated ^ std::rotl(p[i + 1], 1)) ^ t;
                }
            }
        }
#pragma GCC unroll 8
        for (std::size_t k = 0; k < N; ++k) {
            w0[k] = std::rotr(h[0][k], 1) ^ w[2];
            w1[k] = std::rotr(h[1][k], 1) ^ w[3];
        }
    }

    template <std::size_t N> [[gnu::always_inline]] void DecryptLanes(std::uint32_t* w0, std::uint32_t* w1) const {
        const std::uint32_t* p = state_;
        const std::uint32_t* w = state_ + kWhiteningOffset;
        std::uint32_t a[N], b[N];
#pragma GCC unroll 8
        for (std::size_t k = 0; k < N; ++k) {
            a[k] = w0[k] ^ w[2];
            b[k] = w1[k] ^ w[3];
        }
#pragma GCC unroll 16
        for (std::size_t i = kRoundWords; i != 0; i -= 2) {
#pragma GCC unroll 8
            for (std::size_t k = 0; k < N; ++k) {
                b[k] = std::rotl(b[k], 1) ^ F(a[k] ^ p[i - 1]);
                a[k] = std::rotl(a[k], 1) ^ F(b[k] ^ p[i - 2]);
            }
        }
#pragma GCC unroll 8
        for (std::size_t k = 0; k < N; ++k) {
            w0[k] = a[k] ^ w[0];
            w1[k] = b[k] ^ w[1];
        }
    }

    void Save(std::uint32_t* destination) const {
        std::copy_n(state_, kStateWords, destination);
    }
    void Restore(const std::uint32_t* source) {
        std::copy_n(source, kStateWords, state_);
    }

private:
    [[gnu::always_inline]] std::uint32_t Sboxes(std::size_t i0, std::size_t i1, std::size_t i2, std::size_t i3) const {
        const std::uint32_t* s = state_ + kSBoxOffset;
        return ((s[i0] + s[256 + i1]) ^ s[512 + i2]) + s[768 + i3];
    }

    [[gnu::always_inline]] std::uint32_t F(std::uint32_t x) const {
        return Sboxes(x >> 24, (x >> 16) & 0xFF, (x >> 8) & 0xFF, x & 0xFF);
    }

    // F(ROR1(y)) with the bytes of ROR1(y) taken from y.
    [[gnu::always_inline]] std::uint32_t FOfRotated(std::uint32_t y) const {
        return Sboxes(std::rotl(y, 7) & 0xFF, (y >> 17) & 0xFF, (y >> 9) & 0xFF, (y >> 1) & 0xFF);
    }

    void MixKeyIntoRoundWords(const std::uint32_t k[8]) {
        for (std::size_t i = 0; i < kRoundWords; ++i) {
            state_[i] ^= k[i % 8];
        }
    }

    std::uint32_t state_[kStateWords];
};

class CobraEngine final : public LaneEngine<CobraCore, 8> {
public:
    void SetKey(const std::uint8_t* key, std::uint16_t length) override { core_.SetKey(key, length); }
    std::size_t TableWords() const override { return kStateWords; }
    void SaveTables(std::uint32_t* destination) const override { core_.Save(destination); }
    void RestoreTables(const std::uint32_t* source) override { core_.Restore(source); }
};

} // namespace

std::unique_ptr<BlockEngine> MakeCobraEngine() {
    return std::make_unique<CobraEngine>();
}

} // namespace vlt
