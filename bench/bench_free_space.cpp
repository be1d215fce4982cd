// Free-space clearing against `dd oflag=direct` writing the same total and against
// `sfill -l -l` (one random pass) on the same file system. The counters fill_to_dd
// and fill_to_sfill are the ratios of the rates.
//
// Set VLT_BENCH_FILL_DIR to a directory on a small file system of its own (a loop
// mount of a few hundred MB): the fill then runs until that disk is full. Without
// it the fill goes to a temporary directory and the file size limit stops it at
// 256 MB, like a full disk; sfill, which would fill the whole disk, runs only with
// VLT_BENCH_FILL_DIR.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "batch/free_space.h"
#include "platform/drives.h"

namespace {

constexpr rlim_t kFallbackLimit = 256ULL << 20;

class SilentView : public vlt::FreeSpaceView {
public:
    vlt::MsgAnswer MessageBox(const std::string&, const std::string&, vlt::MsgIcon, vlt::MsgButtons) override {
        return vlt::MsgAnswer::Ok;
    }
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

// Bytes the fill wrote last, and its best rate; the peers write the same total.
std::uint64_t g_fillTotal = 0;
double g_bestFillRate = 0;

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// One fill of the free space; its rate in bytes per second, 0 when it failed.
double FillOnce() {
    SilentView view;
    vlt::FreeSpaceClearer clearer;
    const auto start = std::chrono::steady_clock::now();
    if (clearer.ClearFreeSpace(FillDirectory(), view) != vlt::FillOutcome::DiskFull) {
        return 0;
    }
    const double seconds = Seconds(start);
    g_fillTotal = clearer.Written();
    clearer.FormClose(); // flush and delete, outside the measured filling
    ::sync();            // the freed blocks are committed before the next round allocates them
    return static_cast<double>(g_fillTotal) / seconds;
}

// Random bytes for dd to copy, as many as it writes and read from the page cache:
// zeros would let a virtual disk skip the work (measured here: 900 MB of zeros in
// 1.2-1.6 s, of random bytes 2.0-2.3 s).
std::string RandomSource(std::uint64_t megabytes) {
    static std::string path;
    static std::uint64_t made = 0;
    if (made != megabytes) {
        path = (std::filesystem::temp_directory_path() / "vlt_bench_random.bin").string();
        const std::string command =
            "head -c " + std::to_string(megabytes) + "M /dev/urandom > " + path + " && cat " + path + " > /dev/null";
        made = std::system(command.c_str()) == 0 ? megabytes : 0;
    }
    return made == megabytes ? path : std::string();
}

// dd writing the fill's total in 1 MB direct writes of random bytes; its rate, 0 when it failed.
double DdOnce() {
    const std::string target = FillDirectory() + "dd.bin";
    const std::uint64_t megabytes = g_fillTotal >> 20;
    const std::string source = RandomSource(megabytes);
    if (source.empty() || megabytes == 0) {
        return 0;
    }
    const std::string command =
        "dd if=" + source + " of=" + target + " bs=1M count=" + std::to_string(megabytes) + " oflag=direct status=none";
    const auto start = std::chrono::steady_clock::now();
    const bool ok = std::system(command.c_str()) == 0;
    const double seconds = Seconds(start);
    std::filesystem::remove(target);
    ::sync();
    return ok ? static_cast<double>(megabytes << 20) / seconds : 0;
}

// The machine is shared: fill and dd take turns, and the best round of each counts.
void BM_FillVersusDdDirect(benchmark::State& state) {
    double bestFill = 0;
    double bestDd = 0;
    for (auto _ : state) {
        bestFill = std::max(bestFill, FillOnce());
        bestDd = std::max(bestDd, DdOnce());
    }
    if (bestFill == 0 || bestDd == 0) {
        state.SkipWithError("the fill or dd could not write");
        return;
    }
    g_bestFillRate = bestFill;
    state.counters["fill_MBps"] = bestFill / 1e6;
    state.counters["dd_MBps"] = bestDd / 1e6;
    state.counters["fill_to_dd"] = bestFill / bestDd;
}
BENCHMARK(BM_FillVersusDdDirect)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_SfillOnePass(benchmark::State& state) {
    if (!OwnFileSystem() || std::system("command -v sfill > /dev/null") != 0) {
        state.SkipWithError("needs sfill and VLT_BENCH_FILL_DIR on a file system of its own");
        return;
    }
    std::uint64_t freeBytes = 0;
    if (!vlt::FreeSpace(FillDirectory(), freeBytes)) {
        state.SkipWithError("no free space figure");
        return;
    }
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(("sfill -l -l " + FillDirectory() + " > /dev/null 2>&1").c_str()) != 0) {
            state.SkipWithError("sfill failed");
            return;
        }
        seconds = Seconds(start);
    }
    const double rate = static_cast<double>(freeBytes) / seconds;
    state.counters["sfill_MBps"] = rate / 1e6;
    if (g_bestFillRate > 0) {
        state.counters["fill_to_sfill"] = g_bestFillRate / rate;
    }
}
BENCHMARK(BM_SfillOnePass)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
