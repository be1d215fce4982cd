// DecryptOneFile: round trips, where the plain file goes, and what a damaged or
// hostile file leaves behind.
#include "common/temp_dir.h"
#include "container/format.h"
#include "container_testkit.h"
#include "support/file_access.h"
#include "support/file_faults.h"
#include "support/lzh/lzh_codec.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vlt {
namespace {

using namespace vlt::testing;

class DecryptFileTest : public ::testing::Test {
protected:
    void TearDown() override { ClearFileFaults(); }

    // Encrypts `content` named `name` in place (optionally renamed) and returns
    // the encrypted file's name.
    std::string EncryptInPlace(const std::string& name, const std::vector<std::uint8_t>& content, bool rename = false,
                               bool compress = false) {
        WriteBytes(dir_.File(name), content);
        TEncryptContext context = EncryptContextFor(dir_.Path(), name);
        context.StoreFileName = true;
        context.RenameOutput = rename;
        context.Compress = compress;
        EXPECT_EQ(EncryptOneFile(context, host_), resDone);
        return rename ? context.NewName : name;
    }
    ResultCode Decrypt(TDecryptContext& context) { return DecryptOneFile(context, host_); }

    TempDir dir_;
    ScriptedFileOperationHost host_;
    const std::vector<std::uint8_t> content_ = TextBytes(300000);
};

TEST_F(DecryptFileTest, RoundTripsInBothGenerationsWithEveryAlgorithmLayout) {
    struct Case {
        bool vlt7;
        bool compress;
        AlgorithmId second;
        std::size_t size;
    };
    const Case cases[] = {{false, false, 0, 0},    {false, true, 0, 300000},  {true, false, 0, 61440},
                          {true, true, 0, 130000}, {false, false, 2, 245761}, {false, true, 2, 17}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        RunScope run(c.vlt7, kPassphrase, 1, c.second, "second passphrase");
        const std::vector<std::uint8_t> content = PatternBytes(c.size / 2);
        std::vector<std::uint8_t> all = content;
        const auto text = TextBytes(c.size - content.size());
        all.insert(all.end(), text.begin(), text.end());
        const std::string name = EncryptInPlace("file.bin", all, false, c.compress);
        TDecryptContext context = DecryptContextFor(dir_.Path(), name);
        ASSERT_EQ(Decrypt(context), resDone);
        EXPECT_EQ(ReadBytes(dir_.File("file.bin")), all);
        EXPECT_EQ(ListNames(dir_.Path()), std::vector<std::string>{"file.bin"});
    }
}

// The output name and whether the encrypted file stays, for every placement.
TEST_F(DecryptFileTest, PlacesThePlainFileByNameAndDestination) {
    struct Case {
        bool renamed;
        bool restoreName;
        bool toDest;
        bool removeOriginal;
        bool plainUnderOriginalName; // else under the encrypted file's name
        bool encryptedRemains;
    };
    const Case cases[] = {
        {false, true, false, false, true, false},  {true, true, false, false, true, false},
        {true, false, false, false, false, false}, {true, true, true, false, true, true},
        {true, false, true, true, false, false},
    };
    std::filesystem::create_directories(dir_.File("dest"));
    RunScope run;
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(&c - cases));
        const std::string encrypted = EncryptInPlace("plain.txt", content_, c.renamed);
        TDecryptContext context = DecryptContextFor(dir_.Path(), encrypted);
        context.RestoreFileName = c.restoreName;
        context.DestDir = c.toDest ? dir_.File("dest") + "/" : "";
        context.RemoveOriginal = c.removeOriginal;
        ASSERT_EQ(Decrypt(context), resDone);
        EXPECT_EQ(context.RestoredName, c.restoreName ? "plain.txt" : "");
        const std::string outputDir = c.toDest ? dir_.File("dest") : dir_.Path();
        const std::string output = outputDir + "/" + (c.plainUnderOriginalName ? "plain.txt" : encrypted);
        EXPECT_EQ(ReadBytes(output), content_);
        EXPECT_EQ(Exists(dir_.File(encrypted)) && output != dir_.File(encrypted), c.encryptedRemains);
        EXPECT_FALSE(Exists(dir_.File(TempName)));
        std::filesystem::remove_all(dir_.Path());
        std::filesystem::create_directories(dir_.File("dest"));
    }
}

// Stored names come from the file: only a plain name is used, so a hostile file
// never writes outside the target directory.
TEST_F(DecryptFileTest, AStoredNameThatIsNotAPlainFileNameIsIgnored) {
    std::filesystem::create_directories(dir_.File("in"));
    for (const std::string& hostile : {std::string("../escape.txt"), std::string("/tmp/abs.txt"), std::string(".."),
                                       std::string("."), std::string("a\0b", 3), std::string(TempName)}) {
        ContainerRecipe recipe;
        recipe.storedName = hostile;
        recipe.content = TextBytes(100);
        WriteBytes(dir_.File("in/victim.vlt"), BuildContainer(recipe));
        RunScope run;
        TDecryptContext context = DecryptContextFor(dir_.File("in"), "victim.vlt");
        context.RestoreFileName = true;
        ASSERT_EQ(Decrypt(context), resDone);
        EXPECT_TRUE(context.StoredNameRejected);
        EXPECT_EQ(context.RestoredName, "");
        EXPECT_EQ(ListNames(dir_.Path()), std::vector<std::string>{"in"});
        EXPECT_EQ(ListNames(dir_.File("in")), std::vector<std::string>{"victim.vlt"});
        EXPECT_EQ(ReadBytes(dir_.File("in/victim.vlt")), recipe.content);
    }
}

TEST_F(DecryptFileTest, RestoresDateTimeAndAttributesAndToleratesAnUnreadableDate) {
    std::filesystem::create_directories(dir_.File("out"));
    struct Case {
        std::uint32_t dateTime;
        bool datedAsStored;
    };
    for (const Case c : {Case{0x5A8C6000, true}, Case{0xFFFFFFFF, false}, Case{0x00200000, false}}) {
        ContainerRecipe recipe;
        recipe.dateTime = c.dateTime;
        recipe.attributes = faReadOnly | faArchive;
        recipe.content = TextBytes(10);
        WriteBytes(dir_.File("f.vlt"), BuildContainer(recipe));
        RunScope run;
        TDecryptContext context = DecryptContextFor(dir_.Path(), "f.vlt");
        context.DestDir = dir_.File("out") + "/";
        context.RestoreAttributes = true;
        const std::string output = dir_.File("out/f.vlt");
        std::filesystem::remove(output);
        ASSERT_EQ(Decrypt(context), resDone);
        FileHandle file = SafeOpen(output, omRead);
        std::uint32_t dateTime = 0;
        ASSERT_TRUE(GetFileDateTime(file, dateTime));
        EXPECT_EQ(dateTime == c.dateTime, c.datedAsStored);
        std::uint16_t attributes = 0;
        ASSERT_TRUE(GetAttributes(output, attributes));
        EXPECT_EQ(attributes & faReadOnly, faReadOnly);
        EXPECT_EQ(ReadBytes(output), recipe.content);
    }
}

TEST_F(DecryptFileTest, WrongKeysAndModesLeaveNoTargetAndTheSourceUnchanged) {
    std::string encrypted;
    std::string encrypted7;
    {
        RunScope run;
        encrypted = EncryptInPlace("a.txt", content_);
    }
    {
        RunScope run(true);
        encrypted7 = EncryptInPlace("b.txt", content_);
    }
    const auto before = ReadBytes(dir_.File(encrypted));
    struct Case {
        std::string file;
        bool vlt7;
        std::string passphrase;
        AlgorithmId second;
        ResultCode expected;
    };
    const Case cases[] = {
        {encrypted, false, "wrong passphrase", 0, resPassphraseFailed},
        {encrypted, false, kPassphrase, 2, resPassphraseFailed},
        {encrypted, false, kPassphrase + "", 0, resDone},
        {encrypted, true, kPassphrase, 0, resNeedsVlt95Compat},
        {encrypted7, false, kPassphrase, 0, resNeedsVlt7Compat},
    };
    for (const Case& c : cases) {
        RunScope run(c.vlt7, c.passphrase, c.second == 0 ? 1 : 2, c.second == 0 ? 0 : 1, kPassphrase);
        TDecryptContext context = DecryptContextFor(dir_.Path(), c.file);
        context.DestDir = dir_.File("out") + "/";
        std::filesystem::create_directories(context.DestDir);
        EXPECT_EQ(Decrypt(context), c.expected) << c.passphrase;
        EXPECT_EQ(ListNames(dir_.File("out")).size(), c.expected == resDone ? 1u : 0u);
        std::filesystem::remove_all(dir_.File("out"));
    }
    EXPECT_EQ(ReadBytes(dir_.File(encrypted)), before);
}

// In CBC a changed ciphertext byte garbles its block: the CRC-32 catches it and the
// output is deleted, unless the CRC-32 is ignored.
TEST_F(DecryptFileTest, AFlippedDataByteFailsTheCrcAndLeavesNoOutput) {
    RunScope run;
    const std::string encrypted = EncryptInPlace("c.txt", content_);
    auto bytes = ReadBytes(dir_.File(encrypted));
    bytes[29 + 16 + 7 + 1000] ^= 0x01;
    WriteBytes(dir_.File(encrypted), bytes);
    TDecryptContext context = DecryptContextFor(dir_.Path(), encrypted);
    EXPECT_EQ(Decrypt(context), resCRC32Error);
    EXPECT_EQ(ListNames(dir_.Path()), std::vector<std::string>{"c.txt"});
    EXPECT_EQ(ReadBytes(dir_.File(encrypted)), bytes);

    context.IgnoreCRC32 = true;
    EXPECT_EQ(Decrypt(context), resDone);
    const auto damaged = ReadBytes(dir_.File("c.txt"));
    ASSERT_EQ(damaged.size(), content_.size());
    EXPECT_NE(damaged, content_);
}

TEST_F(DecryptFileTest, FailuresDeleteThePartialOutputAndKeepTheEncryptedFile) {
    RunScope run;
    const std::string encrypted = EncryptInPlace("d.txt", content_, true, true);
    const auto before = ReadBytes(dir_.File(encrypted));
    struct Case {
        FileOp op;
        int nth;
        int stopAtCall;
        ResultCode expected;
    };
    const Case cases[] = {
        {FileOp::Open, 1, 0, resIOError},      {FileOp::Open, 2, 0, resIOError},
        {FileOp::Write, 1, 0, resIOError},     {FileOp::Sync, 1, 0, resIOError},
        {FileOp::Close, 1, 0, resFatalError},  {FileOp::Close, 2, 0, resFatalError},
        {FileOp::Rename, 1, 0, resFatalError}, {FileOp::Read, 99, 1, resUserBreak},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(&c - cases));
        host_.stopAtCall = c.stopAtCall;
        InjectFileFault(c.op, c.nth);
        TDecryptContext context = DecryptContextFor(dir_.Path(), encrypted);
        EXPECT_EQ(Decrypt(context), c.expected);
        ClearFileFaults();
        EXPECT_EQ(ListNames(dir_.Path()), std::vector<std::string>{encrypted});
        EXPECT_EQ(ReadBytes(dir_.File(encrypted)), before);
    }
    host_.stopAtCall = 0;
    // Without the codec's tables a compressed block cannot come out at its length.
    LzhFreeTables();
    TDecryptContext context = DecryptContextFor(dir_.Path(), encrypted);
    EXPECT_EQ(Decrypt(context), resDecompressionError);
    EXPECT_EQ(ListNames(dir_.Path()), std::vector<std::string>{encrypted});
}

TEST_F(DecryptFileTest, TheOverwriteQuestionNamesTheTargetPath) {
    RunScope run;
    const std::string encrypted = EncryptInPlace("e.txt", content_, true);
    WriteText(dir_.File("e.txt"), "keep me");
    for (const auto& [answer, expected] :
         {std::pair{MsgAnswer::No, resSkipped}, {MsgAnswer::Cancel, resUserBreak}, {MsgAnswer::Yes, resDone}}) {
        host_.answer = answer;
        host_.questions.clear();
        TDecryptContext context = DecryptContextFor(dir_.Path(), encrypted);
        context.RestoreFileName = true;
        context.WarnOverwrite = true;
        EXPECT_EQ(Decrypt(context), expected);
        EXPECT_EQ(host_.questions,
                  std::vector<std::string>{"Warning: " + dir_.File("e.txt") + " already exists. Overwrite?"});
        EXPECT_EQ(ReadBytes(dir_.File("e.txt")) == content_, expected == resDone);
    }
}

} // namespace
} // namespace vlt
