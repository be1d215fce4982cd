// The job driver with the real one-file operations over trees that someone else
// can change: links swapped in, names that collide, masks that point elsewhere,
// hard links, and what the listing has to leave out.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "batch/directory_list.h"
#include "batch/job_driver.h"
#include "common/temp_dir.h"
#include "platform/attributes.h"
#include "scripted_host.h"
#include "settings/settings_file.h"

namespace vlt {
namespace {

namespace fs = std::filesystem;
using testing::Exists;
using testing::ReadBytes;
using testing::ScriptedHost;
using testing::TempDir;
using testing::WriteBytes;

class HostileTreeTest : public ::testing::Test {
protected:
    std::string Make(const std::string& relative, std::size_t size = 100, std::uint32_t seed = 1) {
        const std::string path = temp.File(relative);
        fs::create_directories(fs::path(path).parent_path());
        WriteBytes(path, testing::PatternBytes(size, seed));
        return path;
    }

    JobOutcome Run(JobMode mode) { return RunJob(mode, host, settings, state); }

    // The log lines of the files, without the search and count lines.
    std::vector<std::string> FileLines() const {
        std::vector<std::string> lines;
        for (const std::string& line : host.log) {
            if (line.rfind("  ", 0) == 0) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    TempDir temp;
    SettingsRecord settings = testing::UnattendedRunSettings();
    RunState state;
    ScriptedHost host;
};

// Flattened into one destination, a/x and b/x would give out/x twice: the second is
// refused (an error), and its original stays although originals are removed.
TEST_F(HostileTreeTest, OutputsOfOneRunNeverReplaceEachOther) {
    const std::string first = Make("tree/a/x", 100, 1);
    const std::string second = Make("tree/b/x", 100, 2);
    fs::create_directories(temp.File("out"));
    settings.ExtDestDialogSwitch = 1;
    settings.RemoveOrigSwitch = 1;
    settings.OverWSwitch = 0;
    host.destination = temp.File("out");
    host.selection.directories = {temp.File("tree")};
    const JobOutcome outcome = Run(jmEncrypt);

    EXPECT_EQ(outcome.success, 1);
    EXPECT_EQ(outcome.errors, 1);
    EXPECT_EQ(Exists(first) + Exists(second), 1) << "exactly one original was removed";
    const std::vector<std::string> lines = FileLines();
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_NE(lines[1].find(" NOT REPLACED: THE TARGET WAS WRITTEN BY THIS RUN"), std::string::npos) << lines[1];
}

// A directory swapped for a link to another tree after the listing: nothing there
// is touched, and each skipped file has its log line.
TEST_F(HostileTreeTest, ADirectorySwappedForALinkAfterTheListingIsNotFollowed) {
    Make("tree/dir/one");
    Make("tree/dir/two");
    const std::string victim = Make("outside/one", 100, 9);
    Make("outside/two", 100, 9);
    const auto before = ReadBytes(victim);
    bool swapped = false;
    host.onProcessMessages = [&] {
        if (!swapped) {
            fs::rename(temp.File("tree/dir"), temp.File("tree/moved"));
            fs::create_directory_symlink(temp.File("outside"), temp.File("tree/dir"));
            swapped = true;
        }
    };
    host.selection.directories = {temp.File("tree")};
    const JobOutcome outcome = Run(jmWipe);

    EXPECT_EQ(ReadBytes(victim), before);
    EXPECT_TRUE(Exists(temp.File("outside/two")));
    EXPECT_EQ(outcome.success, 0);
    EXPECT_EQ(outcome.errors, 2);
    for (const std::string& line : FileLines()) {
        EXPECT_NE(line.find("NOT THE FILE LISTED"), std::string::npos) << line;
    }
}

// The same while a helper swaps the directory back and forth as fast as it can:
// after 200 rounds no file outside the tree has changed.
TEST_F(HostileTreeTest, ARacingSwapNeverLeadsAWipeOutOfTheTree) {
    const std::vector<std::uint8_t> outsideBytes = testing::PatternBytes(3000, 9);
    for (const char* name : {"one", "two", "three"}) {
        WriteBytes(Make("outside/" + std::string(name)), outsideBytes);
    }
    host.selection.directories = {temp.File("tree")};
    for (int round = 0; round < 200; ++round) {
        fs::remove_all(temp.File("tree"));
        for (const char* name : {"one", "two", "three"}) {
            Make("tree/dir/" + std::string(name), 3000, 1);
        }
        std::atomic<bool> done{false};
        std::thread swapper([&] {
            const std::string dir = temp.File("tree/dir");
            const std::string aside = temp.File("tree/aside");
            while (!done) {
                if (::rename(dir.c_str(), aside.c_str()) == 0) {
                    (void)::symlink(temp.File("outside").c_str(), dir.c_str());
                    std::this_thread::yield();
                    (void)::unlink(dir.c_str());
                    (void)::rename(aside.c_str(), dir.c_str());
                }
                std::this_thread::yield();
            }
        });
        (void)Run(jmWipe);
        done = true;
        swapper.join();
        for (const char* name : {"one", "two", "three"}) {
            const std::string outside = temp.File("outside/" + std::string(name));
            ASSERT_TRUE(Exists(outside)) << "round " << round << ": " << name;
            ASSERT_EQ(ReadBytes(outside), outsideBytes) << "round " << round << ": " << name;
        }
    }
}

// Masks name files; "../*" and friends list nothing at all.
TEST_F(HostileTreeTest, AMaskThatReachesOtherDirectoriesListsNothing) {
    Make("tree/sub/a");
    const std::string sibling = Make("sibling/b");
    host.selection.directories = {temp.File("tree/sub")};
    for (const char* mask : {"../*", "..", ".", "x/../*"}) {
        SCOPED_TRACE(mask);
        host.selection.mask = mask;
        const JobOutcome outcome = Run(jmWipe);
        EXPECT_EQ(outcome.found, 0);
        EXPECT_EQ(outcome.errors, 1);
        EXPECT_TRUE(Exists(sibling));
        EXPECT_TRUE(Exists(temp.File("tree/sub/a")));
    }
    TDirectoryList list{TDirectoryList::kMaxBlocks, true};
    EXPECT_FALSE(list.Build(temp.File("tree/sub/../*.*"), 0, true));
    EXPECT_FALSE(list.Build(temp.File("tree/sub/.."), 0, true));
}

// A wipe leaves a file with other hard links alone, and says why.
TEST_F(HostileTreeTest, AHardLinkedFileIsNotWiped) {
    const std::string file = Make("tree/a", 5000, 4);
    const std::string other = temp.File("elsewhere");
    ASSERT_EQ(::link(file.c_str(), other.c_str()), 0);
    host.selection.files = {file};
    const JobOutcome outcome = Run(jmWipe);

    EXPECT_EQ(outcome.wipesFailed, 1);
    EXPECT_EQ(ReadBytes(other), testing::PatternBytes(5000, 4));
    EXPECT_TRUE(Exists(file));
    ASSERT_EQ(FileLines().size(), 1U);
    EXPECT_NE(FileLines()[0].find("FAILED! (other hard links share its data; not wiped)"), std::string::npos);
}

// In place, the encrypted file replaces only this name: the log says that the other
// names still hold the plain text.
TEST_F(HostileTreeTest, EncryptingAHardLinkedFileInPlaceSaysTheOtherNamesKeepThePlainText) {
    const std::string file = Make("tree/a", 5000, 4);
    ASSERT_EQ(::link(file.c_str(), temp.File("elsewhere").c_str()), 0);
    host.selection.files = {file};
    const JobOutcome outcome = Run(jmEncrypt);

    EXPECT_EQ(outcome.success, 1);
    ASSERT_EQ(FileLines().size(), 1U);
    EXPECT_NE(FileLines()[0].find("(1 other hard link(s) still hold the plain text)"), std::string::npos);
}

// Nothing the listing leaves out goes unsaid: unreadable subdirectories and
// overlong names are errors, excluded files are counted for the summary.
TEST_F(HostileTreeTest, WhatTheListingLeavesOutIsReported) {
    Make("tree/kept");
    Make("tree/.hidden");
    const std::string locked = temp.File("tree/locked");
    Make("tree/locked/inside");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    settings.ExcludeMask = faHidden;
    host.selection.directories = {temp.File("tree")};
    const bool root = ::geteuid() == 0;
    const JobOutcome outcome = Run(jmWipe);
    ::chmod(locked.c_str(), 0700);

    EXPECT_EQ(host.done.leftOut, 1);
    EXPECT_EQ(host.done.leftOutAttributes, faHidden);
    if (!root) { // the superuser reads any directory
        EXPECT_EQ(outcome.errors, 1);
        EXPECT_NE(std::find_if(host.log.begin(), host.log.end(),
                               [](const std::string& line) { return line.rfind("Cannot read ", 0) == 0; }),
                  host.log.end());
    }
}

// A directory whose path would pass the length limit is left out, and said so.
TEST_F(HostileTreeTest, APathOverTheLengthLimitIsAnError) {
    Make("tree/kept");
    const std::string component(200, 'd');
    std::vector<int> levels = {::open(temp.File("tree").c_str(), O_PATH | O_DIRECTORY)};
    std::string deepest = temp.File("tree");
    while (deepest.size() <= 4095) {
        ASSERT_EQ(::mkdirat(levels.back(), component.c_str(), 0700), 0);
        levels.push_back(::openat(levels.back(), component.c_str(), O_PATH | O_DIRECTORY));
        deepest += "/" + component;
    }
    host.selection.directories = {temp.File("tree")};
    const JobOutcome outcome = Run(jmWipe);
    // Cut the chain in two so that both halves can be removed by path.
    ASSERT_EQ(::renameat(levels[10], component.c_str(), levels[0], "cut"), 0);
    for (const int level : levels) {
        ::close(level);
    }

    EXPECT_EQ(outcome.success, 1);
    EXPECT_EQ(outcome.errors, 1);
    EXPECT_NE(std::find(host.log.begin(), host.log.end(), "Name too long, left out: " + deepest), host.log.end());
}

TEST_F(HostileTreeTest, MoreSubdirectoriesThanTheListingHoldsIsAnError) {
    for (int i = 0; i <= TDirectoryList::kMaxDirectories; ++i) {
        fs::create_directories(temp.File("tree/d" + std::to_string(i)));
    }
    host.selection.directories = {temp.File("tree")};
    const JobOutcome outcome = Run(jmWipe);

    EXPECT_EQ(outcome.errors, 1);
    EXPECT_NE(std::find(host.log.begin(), host.log.end(),
                        "More than 8,192 subdirectories below " + temp.File("tree") + "/: not listed."),
              host.log.end());
}

} // namespace
} // namespace vlt
