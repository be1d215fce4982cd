#include "cipher/engines.h"
#include "cipher/tdes/des_tables.h"
#include "engines_vector_rows.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vlt {
namespace {

using Key21 = std::array<std::uint8_t, 21>;

TEST(TdesTables, SpTablesCombineSubstitutionPermutationAndRotation) {
    EXPECT_EQ(tdes::SpTables[0][0], 0x01010400u);
    EXPECT_EQ(tdes::SpTables[0][3], 0x01010404u);
}

// Packs the bits 7..1 of eight bytes into a 7-byte key group (the inverse of the
// engine's spreading).
std::array<std::uint8_t, 7> PackGroup(const std::uint8_t spread[8]) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) {
        bits = bits << 7 | (spread[i] >> 1);
    }
    std::array<std::uint8_t, 7> group{};
    for (int i = 0; i < 7; ++i) {
        group[i] = static_cast<std::uint8_t>(bits >> (48 - 8 * i));
    }
    return group;
}

std::uint64_t EncryptWords(BlockEngine& engine, std::uint64_t block) {
    auto w0 = static_cast<std::uint32_t>(block >> 32);
    auto w1 = static_cast<std::uint32_t>(block);
    engine.EncryptBlock(w0, w1);
    return std::uint64_t{w0} << 32 | w1;
}

// Bit permutation of a 64-bit value; table entries are 1-based from the most
// significant bit, as FIPS 46 writes them.
std::uint64_t Permute(std::uint64_t in, const std::array<int, 64>& table) {
    std::uint64_t out = 0;
    for (int i = 0; i < 64; ++i) {
        out = out << 1 | ((in >> (64 - table[i])) & 1);
    }
    return out;
}

constexpr std::array<int, 64> kInitialPermutation = {58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
                                                     62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8,
                                                     57, 49, 41, 33, 25, 17, 9,  1, 59, 51, 43, 35, 27, 19, 11, 3,
                                                     61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7};

std::array<int, 64> FinalPermutation() {
    std::array<int, 64> inverse{};
    for (int i = 0; i < 64; ++i) {
        inverse[kInitialPermutation[i] - 1] = i + 1;
    }
    return inverse;
}

std::uint64_t RotateHalves(std::uint64_t block, bool left) {
    auto rotate = [left](std::uint32_t half) { return left ? std::rotl(half, 1) : std::rotr(half, 1); };
    return std::uint64_t{rotate(static_cast<std::uint32_t>(block >> 32))} << 32 |
           rotate(static_cast<std::uint32_t>(block));
}

// Published single-DES answers, reached through the engine: a 7-byte key makes
// three equal DES keys, so EDE reduces to one DES encryption. The engine lacks
// the initial and final permutations and works on halves rotated left by one
// bit, so the test applies those around it; a published key byte maps to the
// engine's spread byte through the mask table (0x20 -> 0x40, 0x10 -> 0x20,
// 0x08 -> 0x10; 0x04, 0x02 unchanged; parity bit dropped).
TEST(TdesEngine, SevenByteKeyIsPublishedSingleDes) {
    const std::array<int, 64> finalPermutation = FinalPermutation();
    const auto rows = testing::ReadVectorRows("des_known_answers.txt");
    EXPECT_EQ(rows.size(), 48u);
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 3u);
        const std::string line = row[0] + " " + row[1];
        const std::uint64_t key = std::stoull(row[0], nullptr, 16);
        std::uint8_t spread[8];
        for (int i = 0; i < 8; ++i) {
            const auto published = static_cast<std::uint8_t>(key >> (56 - 8 * i));
            ASSERT_EQ(published & 0xC0, 0) << line;
            spread[i] = static_cast<std::uint8_t>(((published & 0x38) << 1) | (published & 0x06));
        }
        const std::array<std::uint8_t, 7> group = PackGroup(spread);
        auto engine = MakeTdesEngine();
        ASSERT_NE(engine, nullptr);
        engine->SetKey(group.data(), 7);

        const std::uint64_t inner = RotateHalves(Permute(std::stoull(row[1], nullptr, 16), kInitialPermutation), true);
        const std::uint64_t result = Permute(RotateHalves(EncryptWords(*engine, inner), false), finalPermutation);
        EXPECT_EQ(result, std::stoull(row[2], nullptr, 16)) << line;
    }
}

Key21 RandomKey(std::mt19937& random) {
    Key21 key;
    for (auto& byte : key) {
        byte = static_cast<std::uint8_t>(random());
    }
    return key;
}

// Within each 7-byte group the bits 7j and 7j+4 (from the most significant bit
// of the group) land on the spread bits 0x80 and 0x08, which the mask table never
// tests; all other 40 bits of each group change the cipher.
TEST(TdesEngine, OnlyFortyBitsPerDesKeyMatter) {
    std::mt19937 random(4);
    const Key21 key = RandomKey(random);
    auto engine = MakeTdesEngine();
    engine->SetKey(key.data(), key.size());
    const std::uint64_t block = 0x0123456789ABCDEFull;
    const std::uint64_t reference = EncryptWords(*engine, block);
    for (int bit = 0; bit < 168; ++bit) {
        Key21 flipped = key;
        flipped[bit / 8] ^= static_cast<std::uint8_t>(0x80 >> (bit % 8));
        engine->SetKey(flipped.data(), flipped.size());
        const int inGroup = bit % 56;
        const bool ignored = inGroup % 7 == 0 || inGroup % 7 == 4;
        EXPECT_EQ(EncryptWords(*engine, block) == reference, ignored) << "key bit " << bit;
    }
}

TEST(TdesEngine, KeyIsCycledToTwentyOneBytes) {
    std::mt19937 random(5);
    const Key21 key = RandomKey(random);
    std::vector<std::uint8_t> longer(key.begin(), key.end());
    longer.insert(longer.end(), {0x55, 0xAA, 0x01});
    const std::vector<std::uint8_t> five(key.begin(), key.begin() + 5);
    std::vector<std::uint8_t> fiveCycled;
    for (int i = 0; i < 21; ++i) {
        fiveCycled.push_back(five[i % 5]);
    }
    auto encrypt = [](const std::vector<std::uint8_t>& k) {
        auto engine = MakeTdesEngine();
        engine->SetKey(k.data(), static_cast<std::uint16_t>(k.size()));
        return EncryptWords(*engine, 0xFEDCBA9876543210ull);
    };
    EXPECT_EQ(encrypt(longer), encrypt({key.begin(), key.end()}));
    EXPECT_EQ(encrypt(five), encrypt(fiveCycled));
    EXPECT_NE(encrypt(five), encrypt({key.begin(), key.end()}));
}

// Every weak-key row, packed into any of the three DES keys, sets the flag; the
// table bytes match with bit 0 ignored, and the next key setup clears the flag.
TEST(TdesEngine, WeakKeyRowsSetTheFlag) {
    std::mt19937 random(6);
    const Key21 strong = RandomKey(random);
    auto engine = MakeTdesEngine();
    ASSERT_TRUE(engine->HasWeakKeyTest());
    engine->SetKey(strong.data(), strong.size());
    EXPECT_FALSE(engine->IsWeakKey());

    for (int row = 0; row < 16; ++row) {
        const std::array<std::uint8_t, 7> group = PackGroup(tdes::DesWeakKeyTable[row]);
        for (int position = 0; position < 3; ++position) {
            Key21 key = strong;
            std::copy(group.begin(), group.end(), key.begin() + 7 * position);
            engine->SetKey(key.data(), key.size());
            EXPECT_TRUE(engine->IsWeakKey()) << "row " << row + 1 << " in key " << position + 1;
            engine->SetKey(strong.data(), strong.size());
            EXPECT_FALSE(engine->IsWeakKey());
        }
    }
    const std::uint8_t zeros[1] = {0x00};
    const std::uint8_t ones[1] = {0xFF};
    for (const std::uint8_t* k : {zeros, ones}) {
        engine->SetKey(k, 1);
        EXPECT_TRUE(engine->IsWeakKey());
    }
}

} // namespace
} // namespace vlt
