// Every switch a configuration file can turn on can be turned off for one run.
#include <gtest/gtest.h>

#include "cli_runner.h"
#include "common/temp_dir.h"

namespace vlt::testing {
namespace {

TEST(CliOptions, EverySwitchHasItsNoForm) {
    TempDir temp;
    WriteText(temp.File("a.txt"), "plain");
    const char* switches[] = {"vlt7",        "compress",        "force-compression", "store-name",
                              "restore-name", "restore-attributes", "keep-date",     "rename",
                              "keep-extension", "remove-original", "wipe-original",  "sfs",
                              "zero-cbc",    "ignore-crc32",    "encrypt-again",     "include-hidden",
                              "include-read-only"};
    for (const char* name : switches) {
        for (const std::string& option : {"--" + std::string(name), "--no-" + std::string(name)}) {
            const CliResult result = RunCli({"status", option, temp.File("a.txt")});
            EXPECT_EQ(result.status, 0) << option << ": " << result.err;
        }
    }
    const CliResult unknown = RunCli({"status", "--no-such-thing", temp.File("a.txt")});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(Lines(unknown.err).front(), "vlt95-cli: unknown option '--no-such-thing'");
}

} // namespace
} // namespace vlt::testing
