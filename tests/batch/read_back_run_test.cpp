// The job driver with the real one-file operations when an output does not read
// back as written: the file's log line, the error count, and the switch that
// turns the check off.
#include <gtest/gtest.h>

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

} // namespace
} // namespace vlt
