// vlt95-cli killed with SIGKILL at many points of a run: whatever the moment, a
// name holds either what it held before or the complete result, and the next run
// goes through (a work file left behind is cleared, never an "I/O ERROR").
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "cli_runner.h"
#include "common/temp_dir.h"

namespace vlt::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kKillPoints = 16;
const std::map<std::string, std::string> kPassphrase = {{"VLT95_PASSPHRASE", "kill test secret"}};

class CliKillTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir("src"));
        fs::create_directories(dir("out"));
        fs::create_directories(dir("check"));
    }

    std::string dir(const std::string& name) const { return temp_.File(name); }
    std::vector<std::string> Common() const { return {"--config", temp_.File("none.cfg"), "--yes"}; }

    std::vector<std::string> Command(const std::string& verb, std::vector<std::string> options) const {
        std::vector<std::string> arguments = {verb};
        for (const std::string& option : Common()) {
            arguments.push_back(option);
        }
        arguments.insert(arguments.end(), options.begin(), options.end());
        return arguments;
    }

    // True when `path` is a complete container of `plain`: decrypted in a scratch
    // directory it gives the plain bytes back.
    bool IsCompleteContainerOf(const std::string& path, const std::vector<std::uint8_t>& plain) {
        fs::remove_all(dir("check"));
        fs::create_directories(dir("check"));
        const std::string copy = dir("check") + "/c";
        fs::copy_file(path, copy);
        const CliResult result = RunCli(Command("decrypt", {"--no-restore-name", copy}), kPassphrase);
        return result.status == 0 && ReadBytes(copy) == plain;
    }

    // Runs `arguments` once to the end to learn how long it takes, then `check`s
    // after a kill at each of kKillPoints moments spread over that time; `reset`
    // puts the files back before every run.
    template <typename Reset, typename Check>
    void KillAtManyPoints(const std::vector<std::string>& arguments, Reset reset, Check check) {
        reset();
        const auto start = Clock::now();
        const CliResult full = RunCli(arguments, kPassphrase);
        const auto duration = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
        ASSERT_EQ(full.status, 0) << full.out << full.err;
        for (int point = 1; point <= kKillPoints; ++point) {
            SCOPED_TRACE("killed at " + std::to_string(point) + "/" + std::to_string(kKillPoints));
            reset();
            RunCliKilledAfter(arguments, kPassphrase, duration * point / (kKillPoints + 1));
            check();
        }
    }

    TempDir temp_;
    const std::vector<std::uint8_t> plain_ = PatternBytes(8 * 1024 * 1024, 7);
};

// The names in a directory other than work files a killed run may leave.
std::vector<std::string> NamesBesideWorkFiles(const std::string& directory) {
    std::vector<std::string> names;
    for (const std::string& name : ListNames(directory)) {
        if (name.rfind("\xC2\xA7\xC2\xA7VLT%%.&&&", 0) != 0) {
            names.push_back(name);
        }
    }
    return names;
}

TEST_F(CliKillTest, WipingTheOriginalLeavesTheOriginalOrTheCompleteResult) {
    const std::string file = dir("src") + "/data.bin";
    const auto arguments = Command("encrypt", {"--wipe-original", file});
    KillAtManyPoints(
        arguments, [&] { WriteBytes(file, plain_); },
        [&] {
            ASSERT_EQ(NamesBesideWorkFiles(dir("src")), std::vector<std::string>{"data.bin"});
            if (ReadBytes(file) != plain_) {
                EXPECT_TRUE(IsCompleteContainerOf(file, plain_));
                return;
            }
            // The original is whole: a new run over it (and its leftovers) goes through.
            const CliResult again = RunCli(arguments, kPassphrase);
            EXPECT_EQ(again.status, 0) << again.out << again.err;
            EXPECT_TRUE(IsCompleteContainerOf(file, plain_));
            EXPECT_EQ(ListNames(dir("src")), std::vector<std::string>{"data.bin"});
        });
}

TEST_F(CliKillTest, EncryptingOverAnExistingDestinationFileNeverCostsIt) {
    const std::string file = dir("src") + "/data.bin";
    const std::string target = dir("out") + "/data.bin";
    const std::vector<std::uint8_t> old = PatternBytes(1000, 3);
    KillAtManyPoints(
        Command("encrypt", {"--overwrite", "--dest", dir("out"), file}),
        [&] {
            WriteBytes(file, plain_);
            WriteBytes(target, old);
        },
        [&] {
            EXPECT_EQ(ReadBytes(file), plain_);
            ASSERT_EQ(NamesBesideWorkFiles(dir("out")), std::vector<std::string>{"data.bin"});
            EXPECT_TRUE(ReadBytes(target) == old || IsCompleteContainerOf(target, plain_));
        });
}

TEST_F(CliKillTest, DecryptingToTheStoredNameShowsNoPartialPlainFile) {
    const std::string plainPath = dir("src") + "/plain.bin";
    WriteBytes(plainPath, plain_);
    const CliResult encrypted =
        RunCli(Command("encrypt", {"--store-name", "--rename", "--keep-extension", plainPath}), kPassphrase);
    ASSERT_EQ(encrypted.status, 0) << encrypted.out << encrypted.err;
    const std::vector<std::string> names = ListNames(dir("src"));
    ASSERT_EQ(names.size(), 1U);
    const std::string container = dir("src") + "/" + names[0];
    const std::vector<std::uint8_t> containerBytes = ReadBytes(container);
    const std::string existing = dir("out") + "/plain.bin";
    const std::vector<std::uint8_t> old = PatternBytes(500, 5);
    for (const bool toDest : {false, true}) {
        SCOPED_TRACE(toDest ? "into --dest over an existing file" : "in place");
        std::vector<std::string> options = {"--restore-name", "--overwrite"};
        if (toDest) {
            options.insert(options.end(), {"--dest", dir("out")});
        }
        options.push_back(container);
        const std::string restored = toDest ? existing : plainPath;
        KillAtManyPoints(
            Command("decrypt", options),
            [&] {
                fs::remove(plainPath);
                WriteBytes(container, containerBytes);
                WriteBytes(existing, old);
            },
            [&] {
                if (Exists(restored) && (!toDest || ReadBytes(restored) != old)) {
                    EXPECT_EQ(ReadBytes(restored), plain_);
                }
                if (!Exists(container)) {
                    EXPECT_EQ(ReadBytes(restored), plain_) << "the container went before the plain file was whole";
                } else {
                    EXPECT_EQ(ReadBytes(container), containerBytes);
                }
            });
    }
}

} // namespace
} // namespace vlt::testing
