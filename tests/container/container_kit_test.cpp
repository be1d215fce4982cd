// The container kit: one small file per fault under tests/data/containers, each
// with the one result it must give. The same files seed the decryption fuzzer.
#include "common/temp_dir.h"
#include "container/container_check.h"
#include "container/format.h"
#include "container_testkit.h"
#include "support/crc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace vlt {
namespace {

using namespace vlt::testing;

const std::string kKitDir = std::string(VLT_TEST_DATA_DIR) + "/containers/";

struct KitCase {
    const char* file;
    bool vlt7;
    ResultCode expected;
};

const KitCase kKit[] = {
    {"valid.vlt", false, resDone},
    {"valid_vlt7.vlt", true, resDone},
    {"valid_compressed.vlt", false, resDone},
    {"generation_word_0801.vlt", false, resDone},
    {"hostile_name_parent_dir.vlt", false, resDone},
    {"six_bytes.vlt", false, resNotEncrypted},
    {"wrong_magic.vlt", false, resNotEncrypted},
    {"generation_9.vlt", false, resUnsupportedFormat},
    {"valid_vlt7.vlt", false, resNeedsVlt7Compat},
    {"valid.vlt", true, resNeedsVlt95Compat},
    {"header_only.vlt", false, resIllegalFormat},
    {"cut_in_param_block.vlt", false, resIllegalFormat},
    {"cut_in_info_block.vlt", false, resIllegalFormat},
    {"info_length_9.vlt", false, resIllegalFormat},
    {"crc16_mismatch.vlt", false, resPassphraseFailed},
    {"cut_in_stored_name.vlt", false, resIllegalFormat},
    {"cut_in_block_header.vlt", false, resIllegalFormat},
    {"cut_in_block_data.vlt", false, resIllegalFormat},
    {"missing_trailer.vlt", false, resIllegalFormat},
    {"cut_in_trailer.vlt", false, resIllegalFormat},
    {"long_header_in_vlt7.vlt", true, resIllegalFormat},
    {"stored_length_over_work_buffer.vlt", false, resIllegalFormat},
    {"original_length_over_read_buffer.vlt", false, resIllegalFormat},
    {"original_over_stored_uncompressed.vlt", false, resIllegalFormat},
    {"flipped_data_byte.vlt", false, resCRC32Error},
};

std::vector<std::uint8_t> KitContent() {
    return TextBytes(100);
}

TEST(ContainerKit, EveryFileGivesItsResultAndLeavesTheSourceAlone) {
    for (const KitCase& c : kKit) {
        SCOPED_TRACE(c.file);
        TempDir dir;
        const auto bytes = ReadBytes(kKitDir + c.file);
        ASSERT_FALSE(bytes.empty());
        WriteBytes(dir.File(c.file), bytes);
        std::filesystem::create_directories(dir.File("out"));
        RunScope run(c.vlt7);
        ScriptedFileOperationHost host;
        TDecryptContext context = DecryptContextFor(dir.Path(), c.file);
        context.DestDir = dir.File("out") + "/";
        context.RestoreFileName = true;
        EXPECT_EQ(DecryptOneFile(context, host), c.expected);
        EXPECT_EQ(ReadBytes(dir.File(c.file)), bytes);
        const auto written = ListNames(dir.File("out"));
        if (c.expected == resDone) {
            ASSERT_EQ(written.size(), 1u);
            EXPECT_TRUE(written[0] == "kit.txt" || written[0] == c.file) << written[0];
            EXPECT_EQ(ReadBytes(dir.File("out/" + written[0])), KitContent());
        } else {
            EXPECT_TRUE(written.empty());
        }
    }
}

// The check into nothing gives what a decryption gives, from memory on the calling
// thread alone and from a file with the reads overlapped. Inputs follow each other
// in one run (as a fuzzer feeds them), so nothing may carry from one to the next.
TEST(ContainerKit, CheckIntoNothingGivesTheDecryptionResultForEveryInput) {
    const auto content = KitContent();
    const std::uint32_t contentCrc = ~Crc32Update(content.data(), content.size(), 0xFFFFFFFF);
    for (const bool vlt7 : {false, true}) {
        RunScope run(vlt7);
        for (const bool fromFile : {false, true}) {
            for (const KitCase& c : kKit) {
                if (c.vlt7 != vlt7) {
                    continue;
                }
                SCOPED_TRACE(std::string(c.file) + (fromFile ? " from a file" : " from memory"));
                const auto bytes = ReadBytes(kKitDir + c.file);
                ContainerCheck check;
                ResultCode result = resFatalError;
                if (fromFile) {
                    FileHandle file = SafeOpen(kKitDir + c.file, omRead);
                    FileSource source(file);
                    result = CheckContainer(source, {.useThreads = true}, check);
                } else {
                    MemorySource source(bytes.data(), bytes.size());
                    result = CheckContainer(source, {}, check);
                }
                EXPECT_EQ(result, c.expected);
                if (c.expected == resDone) {
                    EXPECT_EQ(check.contentCrc, contentCrc);
                    EXPECT_EQ(check.contentSize, content.size());
                    EXPECT_TRUE(check.storedName == "kit.txt" || check.storedName == "../kit.txt") << check.storedName;
                }
            }
        }
    }
}

TEST(ContainerKit, CheckWithoutARunIsAFatalError) {
    const auto bytes = ReadBytes(kKitDir + "valid.vlt");
    MemorySource source(bytes.data(), bytes.size());
    ContainerCheck check;
    EXPECT_EQ(CheckContainer(source, {}, check), resFatalError);
}

// Rewrites the kit: run with --gtest_also_run_disabled_tests.
TEST(ContainerKit, DISABLED_Regenerate) {
    ContainerRecipe recipe;
    recipe.storedName = "kit.txt";
    recipe.content = KitContent();
    const auto valid = BuildContainer(recipe); // 29 + 8 name, header at 37, data at 44, trailer at 148
    ContainerRecipe recipe7 = recipe;
    recipe7.vlt7 = true;
    recipe7.generationWord = 0x0700;
    const auto valid7 = BuildContainer(recipe7); // header at 37 (5 bytes)
    ContainerRecipe hostile = recipe;
    hostile.storedName = "../kit.txt";

    using Patch = std::function<void(std::vector<std::uint8_t>&)>;
    const auto cut = [](std::size_t n) { return Patch([n](std::vector<std::uint8_t>& b) { b.resize(n); }); };
    const auto set = [](std::size_t at, std::vector<std::uint8_t> bytes) {
        return Patch(
            [at, bytes](std::vector<std::uint8_t>& b) { std::copy(bytes.begin(), bytes.end(), b.begin() + at); });
    };
    const auto flip = [](std::size_t at) { return Patch([at](std::vector<std::uint8_t>& b) { b[at] ^= 0x01; }); };
    const struct {
        const char* file;
        const std::vector<std::uint8_t>& base;
        Patch patch;
    } files[] = {
        {"valid.vlt", valid, cut(valid.size())},
        {"valid_vlt7.vlt", valid7, cut(valid7.size())},
        {"generation_word_0801.vlt", valid, set(0, {0x01})},
        {"six_bytes.vlt", valid, cut(6)},
        {"wrong_magic.vlt", valid, set(5, {0x76})},
        {"generation_9.vlt", valid, set(0, {0x00, 0x09})},
        {"header_only.vlt", valid, cut(7)},
        {"cut_in_param_block.vlt", valid, cut(15)},
        {"cut_in_info_block.vlt", valid, cut(25)},
        {"info_length_9.vlt", valid, set(12, {9})},
        {"crc16_mismatch.vlt", valid, flip(10)},
        {"cut_in_stored_name.vlt", valid, cut(33)},
        {"cut_in_block_header.vlt", valid, cut(40)},
        {"cut_in_block_data.vlt", valid, cut(100)},
        {"missing_trailer.vlt", valid, cut(148)},
        {"cut_in_trailer.vlt", valid, cut(152)},
        {"long_header_in_vlt7.vlt", valid7, set(37, {0x05})},
        {"stored_length_over_work_buffer.vlt", valid, set(38, {0x01, 0x00, 0x04})},
        {"original_length_over_read_buffer.vlt", valid, set(37, {0x07, 0x64, 0x00, 0x00, 0x01, 0xC0, 0x03})},
        {"original_over_stored_uncompressed.vlt", valid, set(41, {101})},
        {"flipped_data_byte.vlt", valid, flip(60)},
    };
    for (const auto& f : files) {
        std::vector<std::uint8_t> bytes = f.base;
        f.patch(bytes);
        WriteBytes(kKitDir + f.file, bytes);
    }
    WriteBytes(kKitDir + "hostile_name_parent_dir.vlt", BuildContainer(hostile));

    TempDir dir;
    WriteBytes(dir.File("kit.txt"), KitContent());
    RunScope run;
    ScriptedFileOperationHost host;
    TEncryptContext context = EncryptContextFor(dir.Path(), "kit.txt");
    context.StoreFileName = true;
    context.Compress = true;
    context.ZeroCBC = true;
    ASSERT_EQ(EncryptOneFile(context, host), resDone);
    WriteBytes(kKitDir + "valid_compressed.vlt", ReadBytes(dir.File("kit.txt")));
}

} // namespace
} // namespace vlt
