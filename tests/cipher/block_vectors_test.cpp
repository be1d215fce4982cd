// Known-answer vectors read from tests/data/cipher/*.vec. Each file has sections
// "[name]" (an algorithm name of the table) with lines "key plaintext ciphertext"
// in hex: the key as bytes, the blocks as two 32-bit words (8 hex digits each,
// word 0 first). '#' starts a comment line.
#include "cipher/algorithm_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vlt {
namespace {

struct BlockVector {
    std::string algorithm;
    int line = 0;
    std::vector<std::uint8_t> key;
    std::uint32_t plain[2] = {};
    std::uint32_t cipher[2] = {};
};

std::vector<std::uint8_t> HexBytes(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

void HexBlock(const std::string& hex, std::uint32_t (&words)[2]) {
    ASSERT_EQ(hex.size(), 16u) << hex;
    words[0] = static_cast<std::uint32_t>(std::stoul(hex.substr(0, 8), nullptr, 16));
    words[1] = static_cast<std::uint32_t>(std::stoul(hex.substr(8, 8), nullptr, 16));
}

std::vector<BlockVector> ReadVectors(const std::string& file) {
    std::ifstream in(std::string(VLT_TEST_DATA_DIR) + "/cipher/" + file);
    EXPECT_TRUE(in) << file;
    std::vector<BlockVector> vectors;
    std::string algorithm;
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        if (text.empty() || text[0] == '#') {
            continue;
        }
        if (text[0] == '[') {
            algorithm = text.substr(1, text.find(']') - 1);
            continue;
        }
        std::istringstream fields(text);
        std::string key, plain, cipher;
        fields >> key >> plain >> cipher;
        BlockVector vector{algorithm, line, HexBytes(key)};
        HexBlock(plain, vector.plain);
        HexBlock(cipher, vector.cipher);
        vectors.push_back(vector);
    }
    return vectors;
}

AlgorithmId IdOf(const std::string& name) {
    for (AlgorithmId id = 1; id <= kAlgorithmCount; ++id) {
        if (name == AlgorithmName(id)) {
            return id;
        }
    }
    return 0;
}

class BlockVectors : public ::testing::TestWithParam<const char*> {};

TEST_P(BlockVectors, EncryptGivesCiphertextAndDecryptInverts) {
    const std::vector<BlockVector> vectors = ReadVectors(GetParam());
    ASSERT_FALSE(vectors.empty());
    for (const BlockVector& v : vectors) {
        SCOPED_TRACE(std::string(GetParam()) + ":" + std::to_string(v.line));
        auto engine = MakeAlgorithmEngine(IdOf(v.algorithm));
        ASSERT_NE(engine, nullptr) << v.algorithm;
        engine->SetKey(v.key.data(), static_cast<std::uint16_t>(v.key.size()));
        std::uint32_t w0 = v.plain[0], w1 = v.plain[1];
        engine->EncryptBlock(w0, w1);
        EXPECT_EQ(w0, v.cipher[0]);
        EXPECT_EQ(w1, v.cipher[1]);
        engine->DecryptBlock(w0, w1);
        EXPECT_EQ(w0, v.plain[0]);
        EXPECT_EQ(w1, v.plain[1]);
    }
}

INSTANTIATE_TEST_SUITE_P(KnownAnswers, BlockVectors, ::testing::Values("blowfish.vec"));

} // namespace
} // namespace vlt
