// The GOST, TDES, IDEA and Cobra engines against the one-block definitions of
// block runs and CBC, and all six algorithms through the engine interface, alone
// and in every ordered mixed pair, with derived and raw keys.
#include "cipher/engine_interface.h"
#include "cipher/engines.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vlt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Words = std::vector<std::uint32_t>;

Words RandomWords(std::size_t n, std::uint32_t seed) {
    std::mt19937 random(seed);
    Words words(n);
    for (auto& w : words) {
        w = random();
    }
    return words;
}

Bytes RandomBytes(std::size_t n, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(n);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

struct NamedFactory {
    const char* name;
    std::unique_ptr<BlockEngine> (*make)();
};

constexpr NamedFactory kEngines[] = {
    {"GOST", MakeGostEngine}, {"TDES", MakeTdesEngine}, {"Cobra", MakeCobraEngine}, {"IDEA", MakeIdeaEngine}};

// Block runs and CBC decryption work on several blocks at a time; for every
// count, including those that leave a remainder, the result must equal the
// block-by-block definitions, and each direction must invert the other.
TEST(EngineRuns, EqualTheOneBlockDefinitions) {
    for (const NamedFactory& factory : kEngines) {
        SCOPED_TRACE(factory.name);
        auto engine = factory.make();
        ASSERT_NE(engine, nullptr);
        const Bytes key = RandomBytes(32, 21);
        engine->SetKey(key.data(), static_cast<std::uint16_t>(key.size()));
        for (std::size_t blocks : {1u, 3u, 4u, 5u, 8u, 13u}) {
            SCOPED_TRACE(blocks);
            const Words plain = RandomWords(2 * blocks, static_cast<std::uint32_t>(blocks));

            Words ecb = plain, expected = plain;
            engine->EncryptBlocks(ecb.data(), blocks);
            for (std::size_t i = 0; i < blocks; ++i) {
                engine->EncryptBlock(expected[2 * i], expected[2 * i + 1]);
            }
            EXPECT_EQ(ecb, expected);
            engine->DecryptBlocks(ecb.data(), blocks);
            EXPECT_EQ(ecb, plain);

            Words cbc = plain;
            std::uint32_t c0 = 0x0BADF00D, c1 = 0xC0FFEE00;
            engine->EncryptCBC(cbc.data(), blocks, c0, c1);
            std::uint32_t e0 = 0x0BADF00D, e1 = 0xC0FFEE00;
            for (std::size_t i = 0; i < blocks; ++i) {
                e0 ^= plain[2 * i];
                e1 ^= plain[2 * i + 1];
                engine->EncryptBlock(e0, e1);
                EXPECT_EQ(cbc[2 * i], e0);
                EXPECT_EQ(cbc[2 * i + 1], e1);
            }
            EXPECT_EQ(c0, e0);
            EXPECT_EQ(c1, e1);

            std::uint32_t d0 = 0x0BADF00D, d1 = 0xC0FFEE00;
            engine->DecryptCBC(cbc.data(), blocks, d0, d1);
            EXPECT_EQ(cbc, plain);
            EXPECT_EQ(d0, e0);
            EXPECT_EQ(d1, e1);
        }
    }
}

// The byte-level CBC (which engines may run straight on the caller's bytes) must
// equal the word-level CBC on the little-endian words of the same bytes, across
// the chunk size of the converting defaults and through the chaining value.
TEST(EngineRuns, ByteLevelCbcEqualsWordLevelCbc) {
    const NamedFactory all[] = {{"Blowfish", MakeBlowfishEngine}, {"Blowfish32", MakeBlowfish32Engine},
                                {"GOST", MakeGostEngine},         {"TDES", MakeTdesEngine},
                                {"Cobra", MakeCobraEngine},       {"IDEA", MakeIdeaEngine}};
    for (const NamedFactory& factory : all) {
        SCOPED_TRACE(factory.name);
        auto engine = factory.make();
        ASSERT_NE(engine, nullptr);
        const Bytes key = RandomBytes(32, 25);
        engine->SetKey(key.data(), static_cast<std::uint16_t>(key.size()));
        for (std::size_t blocks : {1u, 9u, 1031u}) {
            SCOPED_TRACE(blocks);
            const Bytes plain = RandomBytes(8 * blocks, static_cast<std::uint32_t>(blocks));
            Words words(2 * blocks);
            for (std::size_t i = 0; i < words.size(); ++i) {
                words[i] = LoadWordLE(plain.data() + 4 * i);
            }
            Bytes bytes = plain;
            std::uint32_t b0 = 0x89ABCDEF, b1 = 0x01234567, w0 = b0, w1 = b1;
            engine->EncryptCBCBytes(bytes.data(), blocks, b0, b1);
            engine->EncryptCBC(words.data(), blocks, w0, w1);
            for (std::size_t i = 0; i < words.size(); ++i) {
                ASSERT_EQ(LoadWordLE(bytes.data() + 4 * i), words[i]) << "word " << i;
            }
            EXPECT_EQ(b0, w0);
            EXPECT_EQ(b1, w1);

            b0 = w0 = 0x89ABCDEF;
            b1 = w1 = 0x01234567;
            engine->DecryptCBCBytes(bytes.data(), blocks, b0, b1);
            engine->DecryptCBC(words.data(), blocks, w0, w1);
            EXPECT_EQ(bytes, plain);
            for (std::size_t i = 0; i < words.size(); ++i) {
                ASSERT_EQ(LoadWordLE(plain.data() + 4 * i), words[i]) << "word " << i;
            }
            EXPECT_EQ(b0, w0);
            EXPECT_EQ(b1, w1);
        }
    }
}

KeyMaterial Key(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<std::uint16_t>(text.size())};
}

TEST(AllAlgorithms, InitAcceptsExactlyTheSixIds) {
    for (int id = 0; id <= 255; ++id) {
        const bool valid = id >= 1 && id <= 6;
        EXPECT_EQ(CryptInit(static_cast<AlgorithmId>(id)), valid) << id;
        CryptDone();
        EXPECT_EQ(MixedCryptInit(static_cast<AlgorithmId>(id), id == 1 ? 2 : 1), valid) << id;
        MixedCryptDone();
    }
}

// Raw keys may be weak for Blowfish and TDES; the round trip must hold either way.
Bytes EncryptSingle(AlgorithmId id, const std::string& passphrase, bool derive, Bytes data, ChainingValue chaining) {
    EXPECT_TRUE(CryptInit(id));
    (void)CryptSetKey(Key(passphrase), derive);
    CryptEncryptCBC(data.data(), static_cast<std::uint32_t>(data.size()), chaining);
    CryptDone();
    return data;
}

TEST(AllAlgorithms, EverySingleAlgorithmRoundTrips) {
    const Bytes plain = RandomBytes(8 * 37, 22);
    for (AlgorithmId id = 1; id <= 6; ++id) {
        for (bool derive : {true, false}) {
            SCOPED_TRACE(std::string(AlgorithmName(id)) + (derive ? " derived" : " raw"));
            ASSERT_TRUE(CryptInit(id));
            (void)CryptSetKey(Key("correct horse"), derive);
            Bytes data = plain;
            ChainingValue encrypt{0x01234567, 0x89ABCDEF};
            CryptEncryptCBC(data.data(), 8 * 10, encrypt);
            CryptEncryptCBC(data.data() + 8 * 10, 8 * 27, encrypt);
            EXPECT_NE(data, plain);
            ChainingValue decrypt{0x01234567, 0x89ABCDEF};
            CryptDecryptCBC(data.data(), static_cast<std::uint32_t>(data.size()), decrypt);
            EXPECT_EQ(data, plain);
            EXPECT_EQ(decrypt.c0, encrypt.c0);
            EXPECT_EQ(decrypt.c1, encrypt.c1);
            CryptDone();
        }
    }
}

// Every ordered pair: one block under chaining zero is the second algorithm's
// encryption of the first's, each keyed from its own passphrase; a longer
// chain decrypts back.
TEST(AllAlgorithms, EveryOrderedMixedPairComposesAndRoundTrips) {
    const Bytes block = RandomBytes(8, 23);
    const Bytes plain = RandomBytes(8 * 29, 24);
    for (AlgorithmId first = 1; first <= 6; ++first) {
        for (AlgorithmId second = 1; second <= 6; ++second) {
            if (first == second) {
                continue;
            }
            for (bool derive : {true, false}) {
                SCOPED_TRACE(std::string(AlgorithmName(first)) + "+" + AlgorithmName(second) +
                             (derive ? " derived" : " raw"));
                const Bytes composed = EncryptSingle(second, "second phrase", derive,
                                                     EncryptSingle(first, "first phrase", derive, block, {}), {});
                ASSERT_TRUE(MixedCryptInit(first, second));
                (void)MixedCryptSetKeys(Key("first phrase"), Key("second phrase"), derive);
                Bytes mixed = block;
                ChainingValue zero;
                MixedEncryptCBC(mixed.data(), 8, zero);
                EXPECT_EQ(mixed, composed);

                Bytes data = plain;
                ChainingValue encrypt{5, 6};
                MixedEncryptCBC(data.data(), static_cast<std::uint32_t>(data.size()), encrypt);
                ChainingValue decrypt{5, 6};
                MixedDecryptCBC(data.data(), static_cast<std::uint32_t>(data.size()), decrypt);
                EXPECT_EQ(data, plain);
                MixedCryptDone();
            }
        }
    }
}

} // namespace
} // namespace vlt
