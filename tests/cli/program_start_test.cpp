// What every start of vlt95-cli brings with it: a generator seeded from the clock,
// and the state texts of every container generation.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "cli_runner.h"
#include "common/temp_dir.h"

namespace vlt::testing {
namespace {

TEST(CliProgramStart, EncryptionsStartedAtDifferentTimesGetDifferentChainingValues) {
    TempDir temp;
    const std::string text(4000, 'v');
    WriteText(temp.File("first"), text);
    WriteText(temp.File("second"), text);
    const std::map<std::string, std::string> passphrase = {{"VLT95_PASSPHRASE", "one passphrase"}};
    const auto encrypt = [&](const std::string& path) {
        const CliResult result = RunCli({"encrypt", "--config", temp.File("none.cfg"), "--yes", path}, passphrase);
        ASSERT_EQ(result.status, 0) << result.out << result.err;
    };
    encrypt(temp.File("first"));
    // The seed takes the seconds of the clock; a second apart the states differ for sure.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    encrypt(temp.File("second"));
    const std::vector<std::uint8_t> first = ReadBytes(temp.File("first"));
    const std::vector<std::uint8_t> second = ReadBytes(temp.File("second"));
    ASSERT_GE(first.size(), 21u);
    ASSERT_GE(second.size(), 21u);
    const std::vector<std::uint8_t> chainingFirst(first.begin() + 13, first.begin() + 21);
    const std::vector<std::uint8_t> chainingSecond(second.begin() + 13, second.begin() + 21);
    EXPECT_NE(chainingFirst, chainingSecond);
}

TEST(CliProgramStart, StatusNamesEveryContainerGeneration) {
    TempDir temp;
    WriteBytes(temp.File("nine"), {0x00, 0x09, 0x14, 0x11, 0x19, 0x75, 0x00});
    WriteBytes(temp.File("seven"), {0x00, 0x07, 0x14, 0x11, 0x19, 0x75, 0x00});
    WriteText(temp.File("plain"), "plain text");
    const CliResult status = RunCli({"status", temp.File("nine"), temp.File("seven"), temp.File("plain")});
    EXPECT_EQ(status.status, 0) << status.err;
    EXPECT_EQ(Lines(status.out), (std::vector<std::string>{temp.File("nine") + ": Encrypted with VLT9",
                                                           temp.File("seven") + ": Encrypted with VLT7",
                                                           temp.File("plain") + ": Not encrypted"}));
}

} // namespace
} // namespace vlt::testing
