// Three-key triple DES, encrypt-decrypt-encrypt, in the combined-table form
// without initial and final permutation; 21 key bytes make three DES keys.
#include "cipher/engines.h"
#include "cipher/lane_engine.h"
#include "cipher/tdes/des_tables.h"
#include "support/secure_memory.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
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

// The rounds keep each half in an expanded 64-bit form: E(x) holds in its low
// four bytes the 6-bit groups of rotr(x, 4) and in its high four bytes those of
// x, which are exactly the eight lookup indices of a round (bits 6 and 7 of every
// byte are 0). E is linear and keeps every bit of x, so a round becomes one XOR
// with the 64-bit round key and eight byte-indexed lookups in tables that hold
// E(SP); no masking or rotation per round. Results equal the 32-bit form.
constexpr std::uint32_t kGroupMask = 0x3F3F3F3F;

constexpr std::uint64_t Expand(std::uint32_t x) {
    return std::uint64_t{x & kGroupMask} << 32 | (std::rotr(x, 4) & kGroupMask);
}

constexpr std::uint32_t Contract(std::uint64_t e) {
    return static_cast<std::uint32_t>(e >> 32) | (std::rotl(static_cast<std::uint32_t>(e), 4) & 0xC0C0C0C0);
}

using ExpandedTable = std::array<std::uint64_t, 64>;

// Byte b of an expanded round input indexes SP7, SP5, SP3, SP1, SP8, SP6, SP4, SP2.
constexpr std::array<ExpandedTable, 8> BuildExpandedTables() {
    constexpr int kBoxOfByte[8] = {6, 4, 2, 0, 7, 5, 3, 1};
    std::array<ExpandedTable, 8> tables{};
    for (int b = 0; b < 8; ++b) {
        for (int v = 0; v < 64; ++v) {
            tables[b][v] = Expand(SpTables[kBoxOfByte[b]][v]);
        }
    }
    return tables;
}

constexpr std::array<ExpandedTable, 8> kExpandedSp = BuildExpandedTables();

// The expanded tables of two different S-boxes share no bit: each box feeds its
// own four bits of P, and the expansion sends distinct bits to distinct places.
constexpr bool BoxesAreDisjoint(const std::array<ExpandedTable, 8>& tables) {
    std::uint64_t seen = 0;
    for (const ExpandedTable& table : tables) {
        std::uint64_t bits = 0;
        for (std::uint64_t entry : table) {
            bits |= entry;
        }
        if ((bits & seen) != 0) {
            return false;
        }
        seen |= bits;
    }
    return true;
}
static_assert(BoxesAreDisjoint(kExpandedSp));

// seed XOR the eight lookups for the round input x. Every byte of x is below 64
// (expanded form XOR round key), so it indexes the 64-entry tables directly.
// As the boxes are disjoint, OR joins lookups as XOR would: two OR groups of four
// joined by XOR keep the tree shallow (an all-XOR expression becomes one serial
// chain of eight in the compiler's hands). The bytes are read from the 32-bit
// halves, which costs fewer shifts and copies than from the 64-bit word.
[[gnu::always_inline]] inline std::uint64_t RoundFunction(std::uint64_t x, std::uint64_t seed) {
    const auto& sp = kExpandedSp;
    const std::uint32_t lo = static_cast<std::uint32_t>(x);
    const std::uint32_t hi = static_cast<std::uint32_t>(x >> 32);
    // Bytes 1 and 5 from 64-bit copies: one move each from a high byte register.
    const std::uint64_t lo64 = lo;
    const std::uint64_t hi64 = hi;
    const std::uint64_t low = sp[0][lo & 0xFF] | sp[1][(lo64 >> 8) & 0xFF] | sp[2][(lo >> 16) & 0xFF] | sp[3][lo >> 24];
    const std::uint64_t high =
        sp[4][hi & 0xFF] | sp[5][(hi64 >> 8) & 0xFF] | sp[6][(hi >> 16) & 0xFF] | sp[7][hi >> 24];
    return (seed ^ low) ^ high;
}

// A schedule in the 64-bit form: round key i = word 2i | word 2i+1 << 32. Block
// runs work on the round inputs u_i = half_i XOR key_i (half_{-1} = L, half_0 = R,
// half_{i+1} = half_{i-1} XOR F(u_i)), so that u_{i+1} = u_{i-1} XOR step_i XOR
// F(u_i) with step_i = key_{i-1} XOR key_{i+1} (key_{-1} = key_16 = 0): the key
// XOR leaves the chain from round to round.
struct Schedule {
    std::uint64_t key[16];
    std::uint64_t step[16];
};

// One DES block function over N expanded blocks; the halves leave exchanged
// (word 0 = R, word 1 = L).
template <std::size_t N>
[[gnu::always_inline]] inline void DesPass(const Schedule& schedule, std::uint64_t* l, std::uint64_t* r) {
    const std::uint64_t* k = schedule.key;
    if constexpr (N == 1) {
        // A single block (CBC encryption) waits for every round in turn: each
        // round computes the next round's input (new half XOR next key) with the
        // key folded into the lookups' seed, keeping the key XOR off that chain.
        std::uint64_t input = *r ^ k[0];
#pragma GCC unroll 16
        for (int round = 0; round < 15; ++round) {
            const std::uint64_t next = RoundFunction(input, *l ^ k[round + 1]);
            *l = *r;
            *r = next ^ k[round + 1];
            input = next;
        }
        *l = RoundFunction(input, *l); // R16 into word 0; word 1 already holds L16 = R15
    } else {
        // Independent blocks: the fewest instructions per round, on the round
        // inputs (l = u_{-1} = L, r = u_0; after the rounds l = u_15, r = u_16).
        const std::uint64_t* step = schedule.step;
#pragma GCC unroll 8
        for (std::size_t i = 0; i < N; ++i) {
            r[i] ^= k[0];
        }
#pragma GCC unroll 8
        for (int round = 0; round < 16; round += 2) {
#pragma GCC unroll 8
            for (std::size_t i = 0; i < N; ++i) {
                l[i] ^= RoundFunction(r[i], step[round]);
                r[i] ^= RoundFunction(l[i], step[round + 1]);
            }
        }
#pragma GCC unroll 8
        for (std::size_t i = 0; i < N; ++i) {
            l[i] ^= k[15];
            std::swap(l[i], r[i]);
        }
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
            for (int direction : {kEncrypt, kDecrypt}) {
                std::uint32_t words[kScheduleWords];
                BuildSchedule(spread, direction == kDecrypt, words);
                Schedule& schedule = schedules_[d][direction];
                for (int round = 0; round < 16; ++round) {
                    schedule.key[round] = std::uint64_t{words[2 * round + 1]} << 32 | words[2 * round];
                }
                for (int round = 0; round < 16; ++round) {
                    schedule.step[round] =
                        (round > 0 ? schedule.key[round - 1] : 0) ^ (round < 15 ? schedule.key[round + 1] : 0);
                }
                SecureZero(words, sizeof words);
            }
            SecureZero(spread, sizeof spread);
        }
        SecureZero(bytes, sizeof bytes);
    }

    [[nodiscard]] bool Weak() const { return weak_; }

    template <std::size_t N> [[gnu::always_inline]] void EncryptLanes(std::uint32_t* w0, std::uint32_t* w1) const {
        Passes<N>(schedules_[0][kEncrypt], schedules_[1][kDecrypt], schedules_[2][kEncrypt], w0, w1);
    }
    template <std::size_t N> [[gnu::always_inline]] void DecryptLanes(std::uint32_t* w0, std::uint32_t* w1) const {
        Passes<N>(schedules_[2][kDecrypt], schedules_[1][kEncrypt], schedules_[0][kDecrypt], w0, w1);
    }

private:
    static constexpr int kEncrypt = 0;
    static constexpr int kDecrypt = 1;
    template <std::size_t N>
    [[gnu::always_inline]] static void Passes(const Schedule& first, const Schedule& second, const Schedule& third,
                                              std::uint32_t* w0, std::uint32_t* w1) {
        std::uint64_t l[N], r[N];
#pragma GCC unroll 8
        for (std::size_t i = 0; i < N; ++i) {
            l[i] = Expand(w0[i]);
            r[i] = Expand(w1[i]);
        }
        DesPass<N>(first, l, r);
        DesPass<N>(second, l, r);
        DesPass<N>(third, l, r);
#pragma GCC unroll 8
        for (std::size_t i = 0; i < N; ++i) {
            w0[i] = Contract(l[i]);
            w1[i] = Contract(r[i]);
        }
    }

    // [DES key][direction]
    Schedule schedules_[3][2] = {};
    bool weak_ = false;
};

class TdesEngine final : public LaneEngine<TdesCore, 3> {
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
