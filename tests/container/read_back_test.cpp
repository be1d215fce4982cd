// Read-back checks: an output that is not on the disk as it was written never
// costs its original. Each data fault of the file seam corrupts the output on its
// way out while every write reports success; the check must catch it, remove the
// output and leave the original bit for bit.
#include "common/scratch_mount.h"
#include "common/temp_dir.h"
#include "container_testkit.h"
#include "support/file_faults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace vlt {
namespace {

using namespace vlt::testing;

// Two blocks, so that every fault has a later write behind it.
constexpr std::size_t kContentSize = 300000;
const std::string kPlainName = "plain.bin";
const std::string kSealedName = "sealed.vlt";

// The operations that remove what they read once the output is complete.
struct VerifiedOperation {
    const char* name;
    bool encrypt;
    bool inPlace;
    bool rename;
    bool wipe;
    int firstBlockWrite; // the SafeWrite that carries the first block's data
};

const VerifiedOperation kOperations[] = {
    {"encrypt in place", true, true, false, false, 3},
    {"encrypt in place, renamed", true, true, true, false, 3},
    {"encrypt, remove original", true, false, false, false, 3},
    {"encrypt, wipe original", true, false, false, true, 3},
    {"decrypt in place", false, true, false, false, 1},
    {"decrypt, remove original", false, false, false, false, 1},
};

class ReadBackTest : public ::testing::Test {
protected:
    ~ReadBackTest() override { ClearFileFaults(); }

    // The file the operation reads, in `directory`; returns its bytes.
    std::vector<std::uint8_t> PlaceOriginal(const VerifiedOperation& op, const std::string& directory) {
        std::filesystem::create_directories(directory);
        if (op.encrypt) {
            WriteBytes(directory + "/" + kPlainName, content_);
            return content_;
        }
        ContainerRecipe recipe;
        recipe.storedName = kPlainName;
        recipe.content = content_;
        const auto sealed = BuildContainer(recipe);
        WriteBytes(directory + "/" + kSealedName, sealed);
        return sealed;
    }

    static ResultCode RunOperation(const VerifiedOperation& op, const std::string& directory,
                                   const std::string& destination, FileOperationHost& host) {
        if (op.encrypt) {
            TEncryptContext context = EncryptContextFor(directory, kPlainName);
            context.VerifyOutput = true;
            context.RenameOutput = op.rename;
            context.WipeOriginal = op.wipe;
            if (!op.inPlace) {
                context.DestDir = destination + "/";
                context.RemoveOriginal = true;
            }
            return EncryptOneFile(context, host);
        }
        TDecryptContext context = DecryptContextFor(directory, kSealedName);
        context.VerifyOutput = true;
        context.RestoreFileName = true;
        if (!op.inPlace) {
            context.DestDir = destination + "/";
            context.RemoveOriginal = true;
        }
        return DecryptOneFile(context, host);
    }

    static std::string OriginalName(const VerifiedOperation& op) { return op.encrypt ? kPlainName : kSealedName; }

    // The original as it was, and nothing else anywhere.
    static void ExpectOnlyTheOriginal(const VerifiedOperation& op, const std::string& directory,
                                      const std::string& destination, const std::vector<std::uint8_t>& original) {
        EXPECT_EQ(ListNames(directory), std::vector<std::string>{OriginalName(op)});
        EXPECT_TRUE(ReadBytes(directory + "/" + OriginalName(op)) == original);
        if (std::filesystem::exists(destination)) {
            EXPECT_TRUE(ListNames(destination).empty());
        }
    }

    TempDir dir_;
    const std::vector<std::uint8_t> content_ = PatternBytes(kContentSize, 7);
};

TEST_F(ReadBackTest, EveryDataFaultKeepsTheOriginalAndRemovesTheOutput) {
    const struct {
        const char* name;
        DataFault fault;
    } faults[] = {
        {"flipped byte", DataFault::FlipByte},
        {"dropped write", DataFault::DropWrite},
        {"shortened file", DataFault::ShortenFile},
    };
    for (const VerifiedOperation& op : kOperations) {
        for (const auto& f : faults) {
            // Some file systems refuse O_DIRECT: the check then reads after dropping the cache.
            for (const bool refuseDirect : {false, true}) {
                SCOPED_TRACE(std::string(op.name) + ", " + f.name + (refuseDirect ? ", no O_DIRECT" : ""));
                const std::string directory = dir_.File("in");
                const std::string destination = dir_.File("out");
                std::filesystem::create_directories(destination);
                const auto original = PlaceOriginal(op, directory);
                RunScope run;
                ScriptedFileOperationHost host;
                InjectDataFault(f.fault, op.firstBlockWrite);
                if (refuseDirect) {
                    InjectFileFault(FileOp::DirectRead, 1);
                }
                EXPECT_EQ(RunOperation(op, directory, destination, host), resVerificationFailed);
                ExpectOnlyTheOriginal(op, directory, destination, original);
                ClearFileFaults();
                std::filesystem::remove_all(directory);
            }
        }
    }
}

TEST_F(ReadBackTest, WithoutAFaultEveryOperationVerifiesAndReplacesItsOriginal) {
    for (const VerifiedOperation& op : kOperations) {
        for (const bool refuseDirect : {false, true}) {
            SCOPED_TRACE(std::string(op.name) + (refuseDirect ? ", no O_DIRECT" : ""));
            const std::string directory = dir_.File("in");
            const std::string destination = dir_.File("out");
            std::filesystem::create_directories(destination);
            (void)PlaceOriginal(op, directory);
            RunScope run;
            ScriptedFileOperationHost host;
            if (refuseDirect) {
                InjectFileFault(FileOp::DirectRead, 1);
            }
            EXPECT_EQ(RunOperation(op, directory, destination, host), resDone);
            const std::string outputs = op.inPlace ? directory : destination;
            const auto names = ListNames(outputs);
            ASSERT_EQ(names.size(), 1u);
            if (!op.encrypt) {
                EXPECT_TRUE(ReadBytes(outputs + "/" + names[0]) == content_);
            }
            if (!op.inPlace) {
                EXPECT_TRUE(ListNames(directory).empty());
            }
            ClearFileFaults();
            std::filesystem::remove_all(directory);
            std::filesystem::remove_all(destination);
        }
    }
}

// Another program writes into the finished output (the work file beside the
// original) before the check reads it back.
class MeddlingHost : public ScriptedFileOperationHost {
public:
    explicit MeddlingHost(std::string directory, std::string original)
        : directory_(std::move(directory)), original_(std::move(original)) {}

    bool JobProgress(ProgressKind kind, std::int32_t amount) override {
        if (amount > 0 && !meddled_) {
            for (const std::string& name : ListNames(directory_)) {
                if (name != original_) {
                    std::fstream file(directory_ + "/" + name, std::ios::in | std::ios::out | std::ios::binary);
                    file.seekp(100);
                    file.put('\x5A');
                    meddled_ = file.good();
                }
            }
        }
        return ScriptedFileOperationHost::JobProgress(kind, amount);
    }

private:
    std::string directory_;
    std::string original_;
    bool meddled_ = false;
};

TEST_F(ReadBackTest, AnOutputChangedByAnotherProgramBeforeTheCheckKeepsTheOriginal) {
    for (const VerifiedOperation& op : kOperations) {
        if (!op.inPlace || op.rename) {
            continue;
        }
        SCOPED_TRACE(op.name);
        const std::string directory = dir_.File("in");
        const auto original = PlaceOriginal(op, directory);
        RunScope run;
        MeddlingHost host(directory, OriginalName(op));
        EXPECT_EQ(RunOperation(op, directory, dir_.File("out"), host), resVerificationFailed);
        ExpectOnlyTheOriginal(op, directory, dir_.File("out"), original);
        std::filesystem::remove_all(directory);
    }
}

// A disk too small for the original and its output: the write fails before any
// check, and the original stays.
TEST_F(ReadBackTest, ADiskThatFillsKeepsTheOriginal) {
    for (const VerifiedOperation& op : kOperations) {
        if (!op.inPlace || op.rename) {
            continue;
        }
        SCOPED_TRACE(op.name);
        ScratchMount disk(kContentSize + kContentSize / 2);
        if (!disk.Mounted()) {
            GTEST_SKIP() << "no right to mount a scratch file system";
        }
        const std::string directory = disk.File("in");
        const auto original = PlaceOriginal(op, directory);
        RunScope run;
        ScriptedFileOperationHost host;
        EXPECT_EQ(RunOperation(op, directory, disk.File("out"), host), resIOError);
        ExpectOnlyTheOriginal(op, directory, disk.File("out"), original);
    }
}

} // namespace
} // namespace vlt
