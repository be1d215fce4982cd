// The browser over a directory of 100,000 files on tmpfs, each beside its peer:
// - listing with details on (until the model is ready) against `ls -l` of the same
//   directory to /dev/null; goal: at most 1.5 times its time. The counter item_MB is
//   the heap the listed items hold (goal: at most 50 MB);
// - the scanner examining every file against a plain loop of open, read 2 bytes and
//   close over the same files; goal: at least 0.8 times its rate. The counter
//   worst_tick_late_ms is the worst lateness of a 10 ms timer on the thread that
//   applies the scanner's results meanwhile, as the window's thread would, and
//   worst_apply_ms the longest it spent applying one batch (the lateness beyond
//   that is the machine's scheduling).
// The files live in /dev/shm (VLT_BENCH_BROWSER_DIR overrides it) and are removed at exit.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "batch/browser.h"
#include "bench_goals.h"
#include "platform/dir_search.h"
#include "settings/settings_file.h"

extern char** environ;

namespace {

constexpr int kFileCount = 100000;
constexpr auto kTick = std::chrono::milliseconds(10);

class QuietHost : public vlt::BrowserHost {
public:
    void ProcessMessages() override {}
    void BeginListing(const vlt::ListFont&, const std::string&) override {}
    void ShowIdleInfo(const std::string&) override {}
    void SetListFont(const vlt::ListFont&) override {}
    bool IsReportStyle() const override { return true; }
    vlt::ColumnWidths ShownColumnWidths() const override { return {}; }
    void SetViewStyle(bool, const vlt::ColumnWidths&) override {}
    void EndListing() override {}
    void SetStatusPanels(const std::string&, const std::string&) override {}
    void ScanUpdatesPending() override {}
};

// Fills `made` with the test files. Names of the usual length, sizes from 0 to a few
// KB, every tenth file encrypted.
bool MakeFiles(const std::string& made) {
    static const unsigned char encrypted[] = {0x00, 0x08, 0x14, 0x11, 0x19, 0x75, 0x00, 0x00};
    std::vector<unsigned char> content(4096, 'v');
    for (int i = 0; i < kFileCount; ++i) {
        const std::string path = made + "document_" + std::to_string(i) + ".txt";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) {
            return false;
        }
        const std::size_t size = static_cast<std::size_t>(i * 7919 % 4096);
        const bool ok = i % 10 == 0 ? ::write(fd, encrypted, sizeof encrypted) == sizeof encrypted
                                    : ::write(fd, content.data(), size) == static_cast<ssize_t>(size);
        ::close(fd);
        if (!ok) {
            return false;
        }
    }
    return true;
}

// The directory of test files, ending in "/"; made once, removed at exit. The path
// is never destroyed, so that the exit handler can still read it.
const std::string& FileDirectory() {
    static const std::string& directory = *[] {
        const char* base = std::getenv("VLT_BENCH_BROWSER_DIR");
        std::string made = std::string(base ? base : "/dev/shm") + "/vlt_bench_browserXXXXXX";
        if (::mkdtemp(made.data()) == nullptr) {
            return new std::string();
        }
        auto* path = new std::string(made + "/");
        std::atexit([] { std::filesystem::remove_all(FileDirectory()); });
        if (!MakeFiles(*path)) {
            path->clear(); // the benchmarks skip; the exit handler has nothing to remove
            std::filesystem::remove_all(made);
        }
        return path;
    }();
    return directory;
}

vlt::SettingsRecord BenchSettings() {
    vlt::SettingsRecord settings{};
    vlt::DefaultSettings(settings, 1024, 768);
    settings.ExcludeMask = 0;
    settings.FileViewSetting = 0;
    settings.ShowDetailsSwitch = 1;
    return settings;
}

void BM_ListDirectory(benchmark::State& state) {
    if (FileDirectory().empty()) {
        state.SkipWithError("cannot create the files");
        return;
    }
    QuietHost host;
    vlt::SettingsRecord settings = BenchSettings();
    vlt::RunState run;
    std::size_t held = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto browser = std::make_unique<vlt::Browser>(host, settings, run);
        const std::size_t before = mallinfo2().uordblks;
        state.ResumeTiming();
        benchmark::DoNotOptimize(browser->ListDirectory(FileDirectory()));
        state.PauseTiming();
        held = mallinfo2().uordblks - before;
        browser.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kFileCount);
    state.counters["item_MB"] = static_cast<double>(held) / 1e6;
}

void BM_LsLong(benchmark::State& state) {
    if (FileDirectory().empty()) {
        state.SkipWithError("cannot create the files");
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::string directory = FileDirectory();
    char ls[] = "ls";
    char longFormat[] = "-l";
    char* arguments[] = {ls, longFormat, directory.data(), nullptr};
    for (auto _ : state) {
        pid_t child = 0;
        int status = 0;
        if (posix_spawnp(&child, "ls", &actions, nullptr, arguments, environ) != 0 ||
            waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("ls -l failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    state.SetItemsProcessed(state.iterations() * kFileCount);
}

// The listed files as unexamined browser items.
const std::vector<vlt::BrowserItem>& ListedItems() {
    static const std::vector<vlt::BrowserItem> items = [] {
        QuietHost host;
        vlt::SettingsRecord settings = BenchSettings();
        vlt::RunState run;
        vlt::Browser browser(host, settings, run);
        static_cast<void>(browser.ListDirectory(FileDirectory()));
        std::vector<vlt::BrowserItem> files;
        for (std::size_t i = 0; i < browser.Model().Count(); ++i) {
            if (browser.Model().Item(i).kind == vlt::ikFile) {
                files.push_back(browser.Model().Item(i));
            }
        }
        return files;
    }();
    return items;
}

void BM_Scanner(benchmark::State& state) {
    if (FileDirectory().empty() || ListedItems().size() != kFileCount) {
        state.SkipWithError("cannot create the files");
        return;
    }
    QuietHost host;
    vlt::RunState run;
    vlt::BrowserModel model;
    vlt::ScanUpdateQueue queue;
    double worstLate = 0;
    double worstApply = 0;
    for (auto _ : state) {
        state.PauseTiming();
        model.ReplaceItems(ListedItems());
        vlt::TScanThread scanner(run);
        state.ResumeTiming();
        scanner.Start(model, FileDirectory(), false, queue, host, vlt::PeekEncrypted);
        // The window's thread: a 10 ms timer that applies what has arrived.
        const auto apply = [&] {
            const auto start = std::chrono::steady_clock::now();
            for (const vlt::ScanUpdate& update : queue.TakeAll()) {
                model.SetFileState(update.index, update.state.kind, &update.state.text);
            }
            const auto spent = std::chrono::steady_clock::now() - start;
            worstApply = std::max(worstApply, std::chrono::duration<double, std::milli>(spent).count());
        };
        auto tick = std::chrono::steady_clock::now() + kTick;
        while (run.ScanRunning) {
            std::this_thread::sleep_until(tick);
            const auto late = std::chrono::steady_clock::now() - tick;
            worstLate = std::max(worstLate, std::chrono::duration<double, std::milli>(late).count());
            apply();
            tick += kTick;
        }
        apply();
        scanner.Join();
    }
    state.SetItemsProcessed(state.iterations() * kFileCount);
    state.counters["worst_tick_late_ms"] = worstLate;
    state.counters["worst_apply_ms"] = worstApply;
}

void BM_OpenReadTwoBytesClose(benchmark::State& state) {
    if (FileDirectory().empty() || ListedItems().size() != kFileCount) {
        state.SkipWithError("cannot create the files");
        return;
    }
    const std::string& directory = FileDirectory();
    std::string path = directory;
    for (auto _ : state) {
        for (const vlt::BrowserItem& item : ListedItems()) {
            path.resize(directory.size());
            path += item.name;
            const int fd = ::open(path.c_str(), O_RDONLY);
            unsigned char header[2];
            if (fd >= 0) {
                benchmark::DoNotOptimize(::read(fd, header, sizeof header));
                ::close(fd);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kFileCount);
}

// The listing pair in wall-clock time, as ls works in a child process. The scanner
// pair in the CPU time of the whole process (the scanner thread and the thread that
// applies its results): on a shared machine wall-clock time mostly measures the
// neighbours. The Time column still shows the wall-clock time.
BENCHMARK(BM_ListDirectory)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_LsLong)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_Scanner)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->MeasureProcessCPUTime();
BENCHMARK(BM_OpenReadTwoBytesClose)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->MeasureProcessCPUTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::GoalReporter reporter("items_per_second", "kitem/s", 1e3);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Listing: at most 1.5 times the time of ls -l, that is at least 1 / 1.5 of its rate.
    const bench::Goal goals[] = {
        {"BM_ListDirectory", "BM_LsLong", 1.0 / 1.5},
        {"BM_Scanner", "BM_OpenReadTwoBytesClose", 0.8},
    };
    reporter.PrintGoals(goals);
    benchmark::Shutdown();
    return 0;
}
