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

// The rounds run on the round inputs x_i = (half entering F in round i) XOR P[i]
// rather than on the halves (x_{-1} = L_0, x_16 = R_16). In these terms each
// direction is one recurrence per round with no key word on the input of F:
//   encryption  ROL1(x_{i+1}) = x_{i-1}       ^ F(x_i) ^ Q_i
//   decryption  x_{i-1}       = ROL1(x_{i+1}) ^ F(x_i) ^ Q_i
// with Q_i = ROL1(P[i+1]) ^ P[i-1] (P[-1] = P[16] = 0). Encryption keeps every
// x rotated left by one bit (y = ROL1(x)): then F's result enters y without a
// rotation, and F reads the bytes of x from y by shifts. The rotation of the
// other half and the Q word lie off the chain from round to round. Q_0 and Q_15
// are folded into the edge words, so the first and last rounds have no Q.
class CobraCore {
public:
    CobraCore() {
        std::copy_n(kPiWords.begin(), kStateWords, state_);
        DeriveRoundWords();
    }

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

        // Each encryption sees the words replaced so far, whitening included
        // (the derived round words follow every store).
        w0[0] = w1[0] = 0;
        for (std::size_t i = 0; i < kStateWords; i += 2) {
            EncryptLanes<1>(w0, w1);
            state_[i] = w0[0];
            state_[i + 1] = w1[0];
            DeriveRoundWords();
        }
        SecureZero(w0, sizeof w0);
        SecureZero(w1, sizeof w1);
    }

    template <std::size_t N> [[gnu::always_inline]] void EncryptLanes(std::uint32_t* w0, std::uint32_t* w1) const {
        std::uint32_t a[N], b[N];
#pragma GCC unroll 8
        for (std::size_t k = 0; k < N; ++k) {
            a[k] = std::rotl(w0[k] ^ edge_[0], 1);
            b[k] = std::rotl(w1[k] ^ edge_[1], 1);
        }
        EncryptRounds<N>(a, b);
#pragma GCC unroll 8
        for (std::size_t k = 0; k < N; ++k) {
            w0[k] = std::rotr(a[k], 1) ^ edge_[2];
            w1[k] = std::rotr(b[k], 1) ^ edge_[3];
        }
    }

    // CBC encryption with the halves left in round form from block to block: the
    // next block's inputs are the last round's outputs XOR the (rotated) plain
    // text and the edge words' carry, which are joined first, so a block
    // boundary adds one XOR to the chain. a and b hold the carry between blocks.
    // Blocks gives word n of the run: Load(n) and Store(n, word).
    template <class Blocks>
    void EncryptChain(Blocks blocks, std::size_t count, std::uint32_t& c0, std::uint32_t& c1) const {
        const std::uint32_t carry0 = std::rotl(edge_[2] ^ edge_[0], 1);
        const std::uint32_t carry1 = std::rotl(edge_[3] ^ edge_[1], 1);
        std::uint32_t a[1] = {std::rotl(c0 ^ edge_[0], 1) ^ carry0};
        std::uint32_t b[1] = {std::rotl(c1 ^ edge_[1], 1) ^ carry1};
        for (std::size_t n = 0; n < 2 * count; n += 2) {
            const std::uint32_t in0 = std::rotl(blocks.Load(n), 1) ^ carry0;
            const std::uint32_t in1 = std::rotl(blocks.Load(n + 1), 1) ^ carry1;
            a[0] ^= in0;
            b[0] ^= in1;
            EncryptRounds<1>(a, b);
            blocks.Store(n, std::rotr(a[0], 1) ^ edge_[2]);
            blocks.Store(n + 1, std::rotr(b[0], 1) ^ edge_[3]);
        }
        c0 = std::rotr(a[0] ^ carry0, 1) ^ edge_[0];
        c1 = std::rotr(b[0] ^ carry1, 1) ^ edge_[1];
    }

    // a = x_15 (word 0 XOR W2 XOR P[15]), b = x_16 XOR ROR1(Q_15); after the
    // rounds a = x_{-1} XOR Q_0 and b = x_0 = R XOR P[0].
    template <std::size_t N> [[gnu::always_inline]] void DecryptLanes(std::uint32_t* w0, std::uint32_t* w1) const {
        std::uint32_t a[N], b[N];
#pragma GCC unroll 8
        for (std::size_t k = 0; k < N; ++k) {
            a[k] = w0[k] ^ edge_[2];
            b[k] = w1[k] ^ edge_[3];
        }
#pragma GCC unroll 16
        for (std::size_t i = kRoundWords - 1; i < kRoundWords; i -= 2) {
#pragma GCC unroll 8
            for (std::size_t k = 0; k < N; ++k) {
                b[k] = (std::rotl(b[k], 1) ^ Q(i)) ^ F(a[k]);
                a[k] = (std::rotl(a[k], 1) ^ Q(i - 1)) ^ F(b[k]);
            }
        }
#pragma GCC unroll 8
        for (std::size_t k = 0; k < N; ++k) {
            w0[k] = a[k] ^ edge_[0];
            w1[k] = b[k] ^ edge_[1];
        }
    }

    void Save(std::uint32_t* destination) const {
        std::copy_n(state_, kStateWords, destination);
    }
    void Restore(const std::uint32_t* source) {
        std::copy_n(source, kStateWords, state_);
        DeriveRoundWords();
    }

private:
    // a = y_{-1} XOR ROL1(Q_0) = ROL1(L XOR Q_0), b = y_0 = ROL1(R XOR P[0]);
    // after the rounds a = y_15 (ROR1 gives R_15 XOR P[15] = L_16 XOR P[15]) and
    // b = y_16 XOR Q_15 = ROL1(R_16 XOR ROR1(Q_15)).
    template <std::size_t N> [[gnu::always_inline]] void EncryptRounds(std::uint32_t* a, std::uint32_t* b) const {
#pragma GCC unroll 16
        for (std::size_t i = 0; i < kRoundWords; i += 2) {
#pragma GCC unroll 8
            for (std::size_t k = 0; k < N; ++k) {
                a[k] = (std::rotr(a[k], 1) ^ Q(i)) ^ FOfRotated(b[k]);
                b[k] = (std::rotr(b[k], 1) ^ Q(i + 1)) ^ FOfRotated(a[k]);
            }
        }
    }

    // Q_0 and Q_15 live in the edge words.
    [[gnu::always_inline]] std::uint32_t Q(std::size_t i) const {
        return i == 0 || i + 1 == kRoundWords ? 0 : q_[i];
    }

    [[gnu::always_inline]] std::uint32_t Sboxes(std::size_t i0, std::size_t i1, std::size_t i2, std::size_t i3) const {
        const std::uint32_t* s = state_ + kSBoxOffset;
        return ((s[i0] + (s + 256)[i1]) ^ (s + 512)[i2]) + (s + 768)[i3];
    }

    // The second byte is read from a 64-bit copy: that makes it one byte move
    // from the high byte register, without a separate zero extension.
    [[gnu::always_inline]] std::uint32_t F(std::uint32_t x) const {
        const std::uint64_t wide = x;
        return Sboxes(x >> 24, (x >> 16) & 0xFF, (wide >> 8) & 0xFF, x & 0xFF);
    }

    // F(ROR1(y)) with the bytes of ROR1(y) taken from y.
    [[gnu::always_inline]] std::uint32_t FOfRotated(std::uint32_t y) const {
        return Sboxes(std::rotl(y, 7) & 0xFF, (y >> 17) & 0xFF, (y >> 9) & 0xFF, (y >> 1) & 0xFF);
    }

    void MixKeyIntoRoundWords(const std::uint32_t k[8]) {
        for (std::size_t i = 0; i < kRoundWords; ++i) {
            state_[i] ^= k[i % 8];
        }
        DeriveRoundWords();
    }

    // Q_i and the edge words W0 ^ Q_0, W1 ^ P[0], P[15] ^ W2, W3 ^ ROR1(Q_15)
    // from the current state.
    void DeriveRoundWords() {
        const std::uint32_t* p = state_;
        const std::uint32_t* w = state_ + kWhiteningOffset;
        for (std::size_t i = 0; i < kRoundWords; ++i) {
            q_[i] = (i + 1 < kRoundWords ? std::rotl(p[i + 1], 1) : 0) ^ (i > 0 ? p[i - 1] : 0);
        }
        edge_[0] = w[0] ^ q_[0];
        edge_[1] = w[1] ^ p[0];
        edge_[2] = p[kRoundWords - 1] ^ w[2];
        edge_[3] = w[3] ^ std::rotr(q_[kRoundWords - 1], 1);
    }

    std::uint32_t state_[kStateWords];
    // Derived from state_ whenever it changes.
    std::uint32_t q_[kRoundWords];
    std::uint32_t edge_[4];
};

struct WordBlocks {
    std::uint32_t* words;
    std::uint32_t Load(std::size_t n) const { return words[n]; }
    void Store(std::size_t n, std::uint32_t word) const { words[n] = word; }
};

struct ByteBlocks {
    std::uint8_t* bytes;
    std::uint32_t Load(std::size_t n) const { return LoadWordLE(bytes + 4 * n); }
    void Store(std::size_t n, std::uint32_t word) const { StoreWordLE(bytes + 4 * n, word); }
};

class CobraEngine final : public LaneEngine<CobraCore, 8> {
public:
    void SetKey(const std::uint8_t* key, std::uint16_t length) override { core_.SetKey(key, length); }
    void EncryptCBC(std::uint32_t* words, std::size_t blocks, std::uint32_t& c0, std::uint32_t& c1) const override {
        core_.EncryptChain(WordBlocks{words}, blocks, c0, c1);
    }
    // The chain allows one block at a time, so the words go straight from and to
    // the caller's bytes rather than through a converted copy.
    void EncryptCBCBytes(std::uint8_t* bytes, std::size_t blocks, std::uint32_t& c0, std::uint32_t& c1) const override {
        core_.EncryptChain(ByteBlocks{bytes}, blocks, c0, c1);
    }
    std::size_t TableWords() const override { return kStateWords; }
    void SaveTables(std::uint32_t* destination) const override { core_.Save(destination); }
    void RestoreTables(const std::uint32_t* source) override { core_.Restore(source); }
};

} // namespace

std::unique_ptr<BlockEngine> MakeCobraEngine() {
    return std::make_unique<CobraEngine>();
}

} // namespace vlt
