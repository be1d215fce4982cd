// GOST 28147-89 with the substitution table of gost_tables.h: 32 rounds, eight
// 32-bit subkeys, N1 = word 0 and N2 = word 1 of the block.
#include "cipher/engines.h"
#include "cipher/gost/gost_tables.h"
#include "cipher/key_words.h"
#include "cipher/lane_engine.h"
#include "support/secure_memory.h"

#include <cstddef>
#include <cstdint>

namespace vlt {

namespace {

class GostCore {
public:
    GostCore() : tables_(&gost::PrepareTables()) {}

    // K[m] from four key bytes, first byte most significant; a shorter key repeats.
    void SetKey(const std::uint8_t* key, std::uint16_t length) {
        if (length == 0) {
            return;
        }
        std::uint32_t k[8];
        CycledKeyWords(key, length, k);
        // Encryption takes K0..K7 three times and then K7..K0; decryption K0..K7
        // once and then K7..K0 three times.
        for (int s = 0; s < 32; ++s) {
            encryptKeys_[s] = s < 24 ? k[s % 8] : k[7 - s % 8];
            decryptKeys_[s] = s < 8 ? k[s] : k[7 - s % 8];
        }
        SecureZero(k, sizeof k);
    }

    template <std::size_t N> [[gnu::always_inline]] void EncryptLanes(std::uint32_t* w0, std::uint32_t* w1) const {
        Rounds<N>(encryptKeys_, w0, w1);
    }
    template <std::size_t N> [[gnu::always_inline]] void DecryptLanes(std::uint32_t* w0, std::uint32_t* w1) const {
        Rounds<N>(decryptKeys_, w0, w1);
    }

private:
    [[gnu::always_inline]] std::uint32_t F(std::uint32_t x) const {
        return tables_->Rotated[0][x >> 24] | tables_->Rotated[1][(x >> 16) & 0xFF] |
               tables_->Rotated[2][(x >> 8) & 0xFF] | tables_->Rotated[3][x & 0xFF];
    }

    template <std::size_t N> void Rounds(const std::uint32_t* keys, std::uint32_t* w0, std::uint32_t* w1) const {
        std::uint32_t n1[N];
        std::uint32_t n2[N];
#pragma GCC unroll 8
        for (std::size_t k = 0; k < N; ++k) {
            n1[k] = w0[k];
            n2[k] = w1[k];
        }
#pragma GCC unroll 32
        for (int s = 0; s < 32; s += 2) {
#pragma GCC unroll 8
            for (std::size_t k = 0; k < N; ++k) {
                n2[k] ^= F(n1[k] + keys[s]);
                n1[k] ^= F(n2[k] + keys[s + 1]);
            }
        }
#pragma GCC unroll 8
        for (std::size_t k = 0; k < N; ++k) {
            w0[k] = n2[k];
            w1[k] = n1[k];
        }
    }

    const gost::ByteTables* tables_;
    std::uint32_t encryptKeys_[32] = {};
    std::uint32_t decryptKeys_[32] = {};
};

class GostEngine final : public LaneEngine<GostCore, 4> {
public:
    void SetKey(const std::uint8_t* key, std::uint16_t length) override { core_.SetKey(key, length); }
};

} // namespace

std::unique_ptr<BlockEngine> MakeGostEngine() {
    return std::make_unique<GostEngine>();
}

} // namespace vlt
