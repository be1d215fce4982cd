#include "cipher/engine_interface.h"
#include "cipher/key_derivation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace vlt {
namespace {

KeyMaterial Key(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<std::uint16_t>(text.size())};
}

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(n);
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

// Ids whose engine this build has; 1 and 2 always.
std::vector<AlgorithmId> AvailableIds() {
    std::vector<AlgorithmId> ids;
    for (AlgorithmId id = 1; id <= kAlgorithmCount; ++id) {
        if (MakeAlgorithmEngine(id)) {
            ids.push_back(id);
        }
    }
    return ids;
}

std::vector<std::uint8_t> EncryptSingle(AlgorithmId id, const std::string& passphrase, bool derive,
                                        std::vector<std::uint8_t> data, ChainingValue chaining = {}) {
    EXPECT_TRUE(CryptInit(id));
    EXPECT_TRUE(CryptSetKey(Key(passphrase), derive) || !derive);
    CryptEncryptCBC(data.data(), static_cast<std::uint32_t>(data.size()), chaining);
    CryptDone();
    return data;
}

TEST(AlgorithmTable, NamesAndDerivedKeyLengths) {
    const struct {
        AlgorithmId id;
        const char* name;
        std::uint16_t length;
    } rows[] = {{0, "", 0},      {1, "Blowfish", 56}, {2, "Blowfish32", 56},
                {3, "GOST", 32}, {4, "TDES", 21},     {5, "Cobra", 32},
                {6, "IDEA", 16}, {7, "", 0},          {255, "", 0}};
    for (const auto& row : rows) {
        EXPECT_STREQ(AlgorithmName(row.id), row.name) << int{row.id};
        EXPECT_EQ(DerivedKeyLength(row.id), row.length) << int{row.id};
    }
}

TEST(EngineInterface, InvalidIdsAreRefusedAndLeaveBuffersAlone) {
    for (AlgorithmId id : {0, 7, 255}) {
        EXPECT_FALSE(CryptInit(id));
        EXPECT_TRUE(CryptSetKey(Key("passphrase"), true));
        std::vector<std::uint8_t> data = Bytes(16, id);
        const std::vector<std::uint8_t> original = data;
        ChainingValue chaining{1, 2};
        CryptEncryptCBC(data.data(), 16, chaining);
        CryptDecryptCBC(data.data(), 16, chaining);
        EXPECT_EQ(data, original);
        EXPECT_EQ(chaining.c0, 1u);
        EXPECT_EQ(chaining.c1, 2u);
        CryptDone();
    }
    EXPECT_FALSE(MixedCryptInit(0, 1));
    EXPECT_FALSE(MixedCryptInit(1, 0));
    EXPECT_FALSE(MixedCryptInit(1, 9));
    MixedCryptDone();
    EXPECT_TRUE(CryptInit(1));
    EXPECT_TRUE(CryptInit(2));
    CryptDone();
}

// Blocks are two little-endian words: the published vector (key 0, plaintext 0,
// ciphertext 4EF99745 6198DD78) reads byte-reversed per word.
TEST(EngineInterface, BlocksAreLittleEndianWordsOfTheBuffer) {
    const std::string zeroKey(8, '\0');
    const std::vector<std::uint8_t> cipher = EncryptSingle(1, zeroKey, false, std::vector<std::uint8_t>(8));
    EXPECT_EQ(cipher, (std::vector<std::uint8_t>{0x45, 0x97, 0xF9, 0x4E, 0x78, 0xDD, 0x98, 0x61}));
}

TEST(EngineInterface, LengthCountsWholeBlocksOnly) {
    for (AlgorithmId id : AvailableIds()) {
        SCOPED_TRACE(int{id});
        ASSERT_TRUE(CryptInit(id));
        ASSERT_TRUE(CryptSetKey(Key("tail test"), true));
        std::vector<std::uint8_t> data = Bytes(12, 5);
        const std::vector<std::uint8_t> original = data;
        ChainingValue chaining{0x11111111, 0x22222222};
        CryptEncryptCBC(data.data(), 0, chaining);
        EXPECT_EQ(data, original);
        EXPECT_EQ(chaining.c0, 0x11111111u);
        CryptEncryptCBC(data.data(), 12, chaining);
        EXPECT_NE(std::vector<std::uint8_t>(data.begin(), data.begin() + 8),
                  std::vector<std::uint8_t>(original.begin(), original.begin() + 8));
        EXPECT_EQ(std::vector<std::uint8_t>(data.begin() + 8, data.end()),
                  std::vector<std::uint8_t>(original.begin() + 8, original.end()));
        EXPECT_EQ(chaining.c0, LoadWordLE(data.data()));
        EXPECT_EQ(chaining.c1, LoadWordLE(data.data() + 4));
        CryptDone();
    }
}

// One chain over many calls: the split points, including unaligned buffers and
// odd block counts, never change the bytes or the final chaining value.
TEST(EngineInterface, ChainCarriesAcrossCallsAndDecryptInverts) {
    const std::vector<std::uint8_t> plain = Bytes(8 * 1100, 9);
    for (AlgorithmId id : AvailableIds()) {
        SCOPED_TRACE(int{id});
        ASSERT_TRUE(CryptInit(id));
        ASSERT_TRUE(CryptSetKey(Key("one chain"), true));
        std::vector<std::uint8_t> whole = plain;
        ChainingValue wholeChain{0xDEADBEEF, 0x01020304};
        CryptEncryptCBC(whole.data(), static_cast<std::uint32_t>(whole.size()), wholeChain);

        std::vector<std::uint8_t> pieces(plain.size() + 1); // +1: start at an odd address
        std::memcpy(pieces.data() + 1, plain.data(), plain.size());
        ChainingValue pieceChain{0xDEADBEEF, 0x01020304};
        std::size_t offset = 0;
        for (std::size_t blocks : {1u, 2u, 5u, 600u, 492u}) {
            CryptEncryptCBC(pieces.data() + 1 + offset, static_cast<std::uint32_t>(8 * blocks), pieceChain);
            offset += 8 * blocks;
        }
        ASSERT_EQ(offset, plain.size());
        EXPECT_EQ(std::vector<std::uint8_t>(pieces.begin() + 1, pieces.end()), whole);
        EXPECT_EQ(pieceChain.c0, wholeChain.c0);
        EXPECT_EQ(pieceChain.c1, wholeChain.c1);

        ChainingValue back{0xDEADBEEF, 0x01020304};
        CryptDecryptCBC(whole.data(), 8 * 7, back);
        CryptDecryptCBC(whole.data() + 8 * 7, static_cast<std::uint32_t>(whole.size() - 8 * 7), back);
        EXPECT_EQ(whole, plain);
        EXPECT_EQ(back.c0, wholeChain.c0);
        CryptDone();
    }
}

// Done discards the key: a fresh init with the same key gives the same output.
TEST(EngineInterface, EveryContextStartsFromTheInitialTables) {
    const std::vector<std::uint8_t> plain = Bytes(64, 3);
    for (AlgorithmId id : AvailableIds()) {
        SCOPED_TRACE(int{id});
        const auto first = EncryptSingle(id, "same key", true, plain);
        EncryptSingle(id, "another key", true, plain);
        EXPECT_EQ(EncryptSingle(id, "same key", true, plain), first);
        // Init again without done in between: still no key carried over.
        ASSERT_TRUE(CryptInit(id));
        ASSERT_TRUE(CryptSetKey(Key("another key"), true));
        EXPECT_EQ(EncryptSingle(id, "same key", true, plain), first);
    }
}

TEST(EngineInterface, KeyModes) {
    const std::vector<std::uint8_t> plain = Bytes(16, 4);
    const std::string passphrase = "raw or derived";
    std::vector<std::uint8_t> derived(DerivedKeyLength(1));
    DeriveKey(reinterpret_cast<const std::uint8_t*>(passphrase.data()), static_cast<std::uint16_t>(passphrase.size()),
              derived.data(), static_cast<std::uint16_t>(derived.size()));
    const std::string derivedText(derived.begin(), derived.end());
    EXPECT_EQ(EncryptSingle(1, passphrase, true, plain), EncryptSingle(1, derivedText, false, plain));
    EXPECT_NE(EncryptSingle(1, passphrase, true, plain), EncryptSingle(1, passphrase, false, plain));

    // An empty passphrase keys nothing: the unkeyed tables encrypt.
    ASSERT_TRUE(CryptInit(1));
    EXPECT_TRUE(CryptSetKey(Key(""), false));
    std::vector<std::uint8_t> unkeyed = plain;
    ChainingValue chaining;
    CryptEncryptCBC(unkeyed.data(), 16, chaining);
    CryptDone();
    EXPECT_NE(unkeyed, plain);
    EXPECT_NE(unkeyed, EncryptSingle(1, passphrase, false, plain));
}

// Passphrases found by search whose schedules hold two equal S-box entries.
TEST(EngineInterface, WeakKeysAreReportedInBothKeyModes) {
    const struct {
        AlgorithmId id;
        const char* passphrase;
        bool derive;
    } cases[] = {{1, "weak7197", false}, {2, "weak3278", false}, {1, "weak1445", true}, {2, "weak1796", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.passphrase);
        ASSERT_TRUE(CryptInit(c.id));
        EXPECT_FALSE(CryptSetKey(Key(c.passphrase), c.derive));
        CryptDone();
        ASSERT_TRUE(CryptInit(c.id));
        EXPECT_TRUE(CryptSetKey(Key(c.passphrase), !c.derive));
        CryptDone();
    }
    ASSERT_TRUE(MixedCryptInit(2, 1));
    EXPECT_FALSE(MixedCryptSetKeys(Key("fine key"), Key("weak7197"), false));
    MixedCryptDone();
    ASSERT_TRUE(MixedCryptInit(2, 1));
    EXPECT_TRUE(MixedCryptSetKeys(Key("fine key"), Key("weak7197"), true));
    MixedCryptDone();
}

// One block with chaining zero: E_second(E_first(p)); a chain over many blocks
// decrypts back whatever the split.
TEST(MixedEncryption, FirstThenSecondInsideOneChain) {
    const std::vector<std::uint8_t> block = Bytes(8, 11);
    const std::vector<std::uint8_t> firstOnly = EncryptSingle(1, "first", true, block);
    const std::vector<std::uint8_t> composed = EncryptSingle(2, "second", true, firstOnly);

    ASSERT_TRUE(MixedCryptInit(1, 2));
    ASSERT_TRUE(MixedCryptSetKeys(Key("first"), Key("second"), true));
    std::vector<std::uint8_t> mixed = block;
    ChainingValue chaining;
    MixedEncryptCBC(mixed.data(), 8, chaining);
    EXPECT_EQ(mixed, composed);
    EXPECT_EQ(chaining.c0, LoadWordLE(composed.data()));

    const std::vector<std::uint8_t> plain = Bytes(8 * 1300 + 5, 12);
    std::vector<std::uint8_t> data = plain;
    ChainingValue encrypt{7, 8};
    MixedEncryptCBC(data.data(), 8 * 3, encrypt);
    MixedEncryptCBC(data.data() + 8 * 3, static_cast<std::uint32_t>(data.size() - 8 * 3), encrypt);
    EXPECT_EQ(std::vector<std::uint8_t>(data.end() - 5, data.end()),
              std::vector<std::uint8_t>(plain.end() - 5, plain.end()));
    ChainingValue decrypt{7, 8};
    MixedDecryptCBC(data.data(), 8 * 600, decrypt);
    MixedDecryptCBC(data.data() + 8 * 600, static_cast<std::uint32_t>(data.size() - 8 * 600), decrypt);
    EXPECT_EQ(data, plain);
    EXPECT_EQ(decrypt.c0, encrypt.c0);
    EXPECT_EQ(decrypt.c1, encrypt.c1);
    MixedCryptDone();

    // The order matters: swapping the pair gives other bytes.
    ASSERT_TRUE(MixedCryptInit(2, 1));
    ASSERT_TRUE(MixedCryptSetKeys(Key("second"), Key("first"), true));
    std::vector<std::uint8_t> swapped = block;
    ChainingValue zero;
    MixedEncryptCBC(swapped.data(), 8, zero);
    EXPECT_NE(swapped, composed);
    MixedCryptDone();
}

// Each engine of a pair has its own key state, so even a pair of one algorithm
// (which the options never offer) composes two independent schedules.
TEST(MixedEncryption, PairOfOneAlgorithmKeepsBothKeys) {
    const std::vector<std::uint8_t> block = Bytes(8, 14);
    const auto composed = EncryptSingle(1, "outer", true, EncryptSingle(1, "inner", true, block));
    ASSERT_TRUE(MixedCryptInit(1, 1));
    ASSERT_TRUE(MixedCryptSetKeys(Key("inner"), Key("outer"), true));
    std::vector<std::uint8_t> mixed = block;
    ChainingValue chaining;
    MixedEncryptCBC(mixed.data(), 8, chaining);
    EXPECT_EQ(mixed, composed);
    ChainingValue back;
    MixedDecryptCBC(mixed.data(), 8, back);
    EXPECT_EQ(mixed, block);
    MixedCryptDone();
}

TEST(MixedEncryption, EmptyPassphraseKeysNeitherEngine) {
    const std::vector<std::uint8_t> plain = Bytes(8, 13);
    const auto unkeyedFirst = EncryptSingle(1, "", false, plain);
    const auto unkeyedBoth = EncryptSingle(2, "", false, unkeyedFirst);
    for (const auto& [first, second] : {std::pair{"", "second"}, std::pair{"first", ""}}) {
        ASSERT_TRUE(MixedCryptInit(1, 2));
        EXPECT_TRUE(MixedCryptSetKeys(Key(first), Key(second), true));
        std::vector<std::uint8_t> data = plain;
        ChainingValue chaining;
        MixedEncryptCBC(data.data(), 8, chaining);
        EXPECT_EQ(data, unkeyedBoth);
        MixedCryptDone();
    }
}

} // namespace
} // namespace vlt
