// The job driver with the real one-file operations when an output does not read
// back as written: the file's log line, the error count, and the switch that
// turns the check off.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include "batch/job_driver.h"
#include "common/temp_dir.h"
#include "scripted_host.h"
#include "support/file_faults.h"

namespace vlt {
namespace {

using testing::PatternBytes;
using testing::ReadBytes;
using testing::ScriptedHost;
using testing::TempDir;
using testing::WriteBytes;

class ReadBackRunTest : public ::testing::Test {
protected:
    ReadBackRunTest() {
        WriteBytes(temp.File("a.txt"), content);
        host.selection.files = {temp.File("a.txt")};
    }
    ~ReadBackRunTest() override { ClearFileFaults(); }

    std::string FileLine() const {
        for (const std::string& line : host.log) {
            if (line.rfind("  ", 0) == 0) {
                return line;
            }
        }
        return {};
    }

    TempDir temp;
    SettingsRecord settings = testing::UnattendedRunSettings();
    RunState state;
    ScriptedHost host;
    const std::vector<std::uint8_t> content = PatternBytes(5000, 9);
};

TEST_F(ReadBackRunTest, AFlippedByteOnTheWayIsLoggedAsAnErrorAndTheOriginalKept) {
    InjectDataFault(DataFault::FlipByte, 3); // the first block's data
    const JobOutcome outcome = RunJob(jmEncrypt, host, settings, state);
    EXPECT_EQ(outcome.errors, 1);
    EXPECT_EQ(outcome.success, 0);
    const std::string line = FileLine();
    const std::string ending = " VERIFICATION FAILED, original kept.";
    ASSERT_GE(line.size(), ending.size()) << line;
    EXPECT_EQ(line.substr(line.size() - ending.size()), ending) << line;
    EXPECT_TRUE(ReadBytes(temp.File("a.txt")) == content);
    EXPECT_EQ(testing::ListNames(temp.Path()), std::vector<std::string>{"a.txt"});
}

// Off (byte 17 zero, or --no-verify), the same fault goes unnoticed: the check is what caught it.
TEST_F(ReadBackRunTest, WithTheCheckOffTheFaultGoesUnnoticed) {
    settings.SetVerifyOutputs(false);
    InjectDataFault(DataFault::FlipByte, 3);
    const JobOutcome outcome = RunJob(jmEncrypt, host, settings, state);
    EXPECT_EQ(outcome.errors, 0);
    EXPECT_EQ(outcome.success, 1);
    EXPECT_FALSE(ReadBytes(temp.File("a.txt")) == content);
}

// A check changes nothing: not the container, not its access time; and a file that
// is not a container does not pass it.
TEST_F(ReadBackRunTest, VerifyChangesNoFileAndPassesOnlyContainers) {
    ASSERT_EQ(RunJob(jmEncrypt, host, settings, state).success, 1);
    WriteBytes(temp.File("plain.txt"), content);
    const auto sealed = ReadBytes(temp.File("a.txt"));
    const timespec longAgo[2] = {{1000000000, 0}, {UTIME_OMIT, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, temp.File("a.txt").c_str(), longAgo, 0), 0);
    host.selection.files = {temp.File("a.txt"), temp.File("plain.txt")};
    host.answers = {MsgAnswer::No}; // a confirmation, were one asked, would skip the files
    const JobOutcome outcome = RunJob(jmVerify, host, settings, state);
    EXPECT_EQ(outcome.success, 1);
    EXPECT_EQ(outcome.errors, 1);
    EXPECT_TRUE(host.messages.empty());
    struct stat info {};
    ASSERT_EQ(stat(temp.File("a.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_atim.tv_sec, 1000000000);
    EXPECT_TRUE(ReadBytes(temp.File("a.txt")) == sealed);
    EXPECT_EQ(testing::ListNames(temp.Path()), (std::vector<std::string>{"a.txt", "plain.txt"}));
}

} // namespace
} // namespace vlt
