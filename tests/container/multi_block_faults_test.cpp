// Files of several blocks: a failure or a stop in the middle ends the file at the
// block where it happened, with the progress of exactly the blocks before it, the
// original untouched and no output left.
#include "common/temp_dir.h"
#include "container/format.h"
#include "container_testkit.h"
#include "support/file_faults.h"

#include <gtest/gtest.h>

namespace vlt {
namespace {

using namespace vlt::testing;
using Call = std::pair<ProgressKind, std::int32_t>;

constexpr std::uint32_t kBlock = kVlt95Format.readBufferSize;
constexpr std::int32_t kBlockProgress = static_cast<std::int32_t>(kBlock);
constexpr std::int32_t kStoredBlockProgress = static_cast<std::int32_t>(kVlt95Format.blockHeaderSize + kBlock);

struct Case {
    FileOp op; // FileOp::Open with nth 0: no fault
    int nth;
    int stopAtCall;
    ResultCode expected;
};

class MultiBlockTest : public ::testing::Test {
protected:
    void TearDown() override { ClearFileFaults(); }

    // Runs one case; the host's calls are left for the caller to check.
    template <class Operation> ResultCode RunCase(const Case& c, Operation operation) {
        host_ = ScriptedFileOperationHost{};
        host_.stopAtCall = c.stopAtCall;
        InjectFileFault(c.op, c.nth);
        const ResultCode result = operation();
        ClearFileFaults();
        return result;
    }

    TempDir dir_;
    RunScope run_;
    ScriptedFileOperationHost host_;
    // Three full blocks and a short one.
    const std::vector<std::uint8_t> content_ = TextBytes(3 * kBlock + 1000);
};

TEST_F(MultiBlockTest, EncryptionStopsAtTheBlockThatFailed) {
    // Reads: block k is read k+1. Writes: the prologue, then header and data of each block.
    const Case cases[] = {
        {FileOp::Read, 3, 0, resIOError},  // block 2
        {FileOp::Write, 6, 0, resIOError}, // header of block 2
        {FileOp::Write, 7, 0, resIOError}, // data of block 2
        {FileOp::Open, 0, 3, resUserBreak},
    };
    const std::string path = dir_.File("big.bin");
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(&c - cases));
        WriteBytes(path, content_);
        TEncryptContext context = EncryptContextFor(dir_.Path(), "big.bin");
        EXPECT_EQ(RunCase(c, [&] { return EncryptOneFile(context, host_); }), c.expected);
        EXPECT_EQ(host_.progress,
                  (std::vector<Call>{{pkEncrypt, 0}, {pkEncrypt, kBlockProgress}, {pkEncrypt, kBlockProgress}}));
        EXPECT_EQ(host_.pumps, 2);
        EXPECT_EQ(ReadBytes(path), content_);
        EXPECT_EQ(ListNames(dir_.Path()), std::vector<std::string>{"big.bin"});
    }
}

TEST_F(MultiBlockTest, DecryptionStopsAtTheBlockThatFailed) {
    const std::string path = dir_.File("big.bin");
    WriteBytes(path, content_);
    TEncryptContext encrypt = EncryptContextFor(dir_.Path(), "big.bin");
    ASSERT_EQ(EncryptOneFile(encrypt, host_), resDone);
    const auto encrypted = ReadBytes(path);
    // Reads: file header, parameter and info block, then header and data of each block.
    // Writes: one per block.
    const Case cases[] = {
        {FileOp::Read, 8, 0, resIllegalFormat}, // header of block 2
        {FileOp::Read, 9, 0, resIllegalFormat}, // data of block 2
        {FileOp::Write, 3, 0, resIOError},      // block 2
        {FileOp::Open, 0, 2, resUserBreak},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(&c - cases));
        TDecryptContext context = DecryptContextFor(dir_.Path(), "big.bin");
        EXPECT_EQ(RunCase(c, [&] { return DecryptOneFile(context, host_); }), c.expected);
        EXPECT_EQ(host_.progress,
                  (std::vector<Call>{{pkDecrypt, kStoredBlockProgress}, {pkDecrypt, kStoredBlockProgress}}));
        EXPECT_EQ(host_.pumps, 2);
        EXPECT_EQ(ReadBytes(path), encrypted);
        EXPECT_EQ(ListNames(dir_.Path()), std::vector<std::string>{"big.bin"});
    }
    TDecryptContext context = DecryptContextFor(dir_.Path(), "big.bin");
    ASSERT_EQ(RunCase({FileOp::Open, 0, 0, resDone}, [&] { return DecryptOneFile(context, host_); }), resDone);
    EXPECT_EQ(ReadBytes(path), content_);
}

} // namespace
} // namespace vlt
