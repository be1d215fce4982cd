// Peeking at file headers: what counts as unreadable, and that readers share.
#include "platform/file_peek.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace vlt {
namespace {

TEST(FilePeek, ReadsTheStartOfRegularFilesOnly) {
    testing::TempDir temp;
    testing::WriteText(temp.File("long"), "0123456789");
    testing::WriteText(temp.File("short"), "ab");
    testing::WriteText(temp.File("empty"), "");
    std::filesystem::create_directories(temp.File("sub"));
    ASSERT_EQ(symlink(temp.File("long").c_str(), temp.File("link").c_str()), 0);
    ASSERT_EQ(mkfifo(temp.File("fifo").c_str(), 0600), 0);

    const OpenDirectory directory(temp.Path() + "/");
    char buffer[7] = {};
    EXPECT_EQ(directory.PeekFileStart("long", buffer, sizeof buffer), 7);
    EXPECT_EQ(std::string(buffer, 7), "0123456");
    EXPECT_EQ(directory.PeekFileStart("short", buffer, sizeof buffer), 2);
    EXPECT_EQ(directory.PeekFileStart("empty", buffer, sizeof buffer), 0);
    EXPECT_EQ(directory.PeekFileStart("missing", buffer, sizeof buffer), -1);
    EXPECT_EQ(directory.PeekFileStart("sub", buffer, sizeof buffer), -1);
    EXPECT_EQ(directory.PeekFileStart("link", buffer, sizeof buffer), -1); // never followed
    EXPECT_LE(directory.PeekFileStart("fifo", buffer, sizeof buffer), 0);  // and never waits

    // The directory is held: a rename does not lose its files.
    std::filesystem::rename(temp.Path(), temp.Path() + ".moved");
    EXPECT_EQ(directory.PeekFileStart("short", buffer, sizeof buffer), 2);
    std::filesystem::rename(temp.Path() + ".moved", temp.Path());
}

TEST(FilePeek, AnExclusiveHolderMakesTheFileUnreadableASharedOneDoesNot) {
    testing::TempDir temp;
    testing::WriteText(temp.File("held"), "content");
    const OpenDirectory directory(temp.Path() + "/");
    const int holder = open(temp.File("held").c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    char buffer[4];
    ASSERT_EQ(flock(holder, LOCK_SH), 0);
    EXPECT_EQ(directory.PeekFileStart("held", buffer, sizeof buffer), 4);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    EXPECT_EQ(directory.PeekFileStart("held", buffer, sizeof buffer), -1);
    close(holder);
    EXPECT_EQ(directory.PeekFileStart("held", buffer, sizeof buffer), 4);
}

TEST(FilePeek, AMissingDirectoryFindsNothing) {
    const OpenDirectory directory("/no/such/directory/");
    char buffer[4];
    EXPECT_EQ(directory.PeekFileStart("file", buffer, sizeof buffer), -1);
}

} // namespace
} // namespace vlt
