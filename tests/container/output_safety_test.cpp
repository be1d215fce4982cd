// What the one-file operations promise about the files around them: outputs appear
// only when complete, never wider than their source, never over a file this run
// wrote, and a failure never costs a file that was there.
#include "common/temp_dir.h"
#include "container/format.h"
#include "container_testkit.h"
#include "support/file_access.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>

namespace vlt {
namespace {

using namespace vlt::testing;

// A host that looks at the directory while the blocks are written, and knows the
// outputs "this run" has written.
class WatchingHost : public ScriptedFileOperationHost {
public:
    bool JobProgress(ProgressKind kind, std::int32_t amount) override {
        if (watch && kind != pkWipe) {
            watch();
        }
        return ScriptedFileOperationHost::JobProgress(kind, amount);
    }
    bool WrittenThisRun(const std::string& path) override { return written.count(path) != 0; }

    std::function<void()> watch;
    std::set<std::string> written;
};

struct stat StatOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info;
}

class OutputSafetyTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(dest()); }

    std::string dest() const { return dir_.Path() + "/dest/"; }
    std::string File(const std::string& name) const { return dir_.File(name); }

    TempDir dir_;
    RunScope run_;
    WatchingHost host_;
    const std::vector<std::uint8_t> content_ = TextBytes(300000); // two blocks
};

// The result of either direction takes the source's permissions, owner and group;
// execute bits come back after the round trip. While it is written the work file
// is private and the final name does not show it.
TEST_F(OutputSafetyTest, OutputsTakeTheModeAndOwnerOfTheirSourceAndArePrivateUntilDone) {
    const bool root = geteuid() == 0;
    for (const mode_t mode : {0600, 0640, 0755, 0750, 0444}) {
        SCOPED_TRACE(mode);
        const std::string plain = File("tool");
        WriteBytes(plain, content_);
        ASSERT_EQ(chmod(plain.c_str(), mode), 0);
        if (root) {
            ASSERT_EQ(chown(plain.c_str(), 1001, 1002), 0);
        }
        int watched = 0;
        host_.watch = [&] {
            const std::string work = dest() + TempName;
            ASSERT_TRUE(Exists(work));
            EXPECT_EQ(StatOf(work).st_mode & 0777, 0600);
            EXPECT_FALSE(Exists(dest() + "tool"));
            ++watched;
        };
        TEncryptContext encrypt = EncryptContextFor(dir_.Path(), "tool");
        encrypt.DestDir = dest();
        encrypt.RemoveOriginal = true;
        ASSERT_EQ(EncryptOneFile(encrypt, host_), resDone);
        EXPECT_GT(watched, 1);
        const struct stat encrypted = StatOf(dest() + "tool");
        EXPECT_EQ(encrypted.st_mode & 07777, mode);

        watched = 0;
        TDecryptContext decrypt = DecryptContextFor(dest(), "tool");
        decrypt.DestDir = dir_.Path() + "/";
        decrypt.RemoveOriginal = true;
        host_.watch = [&] {
            EXPECT_EQ(StatOf(File(TempName)).st_mode & 0777, 0600);
            EXPECT_FALSE(Exists(plain));
            ++watched;
        };
        ASSERT_EQ(DecryptOneFile(decrypt, host_), resDone);
        EXPECT_GT(watched, 1);
        const struct stat decrypted = StatOf(plain);
        EXPECT_EQ(decrypted.st_mode & 07777, mode);
        EXPECT_EQ(ReadBytes(plain), content_);
        if (root) {
            EXPECT_EQ(encrypted.st_uid, 1001U);
            EXPECT_EQ(encrypted.st_gid, 1002U);
            EXPECT_EQ(decrypted.st_uid, 1001U);
            EXPECT_EQ(decrypted.st_gid, 1002U);
        }
        std::filesystem::remove(plain);
    }
}

// A damaged container whose stored name is an existing file: the CRC error leaves
// that file as it was, and so does a stop part way.
TEST_F(OutputSafetyTest, AFailedDecryptionNeverCostsTheFileItWouldReplace) {
    WriteBytes(File("letter.txt"), content_);
    TEncryptContext encrypt = EncryptContextFor(dir_.Path(), "letter.txt");
    encrypt.StoreFileName = true;
    encrypt.RenameOutput = true;
    ASSERT_EQ(EncryptOneFile(encrypt, host_), resDone);
    std::vector<std::uint8_t> damaged = ReadBytes(File(encrypt.NewName));
    damaged[damaged.size() - 20] ^= 0x40;
    WriteBytes(File(encrypt.NewName), damaged);
    const std::vector<std::uint8_t> existing = PatternBytes(4321);
    std::vector<std::string> names = {encrypt.NewName, "dest", "letter.txt"};
    std::sort(names.begin(), names.end());
    struct Case {
        int stopAtCall;
        ResultCode expected;
    };
    for (const Case c : {Case{0, resCRC32Error}, Case{2, resUserBreak}}) {
        WriteBytes(File("letter.txt"), existing);
        host_.stopAtCall = c.stopAtCall;
        TDecryptContext decrypt = DecryptContextFor(dir_.Path(), encrypt.NewName);
        decrypt.RestoreFileName = true;
        EXPECT_EQ(DecryptOneFile(decrypt, host_), c.expected);
        EXPECT_EQ(ReadBytes(File("letter.txt")), existing);
        EXPECT_EQ(ListNames(dir_.Path()), names);
    }
}

// An output never replaces a file this same run has written, whatever the overwrite
// answer: the original stays.
TEST_F(OutputSafetyTest, AnOutputOfThisRunIsNeverReplaced) {
    WriteBytes(File("x"), content_);
    const std::vector<std::uint8_t> earlier = PatternBytes(99);
    WriteBytes(dest() + "x", earlier);
    host_.written.insert(dest() + "x");
    TEncryptContext encrypt = EncryptContextFor(dir_.Path(), "x");
    encrypt.DestDir = dest();
    encrypt.RemoveOriginal = true;
    encrypt.WarnOverwrite = true;
    EXPECT_EQ(EncryptOneFile(encrypt, host_), resSkipped);
    EXPECT_TRUE(encrypt.TargetWrittenThisRun);
    EXPECT_TRUE(host_.questions.empty());
    EXPECT_EQ(ReadBytes(File("x")), content_);
    EXPECT_EQ(ReadBytes(dest() + "x"), earlier);

    TEncryptContext named = EncryptContextFor(dir_.Path(), "x");
    named.StoreFileName = true;
    named.RenameOutput = true;
    ASSERT_EQ(EncryptOneFile(named, host_), resDone);
    WriteBytes(File("x"), earlier);
    host_.written = {File("x")};
    TDecryptContext decrypt = DecryptContextFor(dir_.Path(), named.NewName);
    decrypt.RestoreFileName = true;
    EXPECT_EQ(DecryptOneFile(decrypt, host_), resSkipped);
    EXPECT_TRUE(decrypt.TargetWrittenThisRun);
    EXPECT_EQ(ReadBytes(File("x")), earlier);
    EXPECT_TRUE(Exists(File(named.NewName)));
}

// Other hard links keep the plain content: a wipe of the original is refused and
// the encryption in place says how many other names remain.
TEST_F(OutputSafetyTest, AnOriginalWithOtherHardLinksIsNotWipedAndTheLinksAreReported) {
    for (const bool wipe : {false, true}) {
        SCOPED_TRACE(wipe);
        WriteBytes(File("shared"), content_);
        ASSERT_EQ(link(File("shared").c_str(), File("other").c_str()), 0);
        TEncryptContext encrypt = EncryptContextFor(dir_.Path(), "shared");
        encrypt.WipeOriginal = wipe;
        EXPECT_EQ(EncryptOneFile(encrypt, host_), wipe ? resWipingFailed : resDone);
        EXPECT_EQ(encrypt.OtherLinks, 1);
        EXPECT_EQ(ReadBytes(File("other")), content_);
        EXPECT_EQ(ParseContainer(ReadBytes(File("shared"))).trailerCrc32, Crc32Of(content_));
        std::filesystem::remove(File("shared"));
        std::filesystem::remove(File("other"));
    }
}

} // namespace
} // namespace vlt
