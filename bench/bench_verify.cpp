// What the read-back check costs and how fast `verify` runs, Blowfish, compression
// off, in one run:
// - in-place encryption with the check against the same without it, of a 1 GiB
//   file on tmpfs and a 256 MiB file on the disk (goal: at most 1.25x the time,
//   i.e. a rate ratio of at least 0.8);
// - the check of a container (what `vlt95-cli verify` does per file) against its
//   decryption into another file on tmpfs (goal: at least 0.9x the rate).
//
// VLT_BENCH_VERIFY_MIB sets one size in MiB for all files (for a slow machine);
// VLT_BENCH_TMPFS_DIR and VLT_BENCH_DISK_DIR say where the files go.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "batch/verify_file.h"
#include "bench_files.h"
#include "bench_goals.h"
#include "container/decrypt_file.h"
#include "container/encrypt_file.h"
#include "tests/common/quiet_host.h"

namespace {

namespace fs = std::filesystem;

using vlt::testing::QuietHost;

std::uint64_t SizeOr(std::uint64_t defaultMiB) {
    const char* given = std::getenv("VLT_BENCH_VERIFY_MIB");
    const std::uint64_t mib = given != nullptr ? std::strtoull(given, nullptr, 10) : 0;
    return (mib > 0 ? mib : defaultMiB) << 20;
}

struct Place {
    const char* name;
    const std::string& (*directory)();
    std::uint64_t bytes;
};

const Place& Tmpfs() {
    static const Place place{"tmpfs", bench::TmpfsDir, SizeOr(1024)};
    return place;
}

const Place& Disk() {
    static const Place place{"disk", bench::DiskDir, SizeOr(256)};
    return place;
}

// Each iteration encrypts a fresh plain file in place; writing it is not timed.
void EncryptInPlace(benchmark::State& state, const Place* place, bool verify) {
    const std::string directory = place->directory() + "/";
    bench::Run run(1);
    QuietHost host;
    for (auto _ : state) {
        state.PauseTiming();
        bench::WriteFile(directory + "inplace.bin", place->bytes, false);
        state.ResumeTiming();
        vlt::TEncryptContext context;
        context.SourceDir = directory;
        context.FileName = "inplace.bin";
        context.VerifyOutput = verify;
        if (!run.ok || vlt::EncryptOneFile(context, host) != vlt::resDone) {
            state.SkipWithError("encryption failed");
            return;
        }
    }
    fs::remove(directory + "inplace.bin");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * place->bytes));
}

// One container on tmpfs for the decryption and the check.
const std::string& Container() {
    static const std::string path = [] {
        const std::string directory = Tmpfs().directory() + "/";
        bench::WriteFile(directory + "sealed.bin", Tmpfs().bytes, false);
        bench::Run run(1);
        QuietHost host;
        vlt::TEncryptContext context;
        context.SourceDir = directory;
        context.FileName = "sealed.bin";
        return run.ok && vlt::EncryptOneFile(context, host) == vlt::resDone ? directory + "sealed.bin" : "";
    }();
    return path;
}

void DecryptToFile(benchmark::State& state) {
    const std::string& sealed = Container();
    const std::string out = Tmpfs().directory() + "/out/";
    fs::create_directories(out);
    bench::Run run(1);
    QuietHost host;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(out + "sealed.bin");
        state.ResumeTiming();
        vlt::TDecryptContext context;
        context.SourceDir = fs::path(sealed).parent_path().string() + "/";
        context.FileName = "sealed.bin";
        context.DestDir = out;
        if (sealed.empty() || !run.ok || vlt::DecryptOneFile(context, host) != vlt::resDone) {
            state.SkipWithError("decryption failed");
            return;
        }
    }
    fs::remove_all(out);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Tmpfs().bytes));
}

void VerifyContainer(benchmark::State& state) {
    const std::string& sealed = Container();
    bench::Run run(1);
    QuietHost host;
    for (auto _ : state) {
        bool unusableName = false;
        if (sealed.empty() || !run.ok || vlt::VerifyContainerFile(sealed, host, unusableName) != vlt::resDone) {
            state.SkipWithError("verification failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Tmpfs().bytes));
}

constexpr bench::Goal kGoals[] = {
    {"EncryptInPlaceVerified/tmpfs", "EncryptInPlace/tmpfs", 0.8},
    {"EncryptInPlaceVerified/disk", "EncryptInPlace/disk", 0.8},
    {"Verify/tmpfs", "Decrypt/tmpfs", 0.9},
};

} // namespace

int main(int argc, char** argv) {
    // One timed pass per repetition: the files are large.
    const auto once = [](benchmark::internal::Benchmark* registered) {
        registered->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
    };
    for (const Place* place : {&Tmpfs(), &Disk()}) {
        const std::string plain = std::string("EncryptInPlace/") + place->name;
        const std::string verified = std::string("EncryptInPlaceVerified/") + place->name;
        once(benchmark::RegisterBenchmark(plain.c_str(), EncryptInPlace, place, false));
        once(benchmark::RegisterBenchmark(verified.c_str(), EncryptInPlace, place, true));
    }
    once(benchmark::RegisterBenchmark("Decrypt/tmpfs", DecryptToFile));
    once(benchmark::RegisterBenchmark("Verify/tmpfs", VerifyContainer));

    bench::GoalReporter reporter;
    bench::RunShuffled(argc, argv, 3, reporter);
    reporter.PrintGoals(kGoals);
    benchmark::Shutdown();
    return 0;
}
