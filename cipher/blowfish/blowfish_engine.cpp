// Blowfish with 16 rounds (id 1) and Blowfish32 with 32 rounds (id 2), one body
// of code. Both are table-keyed: key setup overwrites the pi tables in place.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "cipher/blowfish/pi_words.h"
#include "cipher/engines.h"
#include "cipher/lane_engine.h"
#include "support/secure_memory.h"

namespace vlt {

namespace {

// The block function on N independent blocks at once: w0[k], w1[k] are the words
// of block k, so the table lookups of several blocks overlap.
template <std::size_t Rounds> struct BlowfishCore {
    static constexpr std::size_t kPWords = Rounds + 2;

    std::uint32_t p[kPWords];
    std::uint32_t s[4][256];

    [[gnu::always_inline]] std::uint32_t F(std::uint32_t x) const {
        return ((s[0][x >> 24] + s[1][(x >> 16) & 0xFF]) ^ s[2][(x >> 8) & 0xFF]) + s[3][x & 0xFF];
    }

    template <std::size_t N> [[gnu::always_inline]] void EncryptLanes(std::uint32_t* w0, std::uint32_t* w1) const {
        Lanes<N, false>(w0, w1);
    }
    template <std::size_t N> [[gnu::always_inline]] void DecryptLanes(std::uint32_t* w0, std::uint32_t* w1) const {
        Lanes<N, true>(w0, w1);
    }

    // Decryption is encryption with the P-array read backwards. Each half gets
    // its P word before F of the other half is ready, so only F and one XOR lie
    // on the chain from round to round:
    // L ^= P[0]; per round R ^= P[i+1] ^ F(L), L ^= P[i+2] ^ F(R); R ^= P[r+1].
    template <std::size_t N, bool Backwards>
    [[gnu::always_inline]] void Lanes(std::uint32_t* w0, std::uint32_t* w1) const {
        const auto q = [this](std::size_t j) { return Backwards ? p[Rounds + 1 - j] : p[j]; };
#pragma GCC unroll 8
        for (std::size_t k = 0; k < N; ++k) {
            w0[k] ^= q(0);
        }
#pragma GCC unroll 32
        for (std::size_t i = 0; i < Rounds; i += 2) {
#pragma GCC unroll 8
            for (std::size_t k = 0; k < N; ++k) {
                w1[k] ^= q(i + 1);
                w1[k] ^= F(w0[k]);
                w0[k] ^= q(i + 2);
                w0[k] ^= F(w1[k]);
            }
        }
#pragma GCC unroll 8
        for (std::size_t k = 0; k < N; ++k) {
            const std::uint32_t l = w0[k];
            w0[k] = w1[k] ^ q(Rounds + 1);
            w1[k] = l;
        }
    }
};

// Blocks without a chain between them (CBC decryption, block runs) that go
// through the rounds together.
constexpr std::size_t kLanes = 8;

template <std::size_t Rounds> class BlowfishEngine final : public LaneEngine<BlowfishCore<Rounds>, kLanes> {
    using Core = BlowfishCore<Rounds>;
    using LaneEngine<Core, kLanes>::core_;

public:
    static constexpr std::size_t kTableWords = Core::kPWords + 4 * 256;
    static_assert(kTableWords <= kPiWordCount);

    BlowfishEngine() { RestoreTables(kPiWords.data()); }
    ~BlowfishEngine() override { SecureZero(&core_, sizeof core_); }
    BlowfishEngine(const BlowfishEngine&) = delete;
    BlowfishEngine& operator=(const BlowfishEngine&) = delete;

    void SetKey(const std::uint8_t* key, std::uint16_t length) override {
        if (length == 0) {
            return;
        }
        // A shorter key is cycled, a longer one cut after 4 bytes per P word.
        std::size_t next = 0;
        for (std::uint32_t& entry : core_.p) {
            std::uint32_t word = 0;
            for (int b = 0; b < 4; ++b) {
                word = word << 8 | key[next];
                next = next + 1 == length ? 0 : next + 1;
            }
            entry ^= word;
        }
        // One block runs on through the whole schedule, each encryption using
        // the tables as updated so far.
        std::uint32_t l = 0;
        std::uint32_t r = 0;
        auto fill = [&](std::uint32_t* entries, std::size_t count) {
            for (std::size_t i = 0; i < count; i += 2) {
                core_.template EncryptLanes<1>(&l, &r);
                entries[i] = l;
                entries[i + 1] = r;
            }
        };
        fill(core_.p, Core::kPWords);
        for (auto& box : core_.s) {
            fill(box, 256);
        }
    }

    // The chain allows one block at a time, so the words go straight from and to
    // the caller's bytes rather than through a converted copy.
    void EncryptCBCBytes(std::uint8_t* bytes, std::size_t blocks, std::uint32_t& c0, std::uint32_t& c1) const override {
        std::uint32_t w0 = c0;
        std::uint32_t w1 = c1;
        for (std::uint8_t* block = bytes; blocks > 0; --blocks, block += 8) {
            w0 ^= LoadWordLE(block);
            w1 ^= LoadWordLE(block + 4);
            core_.template EncryptLanes<1>(&w0, &w1);
            StoreWordLE(block, w0);
            StoreWordLE(block + 4, w1);
        }
        c0 = w0;
        c1 = w1;
    }

    std::size_t TableWords() const override { return kTableWords; }
    void SaveTables(std::uint32_t* destination) const override {
        std::memcpy(destination, core_.p, sizeof core_.p);
        std::memcpy(destination + Core::kPWords, core_.s, sizeof core_.s);
    }
    void RestoreTables(const std::uint32_t* source) override {
        std::memcpy(core_.p, source, sizeof core_.p);
        std::memcpy(core_.s, source + Core::kPWords, sizeof core_.s);
    }

    bool HasWeakKeyTest() const override { return true; }

    // Weak when two S-box entries are equal. Every pair is examined except the
    // pairs formed by position 255 of two different boxes.
    bool IsWeakKey() const override {
        const auto& s = core_.s;
        for (std::size_t i = 0; i < 255; ++i) {
            for (std::size_t j = i; j < 256; ++j) {
                for (std::size_t a = 0; a < 4; ++a) {
                    for (std::size_t b = 0; b < 4; ++b) {
                        if ((a != b || i != j) && s[a][i] == s[b][j]) {
                            return true;
                        }
                    }
                }
            }
        }
        return false;
    }
};

} // namespace

std::unique_ptr<BlockEngine> MakeBlowfishEngine() {
    return std::make_unique<BlowfishEngine<16>>();
}
std::unique_ptr<BlockEngine> MakeBlowfish32Engine() {
    return std::make_unique<BlowfishEngine<32>>();
}

} // namespace vlt
