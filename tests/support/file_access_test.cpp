#include "support/file_access.h"
#include "support/file_faults.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vlt {
namespace {

using testing::TempDir;

class FileAccessTest : public ::testing::Test {
protected:
    void TearDown() override { ClearFileFaults(); }
    TempDir dir;
};

TEST_F(FileAccessTest, UnknownModesGiveAbsentWithoutTouchingTheFileSystem) {
    for (const int mode : {0, 5, -1, 0x104}) {
        FileHandle handle = SafeOpen(dir.File("new"), mode);
        EXPECT_FALSE(handle.IsOpen()) << mode;
        EXPECT_FALSE(SafeClose(handle)) << mode;
    }
    EXPECT_TRUE(testing::ListNames(dir.Path()).empty());
}

TEST_F(FileAccessTest, ModesOpenExistingFilesOrCreateAndEmpty) {
    for (const int mode : {omRead, omWrite, omReadWrite}) {
        EXPECT_FALSE(SafeOpen(dir.File("missing"), mode).IsOpen()) << mode;
    }
    EXPECT_FALSE(testing::Exists(dir.File("missing")));

    testing::WriteText(dir.File("file"), "old contents");
    FileHandle reader = SafeOpen(dir.File("file"), omRead);
    ASSERT_TRUE(reader.IsOpen());
    EXPECT_EQ(SafeWrite("x", 1, 1, reader), -1); // read-only handle
    EXPECT_TRUE(SafeClose(reader));
    EXPECT_FALSE(reader.IsOpen());

    FileHandle created = SafeOpen(dir.File("file"), omCreate);
    ASSERT_TRUE(created.IsOpen());
    EXPECT_EQ(SafeWrite("new", 1, 3, created), 3);
    ASSERT_EQ(lseek(created.Descriptor(), 0, SEEK_SET), 0);
    char back[8] = {};
    EXPECT_EQ(SafeRead(back, 1, sizeof back, created), 3); // reads too, and the old bytes are gone
    EXPECT_EQ(std::string(back, 3), "new");
    EXPECT_TRUE(SafeClose(created));
}

TEST_F(FileAccessTest, AnOpenFileIsExclusive) {
    testing::WriteText(dir.File("held"), "precious");
    FileHandle holder = SafeOpen(dir.File("held"), omRead);
    ASSERT_TRUE(holder.IsOpen());
    for (const int mode : {omRead, omWrite, omReadWrite, omCreate}) {
        EXPECT_FALSE(SafeOpen(dir.File("held"), mode).IsOpen()) << mode;
    }
    EXPECT_EQ(testing::ReadBytes(dir.File("held")).size(), 8u); // omCreate emptied nothing

    // Another process sees the lock as well.
    const pid_t child = fork();
    if (child == 0) {
        _exit(SafeOpen(dir.File("held"), omReadWrite).IsOpen() ? 1 : 0);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    EXPECT_TRUE(SafeClose(holder));
    EXPECT_TRUE(SafeOpen(dir.File("held"), omReadWrite).IsOpen());
}

TEST_F(FileAccessTest, ReadsAndWritesCountBytes) {
    testing::WriteBytes(dir.File("data"), testing::PatternBytes(10));
    FileHandle handle = SafeOpen(dir.File("data"), omRead);
    ASSERT_TRUE(handle.IsOpen());
    std::uint8_t buffer[16] = {};
    EXPECT_EQ(SafeRead(buffer, 4, 2, handle), 8);
    EXPECT_EQ(SafeRead(buffer, 4, 2, handle), 2); // fewer at the end
    EXPECT_EQ(SafeRead(buffer, 4, 2, handle), 0); // at the end
    EXPECT_EQ(SafeRead(buffer, 4, 0, handle), 0);
    EXPECT_TRUE(SafeClose(handle));

    FileHandle absent;
    EXPECT_EQ(SafeRead(buffer, 1, 0, absent), 0); // no platform call for nothing
    EXPECT_EQ(SafeRead(buffer, 1, 1, absent), -1);
    EXPECT_EQ(SafeWrite(buffer, 1, 1, absent), -1);
    EXPECT_EQ(SafeRead(buffer, SIZE_MAX, 2, absent), -1); // size * count overflows
    EXPECT_FALSE(SyncFile(absent));
}

TEST_F(FileAccessTest, SymbolicLinksAndSpecialFilesAreNeverFollowed) {
    testing::WriteText(dir.File("target"), "target data");
    ASSERT_EQ(symlink(dir.File("target").c_str(), dir.File("link").c_str()), 0);
    ASSERT_EQ(symlink(dir.File("nowhere").c_str(), dir.File("dangling").c_str()), 0);
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(dir.File("sub").c_str(), 0700), 0);

    for (const char* name : {"link", "dangling", "pipe", "sub"}) {
        for (const int mode : {omRead, omWrite, omCreate}) {
            EXPECT_FALSE(SafeOpen(dir.File(name), mode).IsOpen()) << name << " " << mode;
        }
        EXPECT_TRUE(FileExistsAny(dir.File(name))) << name;
        EXPECT_EQ(FileSizeOf(dir.File(name)), 0u) << name;
    }
    EXPECT_FALSE(testing::Exists(dir.File("nowhere"))); // omCreate did not create through the link
    EXPECT_EQ(FileSizeOf(dir.File("target")), 11u);
    EXPECT_FALSE(FileExistsAny(dir.File("nowhere")));
    EXPECT_EQ(FileSizeOf(dir.File("nowhere")), 0u);

    EXPECT_FALSE(SetAttributes(dir.File("link"), faReadOnly));
    EXPECT_TRUE(SafeDelete(dir.File("link")));
    EXPECT_FALSE(SafeDelete(dir.File("sub")));
    EXPECT_EQ(testing::ReadBytes(dir.File("target")).size(), 11u);
    struct stat info {};
    ASSERT_EQ(stat(dir.File("target").c_str(), &info), 0);
    EXPECT_TRUE(info.st_mode & S_IWUSR);
}

TEST_F(FileAccessTest, RenameNeverReplaces) {
    testing::WriteText(dir.File("a"), "A");
    testing::WriteText(dir.File("b"), "B");
    EXPECT_FALSE(SafeRename(dir.File("a"), dir.File("b")));
    EXPECT_EQ(testing::ReadBytes(dir.File("a")), std::vector<std::uint8_t>{'A'});
    EXPECT_EQ(testing::ReadBytes(dir.File("b")), std::vector<std::uint8_t>{'B'});

    EXPECT_TRUE(SafeRename(dir.File("a"), dir.File("c")));
    EXPECT_FALSE(testing::Exists(dir.File("a")));
    EXPECT_FALSE(SafeRename(dir.File("a"), dir.File("d"))); // source gone

    EXPECT_TRUE(SafeReplace(dir.File("c"), dir.File("b")));
    EXPECT_EQ(testing::ListNames(dir.Path()), std::vector<std::string>{"b"});
    EXPECT_EQ(testing::ReadBytes(dir.File("b")), std::vector<std::uint8_t>{'A'});
}

TEST_F(FileAccessTest, AttributesMapOntoPermissionsAndNames) {
    testing::WriteText(dir.File("plain"), "x");
    testing::WriteText(dir.File(".dotted"), "x");
    ASSERT_EQ(mkdir(dir.File("folder").c_str(), 0755), 0);
    struct Case {
        const char* name;
        std::uint16_t set;
        std::uint16_t expected;
    };
    const Case cases[] = {
        {"plain", faReadOnly, faArchive | faReadOnly},
        {"plain", 0, faArchive},
        {"plain", faHidden | faSystem | faArchive, faArchive}, // accepted without effect
        {".dotted", faReadOnly | faHidden, faArchive | faHidden | faReadOnly},
        {".dotted", faHidden, faArchive | faHidden},
        {"folder", faDirectory | faReadOnly, faDirectory | faReadOnly},
        {"folder", faDirectory, faDirectory},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(SetAttributes(dir.File(c.name), c.set)) << c.name << " " << c.set;
        std::uint16_t attributes = 0;
        ASSERT_TRUE(GetAttributes(dir.File(c.name), attributes)) << c.name;
        EXPECT_EQ(attributes, c.expected) << c.name << " " << c.set;
    }
    std::uint16_t attributes = 0x5A5A;
    EXPECT_FALSE(GetAttributes(dir.File("missing"), attributes));
    EXPECT_FALSE(SetAttributes(dir.File("missing"), 0));
}

TEST_F(FileAccessTest, DateTimeCopiesBetweenFilesAtTwoSecondResolution) {
    testing::WriteText(dir.File("source"), "s");
    testing::WriteText(dir.File("copy"), "c");
    FileHandle source = SafeOpen(dir.File("source"), omReadWrite);
    FileHandle copy = SafeOpen(dir.File("copy"), omRead);
    ASSERT_TRUE(source.IsOpen() && copy.IsOpen());

    // 2001-02-03 04:05:07 local: the odd second is lost on the way.
    const std::uint32_t stamp = (21u << 25 | 2u << 21 | 3u << 16) | (4u << 11 | 5u << 5 | 3u);
    ASSERT_TRUE(SetFileDateTime(source, stamp));
    std::uint32_t read = 0;
    ASSERT_TRUE(GetFileDateTime(source, read));
    EXPECT_EQ(read, stamp);
    ASSERT_TRUE(SetFileDateTime(copy, read)); // a read-only handle may set the time
    std::uint32_t copied = 0;
    ASSERT_TRUE(GetFileDateTime(copy, copied));
    EXPECT_EQ(copied, stamp);
    struct stat a {};
    struct stat b {};
    ASSERT_EQ(fstat(source.Descriptor(), &a), 0);
    ASSERT_EQ(fstat(copy.Descriptor(), &b), 0);
    EXPECT_EQ(a.st_mtim.tv_sec, b.st_mtim.tv_sec);
    EXPECT_EQ(a.st_mtim.tv_sec % 2, 0);

    EXPECT_FALSE(SetFileDateTime(copy, kInvalidDosDateTime));
    FileHandle absent;
    std::uint32_t none = 0;
    EXPECT_FALSE(GetFileDateTime(absent, none));
    EXPECT_EQ(none, kInvalidDosDateTime);
}

TEST_F(FileAccessTest, InjectedFaultsHitTheNthCallOnly) {
    testing::WriteText(dir.File("f"), "0123456789");
    FileHandle handle = SafeOpen(dir.File("f"), omReadWrite);
    ASSERT_TRUE(handle.IsOpen());
    char buffer[2];
    InjectFileFault(FileOp::Read, 2);
    EXPECT_EQ(SafeRead(buffer, 1, 2, handle), 2);
    EXPECT_EQ(SafeRead(buffer, 1, 2, handle), -1);
    EXPECT_EQ(SafeRead(buffer, 1, 2, handle), 2);

    // Each helper consults its own operation.
    std::uint16_t attributes = 0;
    std::uint32_t stamp = 0;
    const std::pair<FileOp, std::function<bool()>> helpers[] = {
        {FileOp::Open, [&] { return SafeOpen(dir.File("other"), omCreate).IsOpen(); }},
        {FileOp::Write, [&] { return SafeWrite("ab", 1, 2, handle) == 2; }},
        {FileOp::Sync, [&] { return SyncFile(handle); }},
        {FileOp::GetAttributes, [&] { return GetAttributes(dir.File("f"), attributes); }},
        {FileOp::SetAttributes, [&] { return SetAttributes(dir.File("f"), 0); }},
        {FileOp::GetDateTime, [&] { return GetFileDateTime(handle, stamp); }},
        {FileOp::SetDateTime, [&] { return SetFileDateTime(handle, stamp); }},
        {FileOp::Rename, [&] { return SafeRename(dir.File("other"), dir.File("renamed")); }},
        {FileOp::Delete, [&] { return SafeDelete(dir.File("renamed")); }},
    };
    for (const auto& [op, call] : helpers) {
        InjectFileFault(op, 1);
        EXPECT_FALSE(call()) << static_cast<int>(op);
        EXPECT_TRUE(call()) << static_cast<int>(op);
    }
    InjectFileFault(FileOp::Close, 1);
    EXPECT_FALSE(SafeClose(handle));
    EXPECT_FALSE(handle.IsOpen()); // released all the same
    EXPECT_TRUE(SafeOpen(dir.File("f"), omRead).IsOpen());
}

} // namespace
} // namespace vlt
