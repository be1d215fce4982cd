#include "wipe/wipe.h"
#include "wipe/wipe_buffers.h"
#include "common/temp_dir.h"
#include "support/file_access.h"
#include "support/random.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

namespace vlt {
namespace {

using testing::TempDir;

class WipeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(PrepareWipeBuffers()); }
    void TearDown() override { ReleaseWipeBuffers(); }

    TempDir dir_;
};

ino_t InodeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

TEST(WipeBuffers, HoldRandomWordsTheirComplementAndOtherRandomWordsInDrawOrder) {
    SetRandomState(0x01000000);
    const std::uint32_t first = NextBits32();
    const std::uint32_t third = NextBits32();
    SetRandomState(0x01000000);
    ASSERT_TRUE(PrepareWipeBuffers());
    std::uint32_t words[3];
    for (int i = 0; i < 3; ++i) {
        std::memcpy(&words[i], WipeBuffer(i), 4);
    }
    EXPECT_EQ(words[0], first);
    EXPECT_EQ(words[2], third);
    for (std::size_t k = 0; k < kWipeBlockSize; ++k) {
        ASSERT_EQ(WipeBuffer(1)[k], static_cast<std::uint8_t>(~WipeBuffer(0)[k])) << k;
    }
    ReleaseWipeBuffers();
    EXPECT_EQ(WipeBuffer(0), nullptr);
}

// Every pass overwrites the same file in place (same inode, never truncated) with
// its pattern over whole blocks; afterwards the file is gone and no other name is left.
TEST_F(WipeTest, EachPassOverwritesTheFileInPlaceThenTheFileIsRemoved) {
    struct Case {
        std::size_t size;
        int cycles;
        bool sfs;
        int passes;
    };
    const Case cases[] = {{0, 1, false, 3}, {1, 1, false, 3}, {65536, 2, false, 6}, {70000, 99, true, 35}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const std::string path = dir_.File("secret.txt");
        testing::WriteBytes(path, testing::PatternBytes(c.size));
        const ino_t inode = InodeOf(path);
        std::vector<int> passesSeen;
        int zeroCalls = 0;
        const WipePoll poll = [&](const WipeProgress& progress) -> bool {
            EXPECT_EQ(progress.passes, c.passes);
            zeroCalls += progress.bytesThisPass == 0 ? 1 : 0;
            if (progress.bytesThisPass == c.size && c.size > 0) {
                passesSeen.push_back(progress.pass);
                EXPECT_EQ(InodeOf(path), inode);
                const std::vector<std::uint8_t> now = testing::ReadBytes(path);
                EXPECT_EQ(now.size() % 512, 0u);
                EXPECT_GE(now.size(), c.size);
                std::size_t wrong = 0;
                for (std::size_t k = 0; k < c.size; ++k) {
                    const std::uint8_t* pattern = WipeBuffer(c.sfs ? 0 : progress.pass % 3);
                    wrong += now[k] != pattern[k % kWipeBlockSize] ? 1 : 0;
                }
                EXPECT_EQ(wrong, 0u) << "pass " << progress.pass;
            }
            return false;
        };
        const WipeOutcome outcome = c.sfs ? WipeFileSfs(path, poll) : WipeFile(path, c.cycles, poll);
        EXPECT_EQ(outcome, WipeOutcome::Wiped);
        EXPECT_EQ(zeroCalls, 1); // the start of the wiping, announced once
        EXPECT_EQ(static_cast<int>(passesSeen.size()), c.size > 0 ? c.passes : 0);
        EXPECT_TRUE(testing::ListNames(dir_.Path()).empty());
    }
}

TEST_F(WipeTest, SfsPassesWriteTheFixedPatternTable) {
    const std::string path = dir_.File("f");
    testing::WriteBytes(path, testing::PatternBytes(10));
    std::vector<std::vector<std::uint8_t>> heads;
    ASSERT_EQ(WipeFileSfs(path,
                          [&](const WipeProgress& progress) {
                              if (progress.bytesThisPass > 0) {
                                  const auto bytes = testing::ReadBytes(path);
                                  heads.emplace_back(bytes.begin(), bytes.begin() + 4);
                              }
                              return false;
                          }),
              WipeOutcome::Wiped);
    ASSERT_EQ(heads.size(), 35u);
    EXPECT_EQ(heads[0], (std::vector<std::uint8_t>{0xDB, 0x59, 0x56, 0xDB}));
    EXPECT_EQ(heads[9], (std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(heads[25], (std::vector<std::uint8_t>{0x92, 0x49, 0x24, 0x92}));
    EXPECT_EQ(heads[34], (std::vector<std::uint8_t>{0x5A, 0xC0, 0x23, 0x5A}));
}

TEST_F(WipeTest, FilesThatCannotBeWipedAreLeftAsTheyWere) {
    const std::vector<std::uint8_t> content = testing::PatternBytes(3000);
    const std::string readOnly = dir_.File("readonly");
    testing::WriteBytes(readOnly, content);
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    EXPECT_EQ(WipeFile(readOnly, 1, nullptr), WipeOutcome::Failed);
    EXPECT_EQ(testing::ReadBytes(readOnly), content);

    EXPECT_EQ(WipeFile(dir_.File("missing"), 1, nullptr), WipeOutcome::Failed);

    const std::string busy = dir_.File("busy");
    testing::WriteBytes(busy, content);
    {
        FileHandle holder = SafeOpen(busy, omRead);
        ASSERT_TRUE(holder.IsOpen());
        EXPECT_EQ(WipeFileSfs(busy, nullptr), WipeOutcome::Failed);
    }
    EXPECT_EQ(testing::ReadBytes(busy), content);

    ReleaseWipeBuffers(); // wiping never starts without its buffers
    EXPECT_EQ(WipeFile(busy, 1, nullptr), WipeOutcome::Failed);
    EXPECT_EQ(testing::ReadBytes(busy), content);
}

TEST_F(WipeTest, AStopCutsThePassesShortButStillRemovesTheFile) {
    const std::string path = dir_.File("big");
    testing::WriteBytes(path, testing::PatternBytes(3 * 65536));
    int calls = 0;
    int lastPass = -1;
    const WipeOutcome outcome = WipeFile(path, 5, [&](const WipeProgress& progress) {
        lastPass = progress.pass;
        return ++calls == 5; // the start, then the blocks of pass 0 and one of pass 1
    });
    EXPECT_EQ(outcome, WipeOutcome::Stopped);
    EXPECT_EQ(calls, 5);
    EXPECT_EQ(lastPass, 1);
    EXPECT_TRUE(testing::ListNames(dir_.Path()).empty());
}

} // namespace
} // namespace vlt
