#include "cipher/engines.h"
#include "cipher/idea/idea_rounds.h"
#include "engines_vector_rows.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace vlt {
namespace {

using Block = std::array<std::uint16_t, 4>;
using Subkeys = std::array<std::uint16_t, idea::kSubkeys>;

// The published multiplication modulo 65537, 0 standing for 65536.
struct PublishedStep {
    static std::uint16_t Apply(std::uint16_t a, std::uint16_t z) {
        const std::uint64_t x = a == 0 ? 65536 : a;
        const std::uint64_t y = z == 0 ? 65536 : z;
        return static_cast<std::uint16_t>(x * y % 65537);
    }
};

template <class Step> Block Apply(const Subkeys& keys, Block x) {
    idea::Transform<Step, 1>(keys.data(), &x[0], &x[1], &x[2], &x[3]);
    return x;
}

std::array<std::uint16_t, 8> ParseWords(const std::string& hex) {
    std::array<std::uint16_t, 8> words{};
    for (std::size_t i = 0; i < hex.size() / 4; ++i) {
        words[i] = static_cast<std::uint16_t>(std::stoul(hex.substr(4 * i, 4), nullptr, 16));
    }
    return words;
}

TEST(IdeaSteps, ComplementIgnoresTheSubkey) {
    for (std::uint16_t z : {0, 1, 2, 0x8000, 0xFFFF}) {
        EXPECT_EQ(idea::ComplementStep::Apply(0, z), 1) << z;
        EXPECT_EQ(idea::ComplementStep::Apply(1, z), 0) << z;
        EXPECT_EQ(idea::ComplementStep::Apply(0x8000, z), 0x8001) << z;
    }
    EXPECT_EQ(idea::MulInverse(0), 0);
    EXPECT_EQ(idea::MulInverse(1), 1);
    EXPECT_EQ(PublishedStep::Apply(idea::MulInverse(3), 3), 1);
    EXPECT_EQ(PublishedStep::Apply(idea::MulInverse(0xFFFF), 0xFFFF), 1);
}

// With the published multiplication and big-endian words put back, the engine's
// key expansion, inversion and round structure give the published IDEA answers.
TEST(IdeaStructure, ReproducesPublishedIdeaWithPublishedStep) {
    const auto rows = testing::ReadVectorRows("idea_published.txt");
    EXPECT_EQ(rows.size(), 1u);
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 3u);
        const std::string& keyHex = row[0];
        std::uint8_t key[16];
        for (int i = 0; i < 16; ++i) {
            key[i] = static_cast<std::uint8_t>(std::stoul(keyHex.substr(2 * i, 2), nullptr, 16));
        }
        Subkeys z{}, dk{};
        idea::ExpandKey(key, z.data());
        idea::InvertKey(z.data(), dk.data());
        const auto p = ParseWords(row[1]);
        const auto c = ParseWords(row[2]);
        const Block plain{p[0], p[1], p[2], p[3]};
        const Block expected{c[0], c[1], c[2], c[3]};
        EXPECT_EQ(Apply<PublishedStep>(z, plain), expected) << keyHex;
        EXPECT_EQ(Apply<PublishedStep>(dk, expected), plain) << keyHex;
    }
}

// Only the additive subkeys (6r+1, 6r+2 and 49, 50) reach the engine's ciphertext.
TEST(IdeaStructure, MultiplicativeSubkeysHaveNoEffect) {
    std::mt19937 random(7);
    Subkeys keys;
    for (auto& k : keys) {
        k = static_cast<std::uint16_t>(random());
    }
    const Block plain{0x0123, 0x4567, 0x89AB, 0xCDEF};
    const Block reference = Apply<idea::ComplementStep>(keys, plain);
    std::set<int> additive = {49, 50};
    for (int r = 0; r < 8; ++r) {
        additive.insert({6 * r + 1, 6 * r + 2});
    }
    for (int index = 0; index < idea::kSubkeys; ++index) {
        Subkeys changed = keys;
        changed[index] ^= 0x1234;
        EXPECT_EQ(Apply<idea::ComplementStep>(changed, plain) != reference, additive.count(index) == 1)
            << "subkey " << index;
    }
}

// The engine's words are little-endian: word 0 holds x1 (bytes 0-1) and x2.
TEST(IdeaEngine, LoadsLittleEndianWordsAndInverts) {
    std::uint8_t key[16];
    for (int i = 0; i < 16; ++i) {
        key[i] = static_cast<std::uint8_t>(i * 37 + 1);
    }
    auto engine = MakeIdeaEngine();
    ASSERT_NE(engine, nullptr);
    engine->SetKey(key, 16);
    Subkeys z{};
    idea::ExpandKey(key, z.data());
    const Block expected = Apply<idea::ComplementStep>(z, {0x0123, 0x4567, 0x89AB, 0xCDEF});
    std::uint32_t w0 = 0x45670123, w1 = 0xCDEF89AB;
    engine->EncryptBlock(w0, w1);
    EXPECT_EQ(w0, std::uint32_t{expected[1]} << 16 | expected[0]);
    EXPECT_EQ(w1, std::uint32_t{expected[3]} << 16 | expected[2]);
    engine->DecryptBlock(w0, w1);
    EXPECT_EQ(w0, 0x45670123u);
    EXPECT_EQ(w1, 0xCDEF89ABu);
}

// The interface always passes 16 bytes; more are cut, and fewer are cycled
// instead of being read past their end.
TEST(IdeaEngine, KeyIsSixteenBytes) {
    auto encrypt = [](const std::vector<std::uint8_t>& key) {
        auto engine = MakeIdeaEngine();
        engine->SetKey(key.data(), static_cast<std::uint16_t>(key.size()));
        std::uint32_t w0 = 1, w1 = 2;
        engine->EncryptBlock(w0, w1);
        return std::uint64_t{w0} << 32 | w1;
    };
    std::vector<std::uint8_t> key(16);
    for (int i = 0; i < 16; ++i) {
        key[i] = static_cast<std::uint8_t>(0xA0 + i);
    }
    std::vector<std::uint8_t> longer = key;
    longer.push_back(0x77);
    EXPECT_EQ(encrypt(longer), encrypt(key));
    std::vector<std::uint8_t> four(key.begin(), key.begin() + 4), fourCycled;
    for (int i = 0; i < 16; ++i) {
        fourCycled.push_back(four[i % 4]);
    }
    EXPECT_EQ(encrypt(four), encrypt(fourCycled));
}

} // namespace
} // namespace vlt
