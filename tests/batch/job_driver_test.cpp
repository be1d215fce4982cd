// The job driver against a scripted host and scripted one-file operations: the
// order of the groups, the questions, the log lines and the counters.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "batch/job_driver.h"
#include "common/temp_dir.h"
#include "scripted_host.h"
#include "settings/settings_file.h"

namespace vlt {
namespace {

using testing::ScriptedHost;
using testing::TempDir;

class JobDriverTest : public ::testing::Test {
protected:
    JobDriverTest() {
        DefaultSettings(settings, 1024, 768);
        settings.ExtDestDialogSwitch = 0;
        operations.encrypt = [this](TEncryptContext& context, FileOperationHost& operationHost) {
            processed.push_back(context.SourceDir + context.FileName);
            destinations.push_back(context.DestDir);
            if (context.WipeOriginal) {
                (void)operationHost.JobProgress(pkWipe, 0);
                (void)operationHost.JobProgress(pkWipe, 4096); // ignored
            }
            context.NewName = "X";
            context.CompressionRatio = 57;
            return ResultFor(context.FileName);
        };
        operations.decrypt = [this](TDecryptContext& context, FileOperationHost&) {
            processed.push_back(context.SourceDir + context.FileName);
            context.RestoredName = "plain.txt";
            return ResultFor(context.FileName);
        };
        operations.wipe = [this](const std::string& path, int, const WipePoll& poll) {
            processed.push_back(path);
            return poll(WipeProgress{0, 0, 3}) ? WipeOutcome::Stopped : WipeOutcome::Wiped;
        };
        // Whatever holds the temporary directory, the run sees this file system.
        operations.fileSystemOf = [this](const std::string&) { return std::optional(fileSystem); };
    }

    ResultCode ResultFor(const std::string& name) const {
        const auto it = results.find(name);
        return it == results.end() ? resDone : it->second;
    }

    // A directory with the given files (each `size` bytes) below the temp directory.
    std::string MakeTree(const std::string& name, const std::vector<std::string>& files, std::size_t size = 10) {
        const std::string directory = temp.File(name);
        std::filesystem::create_directories(directory);
        for (const std::string& file : files) {
            testing::WriteBytes(directory + "/" + file, std::vector<std::uint8_t>(size, 'a'));
        }
        return directory;
    }

    JobOutcome Run(JobMode mode) { return RunJob(mode, host, settings, state, operations); }

    TempDir temp;
    SettingsRecord settings{};
    RunState state;
    ScriptedHost host;
    OneFileOperations operations;
    std::map<std::string, ResultCode> results;
    std::vector<std::string> processed;
    std::vector<std::string> destinations;
    MountedFileSystem fileSystem{"/", "ext4", 1, true};
};

TEST_F(JobDriverTest, NothingSelectedLogsTwoLinesAndSavesThemWithCrLf) {
    host.selection.directories = {temp.Path() + "/.."}; // ignored like an unselected item
    host.saveLogTo = temp.File("log.txt");
    const JobOutcome outcome = Run(jmWipe);

    EXPECT_EQ(host.log, (std::vector<std::string>{"Searching for single selected files...", "No files found."}));
    EXPECT_TRUE(host.doneShown);
    EXPECT_EQ(host.done.tried, 0);
    EXPECT_EQ(host.done.success, 0);
    EXPECT_EQ(host.done.errors, 0);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(host.refilled);
    EXPECT_FALSE(outcome.cancelled);
    const std::string saved = "Searching for single selected files...\r\nNo files found.\r\n";
    EXPECT_EQ(testing::ReadBytes(temp.File("log.txt")), std::vector<std::uint8_t>(saved.begin(), saved.end()));
    EXPECT_EQ(host.titles.back(), "Vaultane 95");
    EXPECT_FALSE(state.JobActive);
}

TEST_F(JobDriverTest, NoSkipsOneDirectoryAndLaterGroupsAreStillOffered) {
    const std::string first = MakeTree("one", {"a.txt"});
    const std::string second = MakeTree("two", {"b.txt", "c.txt"});
    const std::string single = MakeTree("single", {"s.txt"}) + "/s.txt";
    const std::string drive = MakeTree("drive", {"d.txt"});
    host.selection.directories = {first, second};
    host.selection.files = {single};
    host.selection.drives = {drive};
    host.answers = {MsgAnswer::No, MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Yes};
    const JobOutcome outcome = Run(jmWipe);

    EXPECT_EQ(host.messages, (std::vector<std::string>{
                                 "Confirmation required|Should the 1 file(s) be wiped now?",
                                 "Confirmation required|Should the 2 file(s) be wiped now?",
                                 "Confirmation required|Should the 1 single selected file(s) be wiped now?",
                                 "Confirmation required|Should the 1 file(s) be wiped now?",
                             }));
    EXPECT_EQ(processed, (std::vector<std::string>{second + "/b.txt", second + "/c.txt", drive + "/d.txt"}));
    EXPECT_EQ(outcome.found, 5);
    EXPECT_EQ(outcome.success, 3);
    EXPECT_EQ(host.done.mode, jmWipe);
    EXPECT_TRUE(host.refilled);
    EXPECT_EQ(host.log, (std::vector<std::string>{
                            "Searching files in " + first + "/*.* ...",
                            "1 file(s) found, 10 bytes together.",
                            "Searching files in " + second + "/*.* ...",
                            "2 file(s) found, 20 bytes together.",
                            "  wiping " + second + "/b.txt (10 bytes), done.",
                            "  wiping " + second + "/c.txt (10 bytes), done.",
                            "Searching for single selected files...",
                            "1 file(s) found, 10 bytes together.",
                            "Searching files on drive " + drive + "/*.* ...",
                            "1 file(s) found, 10 bytes together.",
                            "  wiping " + drive + "/d.txt (10 bytes), done.",
                        }));
}

TEST_F(JobDriverTest, CancelEndsTheRunWithTheSummary) {
    host.selection.directories = {MakeTree("one", {"a.txt", "b.txt"}), MakeTree("two", {"c.txt"})};
    host.selection.files = {MakeTree("single", {"s.txt"}) + "/s.txt"};
    host.answers = {MsgAnswer::Cancel};
    const JobOutcome outcome = Run(jmWipe);

    EXPECT_EQ(host.messages.size(), 1U);
    EXPECT_TRUE(processed.empty());
    EXPECT_TRUE(host.doneShown);
    EXPECT_EQ(host.done.tried, 2);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(host.log.back(), "2 file(s) found, 20 bytes together.");
}

TEST_F(JobDriverTest, ConfirmationSettingsDecideWhoIsAsked) {
    struct Case {
        JobMode mode;
        bool confirm;
        bool wipeConfirm;
        std::size_t questions; // for one directory and one drive
    };
    const Case cases[] = {
        {jmWipe, false, false, 1}, // a whole drive is always confirmed
        {jmWipe, false, true, 2},  {jmWipe, true, false, 2}, {jmEncrypt, false, true, 0}, {jmEncrypt, true, false, 2},
    };
    const std::string directory = MakeTree("dir", {"a"});
    const std::string drive = MakeTree("drive", {"b"});
    for (const Case& c : cases) {
        ScriptedHost fresh;
        fresh.selection.directories = {directory};
        fresh.selection.drives = {drive};
        settings.ConfirmSwitch = c.confirm;
        settings.WipeConfSwitch = c.wipeConfirm;
        fresh.answers = {MsgAnswer::No, MsgAnswer::No};
        (void)RunJob(c.mode, fresh, settings, state, operations);
        EXPECT_EQ(fresh.messages.size(), c.questions) << c.mode << c.confirm << c.wipeConfirm;
    }
}

TEST_F(JobDriverTest, ResultCodesBecomeTextsAndCounts) {
    struct Case {
        const char* name;
        ResultCode code;
        const char* ending;
    };
    const Case cases[] = {
        {"a", resDone, " (plain.txt) done."},
        {"b", resWipingFailed, " (plain.txt) WIPING FAILED, done."}, // a success and an error
        {"c", resAlreadyEncrypted, " ALREADY ENCRYPTED"},            // neither
        {"d", resSkipped, " skipped."},                              // neither
        {"e", resIOError, " I/O ERROR"},
        {"f", ceEncrypted, " unknown error code &?%!"},
        {"g", resPassphraseFailed, " PASSPHRASE/ALGORITHM FAILED"},
        {"h", ResultCode(99), " unknown error code &?%!"},
        {"i", resNeedsVlt95Compat, " VLT95 COMPATIBILITY NEEDED"},
        {"j", resUserBreak, " USER BREAK"}, // ends the run: "k" is not touched
    };
    const std::string directory = MakeTree("dir", {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"});
    std::vector<std::string> expected = {"Searching for single selected files...",
                                         "11 file(s) found, 110 bytes together."};
    for (const Case& c : cases) {
        results[c.name] = c.code;
        host.selection.files.push_back(directory + "/" + c.name);
        expected.push_back("  decrypting " + directory + "/" + c.name + " (10 bytes), " + c.ending);
    }
    host.selection.files.push_back(directory + "/k");
    const JobOutcome outcome = Run(jmDecrypt);

    EXPECT_EQ(host.log, expected);
    EXPECT_EQ(processed.size(), 10U);
    EXPECT_EQ(outcome.success, 2);
    EXPECT_EQ(outcome.errors, 4);
    EXPECT_EQ(outcome.found, 11);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(host.done.tried, 11);
    EXPECT_EQ(host.done.success, 2);
    EXPECT_EQ(host.done.errors, 4);
}

TEST_F(JobDriverTest, EncryptLineCarriesWipingRenameAndRatio) {
    const std::string directory = MakeTree("dir", {"f.bin"}, 1234);
    settings.RenameSwitch = 1;
    settings.CompressSwitch = 1;
    settings.ConfirmSwitch = 0;
    host.selection.files = {directory + "/f.bin"};
    const struct {
        bool wipe;
        const char* ending;
    } cases[] = {
        {false, " (1,234 bytes),  renamed to X (57%) done."},
        {true, " (1,234 bytes),  wiping, renamed to X (57%) done."}, // " wiping," comes first
    };
    for (const auto& c : cases) {
        settings.WipeSwitch = c.wipe;
        const JobOutcome outcome = Run(jmEncrypt);
        EXPECT_EQ(host.log.back(), "  encrypting " + directory + "/f.bin" + c.ending);
        EXPECT_EQ(outcome.success, 1);
        EXPECT_EQ(host.percents.back(), 100);
    }
}

TEST_F(JobDriverTest, WeakKeyQuestionAndScannerStop) {
    settings.VLT7CompSwitch = 1;
    settings.Algo1Box = 4; // TDES takes the passphrase as its key: zero bytes make weak DES keys
    host.passphrase = std::string(3, '\0');
    host.selection.files = {MakeTree("dir", {"a"}) + "/a"};
    state.ScanRunning = true;
    int pumped = 0;
    host.onProcessMessages = [&] {
        if (++pumped == 3) {
            EXPECT_TRUE(state.ScanStopRequest);
            state.ScanRunning = false; // the scanner saw the request
        }
    };
    host.answers = {MsgAnswer::No};
    const JobOutcome declined = Run(jmEncrypt);

    EXPECT_FALSE(state.ScanRunning);
    EXPECT_EQ(host.messages,
              (std::vector<std::string>{"Warning|A weak key was detected. Do you want to continue anyway?"}));
    EXPECT_TRUE(declined.cancelled);
    EXPECT_FALSE(host.doneShown);
    EXPECT_TRUE(processed.empty());

    host.answers = {MsgAnswer::Yes};
    (void)Run(jmEncrypt);
    EXPECT_TRUE(host.doneShown);
    EXPECT_EQ(processed.size(), 1U);
}

TEST_F(JobDriverTest, FatalErrorEndsTheRun) {
    host.selection.files = {MakeTree("dir", {"a"}) + "/a", temp.File("dir/b")};
    testing::WriteText(temp.File("dir/b"), "b");
    results = {{"a", resFatalError}};
    const JobOutcome outcome = Run(jmEncrypt);

    EXPECT_EQ(processed.size(), 1U);
    EXPECT_EQ(outcome.errors, 1);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_EQ(host.log.back(), "  encrypting " + temp.File("dir/a") + " (10 bytes),  FATAL ERROR!");
}

TEST_F(JobDriverTest, StopDuringAFileEndsTheRunAfterIt) {
    host.selection.directories = {MakeTree("dir", {"a", "b", "c"})};
    operations.wipe = [this](const std::string& path, int, const WipePoll&) {
        processed.push_back(path);
        ConfirmStop(host, state);
        return WipeOutcome::Wiped;
    };
    const JobOutcome outcome = Run(jmWipe);

    EXPECT_EQ(processed.size(), 1U);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(host.messages.back(), "User break detected|Do you really want to break?");
}

TEST_F(JobDriverTest, StoppedWipeIsNotDone) {
    host.selection.files = {MakeTree("dir", {"a", "b"}) + "/a", temp.File("dir/b")};
    state.UserBreak = true; // cleared when the run starts
    operations.wipe = [this](const std::string& path, int, const WipePoll& poll) {
        processed.push_back(path);
        state.UserBreak = true;
        return poll(WipeProgress{0, 0, 3}) ? WipeOutcome::Stopped : WipeOutcome::Wiped;
    };
    const JobOutcome outcome = Run(jmWipe);

    EXPECT_EQ(host.log.back(), "  wiping " + temp.File("dir/a") + " (10 bytes), USER BREAK");
    EXPECT_EQ(outcome.success, 0);
    EXPECT_EQ(processed.size(), 1U);
}

TEST_F(JobDriverTest, CancelledPassphraseEndsBeforeAnything) {
    host.acceptPassphrase = false;
    host.selection.files = {MakeTree("dir", {"a"}) + "/a"};
    const JobOutcome outcome = Run(jmDecrypt);

    EXPECT_FALSE(outcome.started);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_FALSE(host.doneShown);
    EXPECT_TRUE(processed.empty());
}

TEST_F(JobDriverTest, DestinationIsAskedCompletedAndRemembered) {
    settings.ExtDestDialogSwitch = 1;
    (void)settings.SetLastDestination("/earlier/");
    host.destination = temp.Path();
    host.selection.files = {MakeTree("dir", {"a"}) + "/a"};
    (void)Run(jmEncrypt);

    EXPECT_EQ(host.destinationRequests, (std::vector<std::string>{"Destination|/earlier/"}));
    EXPECT_EQ(destinations, (std::vector<std::string>{temp.Path() + "/"}));
    EXPECT_EQ(settings.GetLastDestination(), temp.Path() + "/");

    host.destination.clear(); // "leave the files where they are"
    destinations.clear();
    (void)Run(jmEncrypt);
    EXPECT_EQ(destinations, (std::vector<std::string>{""}));
    EXPECT_EQ(settings.GetLastDestination(), temp.Path() + "/");
}

constexpr const char* kFlashNote = "Note: overwriting in place may not reach the old data on /mnt/ssd (ext4): its "
                                   "flash device writes rewritten blocks elsewhere.";

TEST_F(JobDriverTest, WipeNotesTheFileSystemOnceBeforeTheFirstConfirmation) {
    fileSystem = {"/mnt/ssd", "ext4", 7, false};
    settings.WipeConfSwitch = 1;
    const std::string directory = MakeTree("dir", {"a", "b"});
    host.selection.directories = {directory};
    host.selection.files = {directory + "/a"};
    // No to the directory: the note was already there when the question came.
    host.answers = {MsgAnswer::No, MsgAnswer::Yes};
    const JobOutcome outcome = Run(jmWipe);

    ASSERT_EQ(host.messages.size(), 2U);
    const std::vector<std::string> expected = {
        "Searching files in " + directory + "/*.* ...",
        "2 file(s) found, 20 bytes together.",
        kFlashNote,
        "Searching for single selected files...",
        "1 file(s) found, 10 bytes together.",
        "  wiping " + directory + "/a (10 bytes), done.",
    };
    EXPECT_EQ(host.log, expected);
    EXPECT_EQ(outcome.success, 1);
    EXPECT_EQ(outcome.errors, 0);
}

TEST_F(JobDriverTest, OnlyRunsThatWipeAreNoted) {
    struct Case {
        JobMode mode;
        bool wipeOriginals;
        MountedFileSystem fileSystem;
        bool noted;
    };
    const MountedFileSystem flash{"/mnt/ssd", "ext4", 7, false};
    const Case cases[] = {
        {jmWipe, false, flash, true},
        {jmEncrypt, true, flash, true},
        {jmEncrypt, false, flash, false},
        {jmDecrypt, true, flash, false},
        {jmWipe, false, {"/", "ext4", 1, true}, false},
    };
    host.selection.files = {MakeTree("dir", {"a"}) + "/a"};
    for (const Case& c : cases) {
        ScriptedHost fresh;
        fresh.selection = host.selection;
        fileSystem = c.fileSystem;
        settings.WipeSwitch = c.wipeOriginals;
        (void)RunJob(c.mode, fresh, settings, state, operations);
        const bool noted = std::find(fresh.log.begin(), fresh.log.end(), kFlashNote) != fresh.log.end();
        EXPECT_EQ(noted, c.noted) << c.mode << c.wipeOriginals << c.fileSystem.mountPoint;
        EXPECT_EQ(fresh.log.size(), (noted ? 1U : 0U) + 3U) << c.mode;
    }
}

} // namespace
} // namespace vlt
