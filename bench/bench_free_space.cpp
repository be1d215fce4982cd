// Free-space clearing against `dd oflag=direct` writing the same total and against
// `sfill -l -l` (one random pass) on the same file system.
//
// Set VLT_BENCH_FILL_DIR to a directory on a small file system of its own (a loop
// mount of a few hundred MB): the fill then runs until that disk is full. Without
// it the fill goes to a temporary directory and the file size limit stops it at
// 256 MB, like a full disk; sfill, which would fill the whole disk, runs only with
// VLT_BENCH_FILL_DIR.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "batch/free_space.h"

namespace {

constexpr rlim_t kFallbackLimit = 256ULL << 20;

class SilentView : public vlt::FreeSpaceView {
public:
    void ShowError(const std::string&, const std::string&) override {}
    void ShowClearer(const std::string&) override {}
    void SetCaption(const std::string&) override {}
    void SetInfo(const std::string&) override {}
    void ProcessMessages() override {}
};

// The directory to fill, ending in "/"; the fallback is limited by RLIMIT_FSIZE.
const std::string& FillDirectory() {
    static const std::string directory = [] {
        if (const char* given = std::getenv("VLT_BENCH_FILL_DIR")) {
            return std::string(given) + "/";
        }
        std::string made = (std::filesystem::temp_directory_path() / "vlt_bench_fillXXXXXX").string();
        if (::mkdtemp(made.data()) == nullptr) {
            return std::string("./");
        }
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = kFallbackLimit;
        setrlimit(RLIMIT_FSIZE, &limit);
        return made + "/";
    }();
    return directory;
}

bool OwnFileSystem() {
    return std::getenv("VLT_BENCH_FILL_DIR") != nullptr;
}

// Bytes the fill wrote last; the peers write the same total.
std::uint64_t g_fillTotal = 0;

void BM_ClearFreeSpace(benchmark::State& state) {
    SilentView view;
    for (auto _ : state) {
        vlt::FreeSpaceClearer clearer;
        if (clearer.ClearFreeSpace(FillDirectory(), view) != vlt::FillOutcome::DiskFull) {
            state.SkipWithError("the fill file could not be written");
            return;
        }
        g_fillTotal = clearer.Written();
        state.PauseTiming();
        clearer.FormClose();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_fillTotal));
}
BENCHMARK(BM_ClearFreeSpace)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

void RunCommand(benchmark::State& state, const std::string& command, const std::string& leftover) {
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0 && leftover.empty()) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
        state.PauseTiming();
        if (!leftover.empty()) {
            std::filesystem::remove(leftover);
        }
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_fillTotal));
}

void BM_DdDirectSameTotal(benchmark::State& state) {
    const std::string target = FillDirectory() + "dd.bin";
    const std::uint64_t megabytes = g_fillTotal >> 20;
    if (megabytes == 0) {
        state.SkipWithError("run BM_ClearFreeSpace first");
        return;
    }
    RunCommand(state,
               "dd if=/dev/zero of=" + target + " bs=1M count=" + std::to_string(megabytes) +
                   " oflag=direct status=none",
               target);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * (megabytes << 20)));
}
BENCHMARK(BM_DdDirectSameTotal)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_SfillOnePass(benchmark::State& state) {
    if (!OwnFileSystem() || std::system("command -v sfill > /dev/null") != 0) {
        state.SkipWithError("needs sfill and VLT_BENCH_FILL_DIR on a file system of its own");
        return;
    }
    RunCommand(state, "sfill -l -l " + FillDirectory() + " > /dev/null 2>&1", "");
}
BENCHMARK(BM_SfillOnePass)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
