// The file manager's copy and move against cp and mv doing the same in the same run:
// a selection of many small files and one large file, within one file system and from
// a RAM disk (/dev/shm) to the disk. Our moves sync their copies before the sources
// go; that sync is in our time, mv does none.
//
// VLT_BENCH_SMALL_FILES (default 1000, 64 KB each) and VLT_BENCH_LARGE_MB (default
// 256; 1024 for the full-size check) set the amounts.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench_goals.h"
#include "support/file_transfer.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kSmallFileBytes = 64 * 1024;

std::size_t EnvNumber(const char* name, std::size_t fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && std::atol(value) > 0 ? static_cast<std::size_t>(std::atol(value)) : fallback;
}

struct Selection {
    std::vector<std::string> names;
    std::uint64_t bytes = 0;
};

// One master copy of each selection per root; every round works on a fresh copy of it.
class Scratch {
public:
    Scratch() {
        const std::size_t smallFiles = EnvNumber("VLT_BENCH_SMALL_FILES", 1000);
        const std::size_t largeBytes = EnvNumber("VLT_BENCH_LARGE_MB", 256) << 20;
        std::mt19937_64 random(1);
        std::vector<char> block(kSmallFileBytes);
        for (auto& byte : block) {
            byte = static_cast<char>(random());
        }
        for (const std::string& root : {Disk(), Ram()}) {
            fs::create_directories(root + "/small");
            fs::create_directories(root + "/large");
        }
        for (std::size_t i = 0; i < smallFiles; ++i) {
            const std::string name = "file" + std::to_string(i);
            block[0] = static_cast<char>(i);
            for (const std::string& root : {Disk(), Ram()}) {
                std::ofstream(root + "/small/" + name, std::ios::binary).write(block.data(), kSmallFileBytes);
            }
            small_.names.push_back(name);
        }
        small_.bytes = smallFiles * kSmallFileBytes;
        for (const std::string& root : {Disk(), Ram()}) {
            std::ofstream out(root + "/large/big.bin", std::ios::binary);
            for (std::size_t done = 0; done < largeBytes; done += kSmallFileBytes) {
                block[1] = static_cast<char>(done >> 16);
                out.write(block.data(), kSmallFileBytes);
            }
        }
        large_.names = {"big.bin"};
        large_.bytes = largeBytes;
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(Disk(), ignored);
        fs::remove_all(Ram(), ignored);
    }
    static const std::string& Disk() {
        static const std::string path = (fs::temp_directory_path() / ("vlt_bench_transfer_" + Pid())).string();
        return path;
    }
    static const std::string& Ram() {
        static const std::string path = "/dev/shm/vlt_bench_transfer_" + Pid();
        return path;
    }
    const Selection& Of(bool large) const { return large ? large_ : small_; }

private:
    static std::string Pid() { return std::to_string(getpid()); }
    Selection small_, large_;
};

Scratch& Files() {
    static Scratch scratch;
    return scratch;
}

enum class Where { SameFileSystem, RamToDisk };

// Fresh source and empty target directories for one round; the source is a copy of the
// master selection on the root the case reads from.
struct Round {
    std::string source, target;
};

Round Prepare(bool large, Where where, const char* tag) {
    const std::string kind = large ? "large" : "small";
    const std::string from = (where == Where::RamToDisk ? Scratch::Ram() : Scratch::Disk()) + "/" + kind;
    Round round{from + "_src_" + tag, Scratch::Disk() + "/" + kind + "_dst_" + tag};
    fs::remove_all(round.source);
    fs::remove_all(round.target);
    fs::copy(from, round.source);
    fs::create_directories(round.target);
    ::sync();
    return round;
}

void Run(benchmark::State& state, bool large, Where where, bool move, bool ours) {
    const Selection& selection = Files().Of(large);
    for (auto _ : state) {
        state.PauseTiming();
        const Round round = Prepare(large, where, ours ? "ours" : "peer");
        state.ResumeTiming();
        if (ours) {
            vlt::FileMover mover;
            for (const std::string& name : selection.names) {
                const std::string from = round.source + "/" + name;
                const std::string to = round.target + "/" + name;
                const bool done = move ? mover.Move(from, to, vlt::Existing::Keep)
                                       : vlt::SafeCopyFile(from, to, vlt::Existing::Keep);
                if (!done) {
                    state.SkipWithError("a file was not transferred");
                    return;
                }
            }
            if (!mover.Finish()) {
                state.SkipWithError("the moved sources were not settled");
                return;
            }
        } else {
            // The shell expands the selection as a user's command line would.
            const std::string command =
                std::string(move ? "mv " : "cp ") + round.source + "/* " + round.target + "/";
            if (std::system(command.c_str()) != 0) {
                state.SkipWithError("the peer failed");
                return;
            }
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * selection.bytes));
}

#define VLT_TRANSFER_CASE(name, large, where, move)                                                                    \
    void BM_Ours_##name(benchmark::State& state) { Run(state, large, where, move, true); }                              \
    void BM_Peer_##name(benchmark::State& state) { Run(state, large, where, move, false); }                            \
    BENCHMARK(BM_Ours_##name)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);                            \
    BENCHMARK(BM_Peer_##name)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond)

VLT_TRANSFER_CASE(CopySmallFiles, false, Where::SameFileSystem, false);
VLT_TRANSFER_CASE(CopyLargeFile, true, Where::SameFileSystem, false);
VLT_TRANSFER_CASE(CopySmallFilesRamToDisk, false, Where::RamToDisk, false);
VLT_TRANSFER_CASE(CopyLargeFileRamToDisk, true, Where::RamToDisk, false);
VLT_TRANSFER_CASE(MoveSmallFiles, false, Where::SameFileSystem, true);
VLT_TRANSFER_CASE(MoveLargeFile, true, Where::SameFileSystem, true);
VLT_TRANSFER_CASE(MoveSmallFilesRamToDisk, false, Where::RamToDisk, true);
VLT_TRANSFER_CASE(MoveLargeFileRamToDisk, true, Where::RamToDisk, true);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::GoalReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const bench::Goal goals[] = {
        {"BM_Ours_CopySmallFiles", "BM_Peer_CopySmallFiles", 0.9},
        {"BM_Ours_CopyLargeFile", "BM_Peer_CopyLargeFile", 0.9},
        {"BM_Ours_CopySmallFilesRamToDisk", "BM_Peer_CopySmallFilesRamToDisk", 0.9},
        {"BM_Ours_CopyLargeFileRamToDisk", "BM_Peer_CopyLargeFileRamToDisk", 0.9},
        {"BM_Ours_MoveSmallFiles", "BM_Peer_MoveSmallFiles", 0.9},
        {"BM_Ours_MoveLargeFile", "BM_Peer_MoveLargeFile", 0.9},
        {"BM_Ours_MoveSmallFilesRamToDisk", "BM_Peer_MoveSmallFilesRamToDisk", 0.9},
        {"BM_Ours_MoveLargeFileRamToDisk", "BM_Peer_MoveLargeFileRamToDisk", 0.9},
    };
    reporter.PrintGoals(goals);
    benchmark::Shutdown();
    return 0;
}
