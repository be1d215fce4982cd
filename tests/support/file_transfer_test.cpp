// Copies and moves: complete targets or none, sources kept until the file is safe,
// under a full disk and a failure injected at every step.
#include "support/file_transfer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <filesystem>

#include "common/scratch_mount.h"
#include "common/temp_dir.h"
#include "support/file_access.h"
#include "support/file_faults.h"

namespace vlt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::ListNames;
using testing::ReadBytes;
using testing::ScratchMount;
using testing::TempDir;

// Big enough for several chunks of a copy through memory.
const Bytes kSourceBytes = testing::PatternBytes((2U << 20) + 123, 7);
const Bytes kOldTarget = testing::PatternBytes(4096, 9);

class FileTransferTest : public ::testing::Test {
protected:
    void TearDown() override { ClearFileFaults(); }

    // source/data (mode 0640, a fixed date) and target/ (empty or with an old data).
    void Prepare(const std::string& targetDirectory, bool oldTarget) {
        std::filesystem::create_directories(source.Path() + "/src");
        testing::WriteBytes(From(), kSourceBytes);
        chmod(From().c_str(), 0640);
        const timeval times[2] = {{1000000000, 0}, {1262304000, 0}};
        utimes(From().c_str(), times);
        to = targetDirectory + "/data";
        if (oldTarget) {
            testing::WriteBytes(to, kOldTarget);
        }
    }
    std::string From() const { return source.File("src/data"); }

    TempDir source;
    std::string to;
};

TEST_F(FileTransferTest, CopyKeepsBytesPermissionsAndDateAndRefusesAnExistingTarget) {
    TempDir target;
    Prepare(target.Path(), false);
    ASSERT_TRUE(SafeCopyFile(From(), to, Existing::Keep));
    EXPECT_EQ(ReadBytes(to), kSourceBytes);
    struct stat info {};
    ASSERT_EQ(stat(to.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640U);
    EXPECT_EQ(info.st_mtim.tv_sec, 1262304000);
    EXPECT_EQ(ReadBytes(From()), kSourceBytes);

    testing::WriteBytes(to, kOldTarget);
    EXPECT_FALSE(SafeCopyFile(From(), to, Existing::Keep));
    EXPECT_EQ(ReadBytes(to), kOldTarget);
    ASSERT_TRUE(SafeCopyFile(From(), to, Existing::Replace));
    EXPECT_EQ(ReadBytes(to), kSourceBytes);
    EXPECT_EQ(ListNames(target.Path()), (std::vector<std::string>{"data"}));
}

TEST_F(FileTransferTest, LinksAreNeitherCopiedNorMovedNorFollowed) {
    TempDir target;
    Prepare(target.Path(), false);
    std::filesystem::create_symlink(From(), source.File("link"));
    EXPECT_FALSE(SafeCopyFile(source.File("link"), to, Existing::Keep));
    EXPECT_FALSE(SafeMoveFile(source.File("link"), to, Existing::Keep));
    // A link at the target is replaced itself; what it points to stays.
    std::filesystem::create_symlink(source.File("victim"), to);
    testing::WriteBytes(source.File("victim"), kOldTarget);
    ASSERT_TRUE(SafeCopyFile(From(), to, Existing::Replace));
    EXPECT_FALSE(std::filesystem::is_symlink(to));
    EXPECT_EQ(ReadBytes(source.File("victim")), kOldTarget);
}

TEST_F(FileTransferTest, MoveWithinOneFileSystemRenamesAndKeepsAnExistingTargetUnlessReplacing) {
    TempDir target;
    Prepare(target.Path(), true);
    EXPECT_FALSE(SafeMoveFile(From(), to, Existing::Keep));
    EXPECT_EQ(ReadBytes(From()), kSourceBytes);
    EXPECT_EQ(ReadBytes(to), kOldTarget);
    ASSERT_TRUE(SafeMoveFile(From(), to, Existing::Replace));
    EXPECT_FALSE(testing::Exists(From()));
    EXPECT_EQ(ReadBytes(to), kSourceBytes);
}

// Every step of a copy, and of a move to another file system, failing in turn: the
// source stays whole, the target is the old one or absent, and no work file remains.
TEST_F(FileTransferTest, AFailureAtAnyStepKeepsTheSourceAndLeavesNoPartialTarget) {
    ScratchMount other(64U << 20);
    const FileOp ops[] = {FileOp::Open,          FileOp::Read,        FileOp::Write,  FileOp::SetAttributes,
                          FileOp::SetDateTime,   FileOp::Sync,        FileOp::Rename, FileOp::Delete};
    enum class Kind { Copy, MoveHere, MoveAcross };
    for (const Kind kind : {Kind::Copy, Kind::MoveHere, Kind::MoveAcross}) {
        if (kind == Kind::MoveAcross && !other.Mounted()) {
            continue;
        }
        for (const bool oldTarget : {false, true}) {
            for (const FileOp op : ops) {
                for (int nth = 1; nth <= 3; ++nth) {
                    SCOPED_TRACE(::testing::Message() << "kind " << int(kind) << " old " << oldTarget << " op "
                                                      << int(op) << " call " << nth);
                    TempDir here;
                    const std::string targetDirectory = kind == Kind::MoveAcross ? other.Path() : here.Path();
                    std::filesystem::remove(targetDirectory + "/data");
                    Prepare(targetDirectory, oldTarget);
                    const Existing existing = oldTarget ? Existing::Replace : Existing::Keep;
                    InjectFileFault(op, nth);
                    const bool done = kind == Kind::Copy ? SafeCopyFile(From(), to, existing)
                                                         : SafeMoveFile(From(), to, existing);
                    ClearFileFaults();
                    const bool sourceKept = testing::Exists(From());
                    if (sourceKept) {
                        EXPECT_EQ(ReadBytes(From()), kSourceBytes);
                    }
                    const Bytes target = testing::Exists(to) ? ReadBytes(to) : Bytes{};
                    if (done) {
                        EXPECT_EQ(target, kSourceBytes);
                        EXPECT_EQ(sourceKept, kind == Kind::Copy);
                    } else {
                        EXPECT_TRUE(target == kSourceBytes || target == (oldTarget ? kOldTarget : Bytes{}));
                        // A source gone means its move was complete.
                        EXPECT_TRUE(sourceKept || target == kSourceBytes);
                    }
                    const auto names = ListNames(targetDirectory);
                    EXPECT_EQ(names.size(), target.empty() ? 0U : 1U);
                    std::filesystem::remove(to);
                }
            }
        }
    }
}

TEST_F(FileTransferTest, AFullDiskFailsTheCopyAndTheMoveWithoutATrace) {
    ScratchMount small(1U << 20);
    if (!small.Mounted()) {
        GTEST_SKIP() << "no right to mount a small file system";
    }
    Prepare(small.Path(), false);
    EXPECT_FALSE(SafeCopyFile(From(), to, Existing::Keep));
    EXPECT_FALSE(SafeMoveFile(From(), to, Existing::Keep));
    EXPECT_EQ(ReadBytes(From()), kSourceBytes);
    EXPECT_TRUE(ListNames(small.Path()).empty());
    // An old target survives a replacement that ran out of room.
    testing::WriteBytes(to, kOldTarget);
    EXPECT_FALSE(SafeMoveFile(From(), to, Existing::Replace));
    EXPECT_EQ(ReadBytes(to), kOldTarget);
    EXPECT_EQ(ListNames(small.Path()), (std::vector<std::string>{"data"}));
}

TEST_F(FileTransferTest, AMoveAcrossFileSystemsDeletesItsSourcesOnlyWhenSettled) {
    ScratchMount other(64U << 20);
    if (!other.Mounted()) {
        GTEST_SKIP() << "no right to mount a second file system";
    }
    Prepare(other.Path(), true);
    testing::WriteText(source.File("src/second"), "second");
    testing::WriteText(source.File("src/changed"), "before");
    {
        FileMover mover;
        ASSERT_TRUE(mover.Move(From(), to, Existing::Replace));
        ASSERT_TRUE(mover.Move(source.File("src/second"), other.File("second"), Existing::Keep));
        ASSERT_TRUE(mover.Move(source.File("src/changed"), other.File("changed"), Existing::Keep));
        EXPECT_TRUE(testing::Exists(From())); // until the copies are on the disk
        testing::WriteText(source.File("src/changed"), "after, and longer");
        EXPECT_FALSE(mover.Finish()); // the changed source was not deleted
    }
    EXPECT_EQ(ReadBytes(to), kSourceBytes);
    EXPECT_EQ(ListNames(source.Path() + "/src"), (std::vector<std::string>{"changed"}));
    EXPECT_EQ(ListNames(other.Path()), (std::vector<std::string>{"changed", "data", "second"}));
}

TEST_F(FileTransferTest, AReadOnlySourceDirectoryIsNotMovedOutOf) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "the superuser writes into read-only directories";
    }
    ScratchMount other(64U << 20);
    TempDir here;
    Prepare(other.Mounted() ? other.Path() : here.Path(), false);
    chmod((source.Path() + "/src").c_str(), 0555);
    EXPECT_FALSE(SafeMoveFile(From(), to, Existing::Keep));
    chmod((source.Path() + "/src").c_str(), 0755);
    EXPECT_EQ(ReadBytes(From()), kSourceBytes);
    EXPECT_FALSE(testing::Exists(to));
}

TEST_F(FileTransferTest, DirectoriesAreCreatedAndRemovedOnlyWhenEmpty) {
    TempDir dir;
    EXPECT_TRUE(SafeCreateDirectory(dir.File("new")));
    EXPECT_FALSE(SafeCreateDirectory(dir.File("new")));
    EXPECT_FALSE(SafeCreateDirectory(dir.File("missing/new")));
    testing::WriteText(dir.File("new/file"), "x");
    EXPECT_FALSE(SafeRemoveDirectory(dir.File("new")));
    std::filesystem::create_directory_symlink(dir.File("new"), dir.File("link"));
    EXPECT_FALSE(SafeRemoveDirectory(dir.File("link")));
    std::filesystem::remove(dir.File("new/file"));
    InjectFileFault(FileOp::RemoveDirectory, 1);
    EXPECT_FALSE(SafeRemoveDirectory(dir.File("new")));
    EXPECT_TRUE(SafeRemoveDirectory(dir.File("new")));
    InjectFileFault(FileOp::MakeDirectory, 1);
    EXPECT_FALSE(SafeCreateDirectory(dir.File("new")));
    EXPECT_EQ(ListNames(dir.Path()), (std::vector<std::string>{"link"}));
}

} // namespace
} // namespace vlt
