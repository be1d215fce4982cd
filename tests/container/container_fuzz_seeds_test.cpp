// The clear-container seeds of the container fuzz targets: written by the real
// encryptor, turned into the clear form, and shown to decode whole once the target
// enciphers them again, so that the fuzzer starts behind the passphrase check.
#include "common/temp_dir.h"
#include "container/container_check.h"
#include "container/encrypt_file.h"
#include "container_testkit.h"
#include "fuzz/clear_container.h"
#include "support/little_endian.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vlt::testing {
namespace {

namespace fs = std::filesystem;
using fuzzing::Cipher;

const std::string kDataDir = VLT_TEST_DATA_DIR;

std::string SeedDir(bool vlt7) {
    return kDataDir + (vlt7 ? "/fuzz_decrypt_file_vlt7/" : "/fuzz_decrypt_file/");
}

std::vector<std::string> ClearSeeds(bool vlt7) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(SeedDir(vlt7))) {
        if (entry.path().filename().string().rfind("clear_", 0) == 0) {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

// Text with runs of noise in it: long and short matches, literals, and full trees.
std::vector<std::uint8_t> MixedContent(std::size_t n) {
    std::vector<std::uint8_t> content = TextBytes(n);
    const std::vector<std::uint8_t> noise = PatternBytes(n, 7);
    for (std::size_t i = 0; i < n; i += 997) {
        for (std::size_t j = i; j < std::min(n, i + 40); ++j) {
            content[j] = noise[j];
        }
    }
    return content;
}

TEST(ContainerFuzzSeeds, EveryClearSeedDecodesWholeOnceEnciphered) {
    for (const bool vlt7 : {false, true}) {
        const auto seeds = ClearSeeds(vlt7);
        ASSERT_FALSE(seeds.empty());
        RunScope run(vlt7);
        for (const std::string& name : seeds) {
            SCOPED_TRACE(name);
            std::vector<std::uint8_t> bytes = ReadBytes(SeedDir(vlt7) + name);
            ASSERT_GT(bytes.size(), fuzzing::kClearFlagOffset);
            EXPECT_NE(bytes[fuzzing::kClearFlagOffset] & fuzzing::kClearFlag, 0);
            fuzzing::TransformRegions(bytes, vlt7, Cipher::Encipher);
            MemorySource source(bytes.data(), bytes.size());
            ContainerCheck check;
            EXPECT_EQ(CheckContainer(source, {}, check), resDone);
        }
    }
}

struct PlainFile {
    std::vector<std::uint8_t> content;
    std::string storedName; // empty: none stored
    bool compress = false;
    bool force = false;
};

// A container as the encryptor writes it, in the clear.
std::vector<std::uint8_t> ClearContainerOf(const PlainFile& file, bool vlt7) {
    TempDir dir;
    const std::string name = file.storedName.empty() ? "plain.bin" : file.storedName;
    WriteBytes(dir.File(name), file.content);
    RunScope run(vlt7);
    TEncryptContext context = EncryptContextFor(dir.Path(), name);
    context.StoreFileName = !file.storedName.empty();
    context.Compress = file.compress;
    context.ForceCompression = file.force;
    context.ZeroCBC = true;
    ScriptedFileOperationHost host;
    EXPECT_EQ(EncryptOneFile(context, host), resDone);
    std::vector<std::uint8_t> bytes = ReadBytes(dir.File(name));
    fuzzing::TransformRegions(bytes, vlt7, Cipher::Decipher);
    bytes[fuzzing::kClearFlagOffset] |= fuzzing::kClearFlag;
    return bytes;
}

// Several small blocks in one container, each written as one file's only block: the
// block paths of a large file at the cost of a small one. The first file gives the
// prologue; the trailer covers the content of all.
std::vector<std::uint8_t> ClearContainerOfBlocks(const std::vector<PlainFile>& files, bool vlt7) {
    std::vector<std::uint8_t> joined;
    std::vector<std::uint8_t> content;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::vector<std::uint8_t> single = ClearContainerOf(files[i], vlt7);
        const std::size_t blockStart = kFileHeaderSize + kParamBlockSize + kInfoBlockSize +
                                       PaddedLength(single[kFileHeaderSize + kParamBlockSize + 5]);
        if (i == 0) {
            joined.assign(single.begin(), single.begin() + static_cast<std::ptrdiff_t>(blockStart));
        }
        const std::size_t flags = joined.size();
        joined.insert(joined.end(), single.begin() + static_cast<std::ptrdiff_t>(blockStart),
                      single.end() - static_cast<std::ptrdiff_t>(kTrailerSize));
        if (i + 1 < files.size()) {
            joined[flags] &= static_cast<std::uint8_t>(~bfLast);
        }
        content.insert(content.end(), files[i].content.begin(), files[i].content.end());
    }
    std::uint8_t trailer[kTrailerSize];
    PutLe32(trailer, static_cast<std::uint32_t>(content.size()));
    PutLe32(trailer + 4, Crc32Of(content));
    joined.insert(joined.end(), trailer, trailer + kTrailerSize);
    return joined;
}

// Rewrites the clear seeds: run with --gtest_also_run_disabled_tests. Seeds stay
// small (full blocks would cost the fuzzer milliseconds per input).
TEST(ContainerFuzzSeeds, DISABLED_Regenerate) {
    const PlainFile named{.content = TextBytes(100), .storedName = "kit.txt"};
    const PlainFile empty{};
    const PlainFile compressed{.content = MixedContent(1500), .storedName = "", .compress = true};
    const PlainFile forcedNoise{.content = PatternBytes(300, 3), .storedName = "", .compress = true, .force = true};
    const PlainFile longestName{.content = TextBytes(20), .storedName = std::string(251, 'n') + ".txt"};
    const PlainFile stored{.content = PatternBytes(200, 5), .storedName = ""};
    for (const bool vlt7 : {false, true}) {
        const struct {
            const char* seed;
            std::vector<std::uint8_t> bytes;
        } seeds[] = {
            {"clear_named.vlt", ClearContainerOf(named, vlt7)},
            {"clear_empty.vlt", ClearContainerOf(empty, vlt7)},
            {"clear_compressed.vlt", ClearContainerOf(compressed, vlt7)},
            {"clear_forced_noise.vlt", ClearContainerOf(forcedNoise, vlt7)},
            {"clear_longest_name.vlt", ClearContainerOf(longestName, vlt7)},
            {"clear_three_blocks.vlt", ClearContainerOfBlocks({compressed, stored, compressed}, vlt7)},
            {"clear_empty_block_between.vlt", ClearContainerOfBlocks({named, empty, compressed}, vlt7)},
        };
        for (const auto& s : seeds) {
            WriteBytes(SeedDir(vlt7) + s.seed, s.bytes);
        }
    }
}

} // namespace
} // namespace vlt::testing
