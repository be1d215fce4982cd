#include "cipher/blowfish/pi_words.h"
#include "cipher/engines.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vlt {
namespace {

struct Variant {
    const char* name;
    std::unique_ptr<BlockEngine> (*make)();
    std::size_t pWords;
    std::size_t keyBytesConsumed;
    const char* weakKey; // found by search: its S-boxes hold two equal entries
};

const Variant kVariants[] = {
    {"Blowfish", MakeBlowfishEngine, 18, 72, "weak7197"},
    {"Blowfish32", MakeBlowfish32Engine, 34, 136, "weak3278"},
};

class BlowfishVariants : public ::testing::TestWithParam<Variant> {};

std::vector<std::uint32_t> Tables(const BlockEngine& engine) {
    std::vector<std::uint32_t> words(engine.TableWords());
    engine.SaveTables(words.data());
    return words;
}

std::uint64_t EncryptOnce(const BlockEngine& engine, std::uint32_t w0 = 0x01234567, std::uint32_t w1 = 0x89ABCDEF) {
    engine.EncryptBlock(w0, w1);
    return std::uint64_t{w0} << 32 | w1;
}

std::uint64_t EncryptWithKey(const Variant& variant, const std::vector<std::uint8_t>& key) {
    auto engine = variant.make();
    engine->SetKey(key.data(), static_cast<std::uint16_t>(key.size()));
    return EncryptOnce(*engine);
}

TEST_P(BlowfishVariants, StartsFromThePiWords) {
    auto engine = GetParam().make();
    const std::vector<std::uint32_t> tables = Tables(*engine);
    ASSERT_EQ(tables.size(), GetParam().pWords + 1024);
    EXPECT_EQ(tables[0], 0x243F6A88u);
    EXPECT_EQ(tables[1], 0x85A308D3u);
    for (std::size_t i = 0; i < tables.size(); ++i) {
        ASSERT_EQ(tables[i], kPiWords[i]) << i;
    }
    EXPECT_TRUE(engine->HasWeakKeyTest());
    EXPECT_FALSE(engine->IsWeakKey());
}

// Blowfish32's tables run on 16 words further in the same sequence.
TEST(Blowfish32, TablesContinueThePiSequence) {
    const std::vector<std::uint32_t> tables = Tables(*MakeBlowfish32Engine());
    const std::size_t s0 = 34, s3 = 34 + 3 * 256;
    EXPECT_EQ(tables[18], 0xD1310BA6u); // Blowfish's S0[0]
    EXPECT_EQ(tables[33], 0xF4933D7Eu);
    EXPECT_EQ(tables[s0], 0x0D95748Fu);       // Blowfish's S0[16]
    EXPECT_EQ(tables[s3 + 239], 0x3AC372E6u); // Blowfish's S3[255]
    EXPECT_EQ(tables[s3 + 255], 0xBC4CEE16u);
}

TEST_P(BlowfishVariants, KeyIsCycledAndCutAtTheConsumedLength) {
    const Variant& variant = GetParam();
    std::vector<std::uint8_t> consumed(variant.keyBytesConsumed);
    for (std::size_t i = 0; i < consumed.size(); ++i) {
        consumed[i] = static_cast<std::uint8_t>(i * 37 + 11);
    }
    std::vector<std::uint8_t> longer = consumed;
    longer.insert(longer.end(), {1, 2, 3, 4, 5});
    EXPECT_EQ(EncryptWithKey(variant, longer), EncryptWithKey(variant, consumed));

    std::vector<std::uint8_t> changed = consumed;
    changed.back() ^= 0x80;
    EXPECT_NE(EncryptWithKey(variant, changed), EncryptWithKey(variant, consumed));

    const std::vector<std::uint8_t> one = {0x5A};
    EXPECT_EQ(EncryptWithKey(variant, one), EncryptWithKey(variant, std::vector<std::uint8_t>(consumed.size(), 0x5A)));

    // A key whose length does not divide the P words restarts at its first byte.
    const std::vector<std::uint8_t> five = {9, 8, 7, 6, 5};
    std::vector<std::uint8_t> fiveCycled;
    for (std::size_t i = 0; i < consumed.size(); ++i) {
        fiveCycled.push_back(five[i % 5]);
    }
    EXPECT_EQ(EncryptWithKey(variant, five), EncryptWithKey(variant, fiveCycled));
}

TEST(Blowfish32, DiffersFromBlowfishUnderTheSameKey) {
    const std::vector<std::uint8_t> key = {'s', 'e', 'c', 'r', 'e', 't'};
    EXPECT_NE(EncryptWithKey(kVariants[0], key), EncryptWithKey(kVariants[1], key));
}

// The block runs and CBC interleave several blocks; every count must give what
// the one-block definitions give, for words and for bytes.
TEST_P(BlowfishVariants, RunsAndChainsEqualTheOneBlockDefinitions) {
    std::mt19937 random(7);
    auto engine = GetParam().make();
    std::vector<std::uint8_t> key(13);
    for (auto& byte : key) {
        byte = static_cast<std::uint8_t>(random());
    }
    engine->SetKey(key.data(), static_cast<std::uint16_t>(key.size()));
    for (std::size_t blocks : {1u, 3u, 4u, 5u, 9u, 600u}) {
        SCOPED_TRACE(blocks);
        std::vector<std::uint32_t> plain(2 * blocks);
        for (auto& word : plain) {
            word = random();
        }
        const std::uint32_t iv0 = random(), iv1 = random();

        std::vector<std::uint32_t> ecb = plain, cbc = plain;
        std::uint32_t c0 = iv0, c1 = iv1;
        for (std::size_t i = 0; i < blocks; ++i) {
            engine->EncryptBlock(ecb[2 * i], ecb[2 * i + 1]);
            cbc[2 * i] ^= c0;
            cbc[2 * i + 1] ^= c1;
            engine->EncryptBlock(cbc[2 * i], cbc[2 * i + 1]);
            c0 = cbc[2 * i];
            c1 = cbc[2 * i + 1];
        }

        std::vector<std::uint32_t> run = plain;
        engine->EncryptBlocks(run.data(), blocks);
        EXPECT_EQ(run, ecb);
        engine->DecryptBlocks(run.data(), blocks);
        EXPECT_EQ(run, plain);

        std::vector<std::uint32_t> chained = plain;
        std::uint32_t e0 = iv0, e1 = iv1;
        engine->EncryptCBC(chained.data(), blocks, e0, e1);
        EXPECT_EQ(chained, cbc);
        EXPECT_EQ(e0, c0);
        EXPECT_EQ(e1, c1);
        std::uint32_t d0 = iv0, d1 = iv1;
        engine->DecryptCBC(chained.data(), blocks, d0, d1);
        EXPECT_EQ(chained, plain);
        EXPECT_EQ(d0, c0);
        EXPECT_EQ(d1, c1);

        // The same on bytes, starting at an odd address so that no word is aligned.
        std::vector<std::uint8_t> storage(8 * blocks + 1);
        std::uint8_t* bytes = storage.data() + 1;
        const auto words = [bytes, blocks] {
            std::vector<std::uint32_t> result(2 * blocks);
            for (std::size_t i = 0; i < result.size(); ++i) {
                result[i] = LoadWordLE(bytes + 4 * i);
            }
            return result;
        };
        for (std::size_t i = 0; i < 2 * blocks; ++i) {
            StoreWordLE(bytes + 4 * i, plain[i]);
        }
        std::uint32_t b0 = iv0, b1 = iv1;
        engine->EncryptCBCBytes(bytes, blocks, b0, b1);
        EXPECT_EQ(words(), cbc);
        EXPECT_EQ(b0, c0);
        b0 = iv0;
        b1 = iv1;
        engine->DecryptCBCBytes(bytes, blocks, b0, b1);
        EXPECT_EQ(words(), plain);
        EXPECT_EQ(b1, c1);
    }
}

TEST_P(BlowfishVariants, SavedTablesRestoreTheKeyedState) {
    auto engine = GetParam().make();
    const std::vector<std::uint32_t> initial = Tables(*engine);
    const std::uint8_t key[] = "restore me";
    engine->SetKey(key, sizeof key - 1);
    const std::vector<std::uint32_t> keyed = Tables(*engine);
    const std::uint64_t keyedOutput = EncryptOnce(*engine);

    engine->RestoreTables(initial.data());
    EXPECT_EQ(Tables(*engine), initial);
    EXPECT_NE(EncryptOnce(*engine), keyedOutput);
    engine->RestoreTables(keyed.data());
    EXPECT_EQ(EncryptOnce(*engine), keyedOutput);
}

// Two equal S-box entries make a key weak, except a pair at position 255 of
// two different boxes.
TEST_P(BlowfishVariants, WeakKeyTestExaminesEveryPairButTheLastPositions) {
    struct Case {
        int boxA, positionA, boxB, positionB;
        bool weak;
    };
    const Case cases[] = {
        {0, 3, 2, 200, true},   {1, 0, 1, 255, true},    {3, 254, 3, 255, true},  {2, 255, 3, 254, true},
        {0, 200, 1, 200, true}, {1, 255, 2, 255, false}, {0, 255, 3, 255, false},
    };
    const std::size_t sBase = GetParam().pWords;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.boxA << "[" << c.positionA << "] = " << c.boxB << "[" << c.positionB << "]");
        auto engine = GetParam().make();
        std::vector<std::uint32_t> tables = Tables(*engine);
        tables[sBase + 256 * c.boxB + c.positionB] = tables[sBase + 256 * c.boxA + c.positionA];
        engine->RestoreTables(tables.data());
        EXPECT_EQ(engine->IsWeakKey(), c.weak);
    }

    auto engine = GetParam().make();
    const std::string weak = GetParam().weakKey;
    engine->SetKey(reinterpret_cast<const std::uint8_t*>(weak.data()), static_cast<std::uint16_t>(weak.size()));
    EXPECT_TRUE(engine->IsWeakKey());
}

INSTANTIATE_TEST_SUITE_P(BothVariants, BlowfishVariants, ::testing::ValuesIn(kVariants),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vlt
