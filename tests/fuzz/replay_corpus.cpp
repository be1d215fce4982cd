// Replays a fuzz target's seed corpus as ordinary tests, one test per file, so that
// every build checks the inputs the fuzzer starts from (and any crash kept there).
// A target reports a broken property by aborting, which fails the test it ran in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = VLT_FUZZ_CORPUS_DIR;

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(kCorpus, error)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path().filename().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    std::replace_if(name.begin(), name.end(), [](unsigned char c) { return std::isalnum(c) == 0; }, '_');
    return name;
}

int Replay(const std::vector<std::uint8_t>& bytes) {
    return LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

class CorpusReplay : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusReplay, RunsClean) {
    std::ifstream in(kCorpus / GetParam(), std::ios::binary);
    ASSERT_TRUE(in) << GetParam();
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(Replay(bytes), 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, CorpusReplay, ::testing::ValuesIn(CorpusFiles()), TestName);

// The fuzzer always tries the empty input first.
TEST(CorpusReplayEdge, EmptyInputRunsClean) {
    EXPECT_EQ(Replay({}), 0);
}

} // namespace
