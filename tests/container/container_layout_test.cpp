// The bytes EncryptOneFile writes, read back by the independent reader.
#include "common/temp_dir.h"
#include "container/crypt_context.h"
#include "container/crypt_run.h"
#include "container/format.h"
#include "container_testkit.h"
#include "support/crc.h"
#include "support/random.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vlt {
namespace {

using namespace vlt::testing;

class ContainerLayoutTest : public ::testing::Test {
protected:
    // Encrypts `content` as name into out/ (original kept) and returns the file.
    std::vector<std::uint8_t> Encrypt(const std::vector<std::uint8_t>& content, TEncryptContext context,
                                      bool vlt7 = false) {
        WriteBytes(dir_.File(context.FileName), content);
        context.DestDir = dir_.Path() + "/out/";
        std::filesystem::create_directories(context.DestDir);
        std::filesystem::remove(context.DestDir + context.FileName);
        ScriptedFileOperationHost host;
        {
            RunScope run(vlt7);
            EXPECT_EQ(EncryptOneFile(context, host), resDone);
        }
        ratio_ = context.CompressionRatio;
        return ReadBytes(context.DestDir + context.FileName);
    }
    TEncryptContext Context(const std::string& name) { return EncryptContextFor(dir_.Path(), name); }

    TempDir dir_;
    int ratio_ = 0;
};

TEST_F(ContainerLayoutTest, TheWorkedExampleHasItsSizesAndHeaderBytes) {
    const std::vector<std::uint8_t> ten = TextBytes(10);
    TEncryptContext named = Context("abc.txt");
    named.StoreFileName = true;
    named.ZeroCBC = true;
    const auto withName = Encrypt(ten, named);
    ASSERT_EQ(withName.size(), 68u);
    EXPECT_EQ(std::vector<std::uint8_t>(withName.begin(), withName.begin() + 10),
              (std::vector<std::uint8_t>{0x02, 0x08, 0x14, 0x11, 0x19, 0x75, 0x0E, 0x01, 0x08, 0x08}));
    EXPECT_EQ(withName[12], 8);
    for (int i = 13; i < 21; ++i) {
        EXPECT_EQ(withName[i], 0) << "zero chaining value at " << i;
    }
    EXPECT_EQ(std::vector<std::uint8_t>(withName.begin() + 37, withName.begin() + 44),
              (std::vector<std::uint8_t>{0x05, 0x0A, 0x00, 0x00, 0x0A, 0x00, 0x00}));
    const ParsedContainer parsed = ParseContainer(withName);
    ASSERT_TRUE(parsed.complete);
    EXPECT_EQ(parsed.trailerEnd, withName.size());
    EXPECT_EQ(parsed.storedCrc16, Crc16Update(parsed.info.data(), 8, 0));
    EXPECT_EQ(parsed.info[0], 0x20);
    EXPECT_EQ(parsed.info[5], 7);
    EXPECT_EQ(parsed.storedName, "abc.txt");
    EXPECT_EQ(parsed.namePadding, std::vector<std::uint8_t>{0});
    ASSERT_EQ(parsed.blocks.size(), 1u);
    EXPECT_EQ(parsed.blocks[0].storedData, ten);
    EXPECT_EQ(parsed.trailerSize, 10u);
    EXPECT_EQ(parsed.trailerCrc32, Crc32Of(ten));

    TEncryptContext plain = Context("abc.txt");
    EXPECT_EQ(Encrypt(ten, plain).size(), 60u);

    const auto empty = Encrypt({}, Context("empty"));
    ASSERT_EQ(empty.size(), 44u);
    EXPECT_EQ(std::vector<std::uint8_t>(empty.begin() + 29, empty.begin() + 36),
              (std::vector<std::uint8_t>{0x05, 0, 0, 0, 0, 0, 0}));
    const ParsedContainer parsedEmpty = ParseContainer(empty);
    ASSERT_TRUE(parsedEmpty.complete);
    EXPECT_EQ(parsedEmpty.trailerSize, 0u);
    EXPECT_EQ(parsedEmpty.trailerCrc32, 0u);
}

TEST_F(ContainerLayoutTest, StoredNamesArePaddedToWholeCipherBlocks) {
    for (const std::size_t length : {std::size_t{8}, std::size_t{255}}) {
        TEncryptContext context = Context(std::string(length, 'n'));
        context.StoreFileName = true;
        const auto bytes = Encrypt(TextBytes(3), context);
        EXPECT_EQ(bytes.size(), 29 + (length + 7) / 8 * 8 + 7 + 8 + 8);
        EXPECT_EQ(ParseContainer(bytes).storedName, context.FileName);
    }
}

// Every block but the last holds a full read buffer; a size that is an exact
// multiple ends with an empty last block. Both generations.
TEST_F(ContainerLayoutTest, BlocksFollowTheReadBufferSizeOfTheGeneration) {
    struct Case {
        bool vlt7;
        std::size_t size;
        std::vector<std::uint32_t> originals;
    };
    const Case cases[] = {{false, 245760, {245760, 0}},
                          {false, 245761, {245760, 1}},
                          {true, 61440, {61440, 0}},
                          {true, 100000, {61440, 38560}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const auto content = PatternBytes(c.size);
        const auto bytes = Encrypt(content, Context("data.bin"), c.vlt7);
        EXPECT_EQ(bytes[1], c.vlt7 ? 7 : 8);
        EXPECT_EQ(bytes[0], c.vlt7 ? 0 : 2);
        const ParsedContainer parsed = ParseContainer(bytes, c.vlt7);
        ASSERT_TRUE(parsed.complete);
        EXPECT_EQ(parsed.trailerEnd, bytes.size());
        ASSERT_EQ(parsed.blocks.size(), c.originals.size());
        std::vector<std::uint8_t> joined;
        for (std::size_t i = 0; i < c.originals.size(); ++i) {
            const ParsedBlock& block = parsed.blocks[i];
            EXPECT_EQ(block.originalLength, c.originals[i]);
            EXPECT_EQ(block.storedLength, c.originals[i]);
            const std::uint8_t last = i + 1 == c.originals.size() ? bfLast : 0;
            EXPECT_EQ(block.flags, c.vlt7 ? last : (last | bfLongHeader));
            joined.insert(joined.end(), block.storedData.begin(), block.storedData.end());
        }
        EXPECT_EQ(joined, content);
        EXPECT_EQ(parsed.trailerCrc32, Crc32Of(content));
    }
}

TEST_F(ContainerLayoutTest, ZeroCbcMakesTheOutputDeterministicAndRandomCbcDoesNot) {
    const auto content = TextBytes(1000);
    TEncryptContext zero = Context("same.txt");
    zero.ZeroCBC = true;
    zero.StoreFileName = true;
    EXPECT_EQ(Encrypt(content, zero), Encrypt(content, zero));

    TEncryptContext random = zero;
    random.ZeroCBC = false;
    const auto first = Encrypt(content, random);
    const auto second = Encrypt(content, random);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_EQ(std::vector<std::uint8_t>(first.begin(), first.begin() + 10),
              std::vector<std::uint8_t>(second.begin(), second.begin() + 10));
    EXPECT_NE(std::vector<std::uint8_t>(first.begin() + 13, first.begin() + 21),
              std::vector<std::uint8_t>(second.begin() + 13, second.begin() + 21));
    EXPECT_NE(std::vector<std::uint8_t>(first.begin() + 21, first.end()),
              std::vector<std::uint8_t>(second.begin() + 21, second.end()));
    EXPECT_EQ(ParseContainer(first).blocks.at(0).storedData, content);
}

// Compression is decided per block: kept when smaller, or always with ForceCompression.
TEST_F(ContainerLayoutTest, CompressionIsChosenPerBlock) {
    std::vector<std::uint8_t> content = TextBytes(245760);
    const auto noise = PatternBytes(5000, 7);
    content.insert(content.end(), noise.begin(), noise.end());

    TEncryptContext compress = Context("mixed.bin");
    compress.Compress = true;
    const ParsedContainer chosen = ParseContainer(Encrypt(content, compress));
    ASSERT_EQ(chosen.blocks.size(), 2u);
    EXPECT_EQ(chosen.blocks[0].flags, bfCompressed | bfLongHeader);
    EXPECT_LT(chosen.blocks[0].storedLength, 245760u / 10);
    EXPECT_EQ(chosen.blocks[0].originalLength, 245760u);
    EXPECT_EQ(chosen.blocks[1].flags, bfLast | bfLongHeader);
    EXPECT_EQ(chosen.blocks[1].storedData, noise);
    EXPECT_GT(ratio_, 0);
    EXPECT_LT(ratio_, 10);

    compress.ForceCompression = true;
    const ParsedContainer forced = ParseContainer(Encrypt(content, compress));
    ASSERT_EQ(forced.blocks.size(), 2u);
    EXPECT_EQ(forced.blocks[1].flags, bfLast | bfCompressed | bfLongHeader);
    EXPECT_GE(forced.blocks[1].storedLength, 5000u);
    EXPECT_EQ(forced.blocks[1].originalLength, 5000u);

    Encrypt({}, compress);
    EXPECT_EQ(ratio_, 100);
    EXPECT_EQ(forced.trailerCrc32, Crc32Of(content));
}

TEST(CheckEncryptedTest, RecognisesTheFileHeaderOnly) {
    TempDir dir;
    struct Case {
        std::vector<std::uint8_t> bytes;
        ResultCode code;
        std::uint16_t generationWord;
    };
    const Case cases[] = {
        {{0x02, 0x08, 0x14, 0x11, 0x19, 0x75}, ceNotEncrypted, 0},
        {{0x02, 0x08, 0x14, 0x11, 0x19, 0x76, 0x0E}, ceNotEncrypted, 0},
        {{0x02, 0x08, 0x14, 0x11, 0x19, 0x75, 0x0E}, ceEncrypted, 0x0802},
        {{0x00, 0x09, 0x14, 0x11, 0x19, 0x75, 0x00, 0x55}, ceEncrypted, 0x0900},
        {{}, ceNotEncrypted, 0},
    };
    for (const Case& c : cases) {
        WriteBytes(dir.File("f"), c.bytes);
        const CheckResult result = CheckEncrypted(dir.File("f"));
        EXPECT_EQ(result.code, c.code) << c.bytes.size();
        EXPECT_EQ(result.generationWord, c.generationWord);
    }
    EXPECT_EQ(CheckEncrypted(dir.File("missing")).code, resIOError);
}

// The decipher on two threads gives the plain text and the chain of one thread,
// for one algorithm and a pair, below and above the length worth splitting.
TEST(CryptContextTest, SplitDecipherEqualsTheSerialOne) {
    for (const AlgorithmId second : {AlgorithmId{0}, AlgorithmId{4}}) {
        RunScope run(false, kPassphrase, 1, second, "second passphrase");
        for (const std::uint32_t length : {8u, 65528u, 65536u, 245760u, 262136u}) {
            SCOPED_TRACE(std::to_string(length) + (second != 0 ? " mixed" : ""));
            std::vector<std::uint8_t> cipher = PatternBytes(length, length);
            std::vector<std::uint8_t> serial = cipher;
            ChainingValue serialChain{0x01234567, 0x89ABCDEF};
            ChainingValue splitChain = serialChain;
            RunDecipher(serial.data(), length, serialChain);
            RunDecipherSplit(cipher.data(), length, splitChain);
            EXPECT_TRUE(cipher == serial);
            EXPECT_EQ(splitChain.c0, serialChain.c0);
            EXPECT_EQ(splitChain.c1, serialChain.c1);
        }
    }
}

TEST(CryptContextTest, ReportsWeakAndRepeatedPassphrasesOnlyInVlt7Mode) {
    struct Case {
        AlgorithmId firstAlgorithm;
        std::string first;
        AlgorithmId second;
        std::string secondPassphrase;
        bool vlt7;
        int expected;
    };
    const Case cases[] = {
        {1, "abcabc", 0, "", true, kSetupRepeatedPassphrase},
        {1, "abcabc", 0, "", false, kSetupOk},
        {1, "abcdef", 0, "", true, kSetupOk},
        {1, "abcdef", 2, "xyxy", true, kSetupRepeatedPassphrase},
        {1, "abcdef", 2, "xyzw", false, kSetupOk},
        {4, std::string(3, '\0'), 0, "", true, kSetupWeakKey}, // weak outranks repeated
        {4, std::string(3, '\0'), 0, "", false, kSetupOk},     // derived keys: not asked
    };
    for (const Case& c : cases) {
        KeyRecord keys;
        keys.firstAlgorithm = c.firstAlgorithm;
        keys.firstPassphrase = reinterpret_cast<const std::uint8_t*>(c.first.data());
        keys.firstLength = static_cast<std::uint16_t>(c.first.size());
        keys.secondAlgorithm = c.second;
        keys.secondPassphrase = reinterpret_cast<const std::uint8_t*>(c.secondPassphrase.data());
        keys.secondLength = static_cast<std::uint16_t>(c.secondPassphrase.size());
        EXPECT_EQ(SetupCryptContext(keys, c.vlt7), c.expected) << c.first << " " << c.secondPassphrase;
        ReleaseCryptContext();
    }
    KeyRecord invalid;
    invalid.firstAlgorithm = 9;
    invalid.firstPassphrase = reinterpret_cast<const std::uint8_t*>("passphrase");
    invalid.firstLength = 10;
    EXPECT_EQ(SetupCryptContext(invalid, false), kSetupInvalidAlgorithm);
    TempDir dir;
    WriteText(dir.File("f"), "data");
    ScriptedFileOperationHost host;
    TEncryptContext context = EncryptContextFor(dir.Path(), "f");
    EXPECT_EQ(EncryptOneFile(context, host), resFatalError); // no run, nothing written
    EXPECT_EQ(ListNames(dir.Path()), std::vector<std::string>{"f"});
}

} // namespace
} // namespace vlt
