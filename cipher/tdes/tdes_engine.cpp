// Three-key triple DES, encrypt-decrypt-encrypt, in the combined-table form
// without initial and final permutation; 21 key bytes make three DES keys.
#include "cipher/engines.h"
#include "cipher/lane_engine.h"
#include "cipher/tdes/des_tables.h"
#include "support/secure_memory.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

namespace vlt {

namespace {

using tdes::SpTables;

constexpr int kScheduleWords = 32;
constexpr int kGroupBytes = 7;

// 56 bits of a 7-byte group, most significant bit first, over 8 bytes at bits 7..1.
void SpreadGroup(const std::uint8_t* group, std::uint8_t spread[8]) {
    std::uint64_t bits = 0;
    for (int i = 0; i < kGroupBytes; ++i) {
        bits = bits << 8 | group[i];
    }
    for (int i = 0; i < 8; ++i) {
        spread[i] = static_cast<std::uint8_t>(((bits >> (49 - 7 * i)) & 0x7F) << 1);
    }
}

[[nodiscard]] bool IsWeakDesKey(const std::uint8_t spread[8]) {
    return std::any_of(std::begin(tdes::DesWeakKeyTable), std::end(tdes::DesWeakKeyTable), [&](const auto& row) {
        for (int i = 0; i < 8; ++i) {
            if (spread[i] != (row[i] & 0xFE)) {
                return false;
            }
        }
        return true;
    });
}

// The round keys of one DES key for one direction, packed for the SP tables.
void BuildSchedule(const std::uint8_t key[8], bool decrypt, std::uint32_t schedule[kScheduleWords]) {
    std::uint8_t register56[56];
    for (int j = 0; j < 56; ++j) {
        const int l = tdes::DesPC1[j];
        register56[j] = (key[l / 8] & tdes::DesBitMaskTable[l % 8]) != 0;
    }
    for (int round = 0; round < 16; ++round) {
        const int shift = tdes::DesTotalShifts[round];
        std::uint8_t rotated[56];
        for (int j = 0; j < 28; ++j) {
            rotated[j] = register56[(j + shift) % 28];
            rotated[28 + j] = register56[28 + (j + shift) % 28];
        }
        std::uint32_t groups[8] = {};
        for (int b = 0; b < 48; ++b) {
            groups[b / 6] = groups[b / 6] << 1 | rotated[tdes::DesPC2[b]];
        }
        const int slot = decrypt ? 15 - round : round;
        schedule[2 * slot] = groups[0] << 24 | groups[2] << 16 | groups[4] << 8 | groups[6];
        schedule[2 * slot + 1] = groups[1] << 24 | groups[3] << 16 | groups[5] << 8 | groups[7];
        SecureZero(rotated, sizeof rotated);
        SecureZero(groups, sizeof groups);
    }
    SecureZero(register56, sizeof register56);
}

inline std::uint32_t RoundFunction(std::uint32_t x, std::uint32_t k0, std::uint32_t k1) {
    const std::uint32_t t = std::rotr(x, 4) ^ k0;
    const std::uint32_t u = x ^ k1;
    return SpTables[6][t & 63] | SpTables[4][(t >> 8) & 63] | SpTables[2][(t >> 16) & 63] |
           SpTables[0][(t >> 24) & 63] | SpTables[7][u & 63] | SpTables[5][(u >> 8) & 63] |
           SpTables[3][(u >> 16) & 63] | SpTables[1][(u >> 24) & 63];
}

// One DES block function over N blocks; the halves leave exchanged (word 0 = R).
template <std::size_t N> inline void DesPass(const std::uint32_t* k, std::uint32_t* l, std::uint32_t* r) {
    for (int round = 0; round < 8; ++round, k += 4) {
        for (std::size_t i = 0; i < N; ++i) {
            l[i] ^= RoundFunction(r[i], k[0], k[1]);
        }
        for (std::size_t i = 0; i < N; ++i) {
            r[i] ^= RoundFunction(l[i], k[2], k[3]);
        }
    }
    for (std::size_t i = 0; i < N; ++i) {
        std::swap(l[i], r[i]);
    }
}

class TdesCore {
public:
    void SetKey(const std::uint8_t* key, std::uint16_t length) {
        if (length == 0) {
            return;
        }
        std::uint8_t bytes[3 * kGroupBytes];
        for (std::size_t i = 0; i < sizeof bytes; ++i) {
            bytes[i] = key[i % length];
        }
        weak_ = false;
        for (int d = 0; d < 3; ++d) {
            std::uint8_t spread[8];
            SpreadGroup(bytes + kGroupBytes * d, spread);
            weak_ = weak_ || IsWeakDesKey(spread);
            BuildSchedule(spread, false, schedules_[d][kEncrypt]);
            BuildSchedule(spread, true, schedules_[d][kDecrypt]);
            SecureZero(spread, sizeof spread);
        }
        SecureZero(bytes, sizeof bytes);
    }

    [[nodiscard]] bool Weak() const { return weak_; }

    template <std::size_t N> void EncryptLanes(std::uint32_t* w0, std::uint32_t* w1) const {
        DesPass<N>(schedules_[0][kEncrypt], w0, w1);
        DesPass<N>(schedules_[1][kDecrypt], w0, w1);
        DesPass<N>(schedules_[2][kEncrypt], w0, w1);
    }
    template <std::size_t N> void DecryptLanes(std::uint32_t* w0, std::uint32_t* w1) const {
        DesPass<N>(schedules_[2][kDecrypt], w0, w1);
        DesPass<N>(schedules_[1][kEncrypt], w0, w1);
        DesPass<N>(schedules_[0][kDecrypt], w0, w1);
    }

private:
    static constexpr int kEncrypt = 0;
    static constexpr int kDecrypt = 1;
    // [DES key][direction][schedule word]
    std::uint32_t schedules_[3][2][kScheduleWords] = {};
    bool weak_ = false;
};

class TdesEngine final : public LaneEngine<TdesCore, 4> {
public:
    void SetKey(const std::uint8_t* key, std::uint16_t length) override { core_.SetKey(key, length); }
    bool HasWeakKeyTest() const override { return true; }
    bool IsWeakKey() const override { return core_.Weak(); }
};

} // namespace

std::unique_ptr<BlockEngine> MakeTdesEngine() {
    return std::make_unique<TdesEngine>();
}

} // namespace vlt
