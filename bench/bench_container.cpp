// One file end to end: EncryptOneFile / DecryptOneFile of a 256 MiB file on tmpfs
// (Blowfish and TDES, compression off) beside `openssl enc` and `gpg --symmetric`
// on the same file, compression on with its ratio, and a wipe of a 256 MiB file on
// the disk file system beside `dd oflag=direct conv=notrunc,fsync` over the same file.
//
// VLT_BENCH_TMPFS_DIR and VLT_BENCH_DISK_DIR override where the files go (defaults:
// /dev/shm and the temporary directory).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench_files.h"
#include "wipe/wipe.h"
#include "cipher/algorithm_table.h"
#include "container/crypt_context.h"
#include "container/decrypt_file.h"
#include "container/encrypt_file.h"
#include "support/lzh/lzh_codec.h"
#include "tests/common/quiet_host.h"

namespace {

namespace fs = std::filesystem;

using bench::DiskDir;
using bench::Run;
using bench::TmpfsDir;
using bench::WriteFile;

constexpr std::uint64_t kFileSize = 256ULL << 20;
constexpr std::uint64_t kTextSize = 32ULL << 20;

using vlt::testing::QuietHost;

std::string WrittenFile(const std::string& name, std::uint64_t size, bool text) {
    const std::string path = TmpfsDir() + "/" + name;
    WriteFile(path, size, text);
    return path;
}

// The plain test files on tmpfs, written once per run.
const std::string& PlainFile() {
    static const std::string path = WrittenFile("plain.bin", kFileSize, false);
    return path;
}

const std::string& TextFile() {
    static const std::string path = WrittenFile("text.txt", kTextSize, true);
    return path;
}

std::string OutDir() {
    const std::string out = TmpfsDir() + "/out/";
    fs::create_directories(out);
    return out;
}

vlt::TEncryptContext EncryptContext(const std::string& plain, bool compress) {
    vlt::TEncryptContext context;
    context.SourceDir = fs::path(plain).parent_path().string() + "/";
    context.FileName = fs::path(plain).filename().string();
    context.DestDir = OutDir();
    context.Compress = compress;
    return context;
}

// Encrypts a plain file to out/; the path of the result.
std::string EncryptOnce(const std::string& plain, bool compress, QuietHost& host) {
    vlt::TEncryptContext context = EncryptContext(plain, compress);
    fs::remove(context.DestDir + context.FileName);
    return vlt::EncryptOneFile(context, host) == vlt::resDone ? context.DestDir + context.FileName : "";
}

void BM_EncryptOneFile(benchmark::State& state) {
    const std::string& plain = PlainFile();
    Run run(static_cast<vlt::AlgorithmId>(state.range(0)));
    QuietHost host;
    for (auto _ : state) {
        if (!run.ok || EncryptOnce(plain, false, host).empty()) {
            state.SkipWithError("encryption failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_EncryptOneFile)->Arg(1)->Arg(4)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_DecryptOneFile(benchmark::State& state) {
    Run run(static_cast<vlt::AlgorithmId>(state.range(0)));
    QuietHost host;
    const std::string encrypted = EncryptOnce(PlainFile(), false, host);
    const std::string stored = TmpfsDir() + "/stored.vlt";
    fs::rename(encrypted, stored);
    for (auto _ : state) {
        vlt::TDecryptContext context;
        context.SourceDir = TmpfsDir() + "/";
        context.FileName = "stored.vlt";
        context.DestDir = OutDir();
        state.PauseTiming();
        fs::remove(context.DestDir + context.FileName);
        state.ResumeTiming();
        if (!run.ok || encrypted.empty() || vlt::DecryptOneFile(context, host) != vlt::resDone) {
            state.SkipWithError("decryption failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_DecryptOneFile)->Arg(1)->Arg(4)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_EncryptOneFileCompressed(benchmark::State& state) {
    const std::string& text = TextFile();
    Run run(1);
    QuietHost host;
    int ratio = 0;
    for (auto _ : state) {
        vlt::TEncryptContext context = EncryptContext(text, true);
        state.PauseTiming();
        fs::remove(context.DestDir + context.FileName);
        state.ResumeTiming();
        if (!run.ok || vlt::EncryptOneFile(context, host) != vlt::resDone) {
            state.SkipWithError("encryption failed");
            return;
        }
        ratio = context.CompressionRatio;
    }
    state.counters["ratio_percent"] = ratio;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTextSize));
}
BENCHMARK(BM_EncryptOneFileCompressed)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

void RunCommand(benchmark::State& state, const std::string& command, std::uint64_t bytes) {
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// Raw keys (no key derivation in the timing): 16 bytes for Blowfish, 24 for TDES.
std::string OpensslCipher(int algorithm) {
    const std::string iv = " -iv 0011223344556677";
    return algorithm == 1 ? "-bf-cbc -provider legacy -provider default -K 0123456789abcdef0123456789abcdef" + iv
                          : "-des-ede3-cbc -K 0123456789abcdef0123456789abcdef0123456789abcdef" + iv;
}

void BM_OpensslEnc(benchmark::State& state) {
    const auto algorithm = static_cast<int>(state.range(0));
    const std::string command =
        "openssl enc -e " + OpensslCipher(algorithm) + " -in " + PlainFile() + " -out " + OutDir() + "openssl.bin";
    RunCommand(state, command, kFileSize);
}
BENCHMARK(BM_OpensslEnc)->Arg(1)->Arg(4)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_OpensslDec(benchmark::State& state) {
    const auto algorithm = static_cast<int>(state.range(0));
    const std::string cipher = OpensslCipher(algorithm);
    const std::string encrypted = OutDir() + "openssl.enc";
    if (std::system(("openssl enc -e " + cipher + " -in " + PlainFile() + " -out " + encrypted).c_str()) != 0) {
        state.SkipWithError("openssl enc failed");
        return;
    }
    RunCommand(state, "openssl enc -d " + cipher + " -in " + encrypted + " -out " + OutDir() + "openssl.dec",
               kFileSize);
}
BENCHMARK(BM_OpensslDec)->Arg(1)->Arg(4)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

std::string Gpg() {
    static const std::string home = [] {
        const std::string h = TmpfsDir() + "/gnupg";
        fs::create_directories(h);
        fs::permissions(h, fs::perms::owner_all);
        return h;
    }();
    return "gpg --homedir " + home + " --batch --yes --quiet --pinentry-mode loopback --passphrase x ";
}

void BM_GpgSymmetric(benchmark::State& state) {
    RunCommand(state,
               Gpg() + "--symmetric --cipher-algo BLOWFISH --compress-algo none -o " + OutDir() + "gpg.bin " +
                   PlainFile() + " 2>/dev/null",
               kFileSize);
}
BENCHMARK(BM_GpgSymmetric)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_GpgDecrypt(benchmark::State& state) {
    const std::string encrypted = OutDir() + "gpg.gpg";
    if (std::system((Gpg() + "--symmetric --cipher-algo BLOWFISH --compress-algo none -o " + encrypted + " " +
                     PlainFile() + " 2>/dev/null")
                        .c_str()) != 0) {
        state.SkipWithError("gpg --symmetric failed");
        return;
    }
    RunCommand(state, Gpg() + "-d -o " + OutDir() + "gpg.dec " + encrypted + " 2>/dev/null", kFileSize);
}
BENCHMARK(BM_GpgDecrypt)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

// One wipe pass (a cycle is three) over a 256 MiB file on the disk file system.
void BM_WipeFileOneCycle(benchmark::State& state) {
    const std::string path = DiskDir() + "/wipe.bin";
    if (!vlt::PrepareWipeBuffers()) {
        state.SkipWithError("no wipe buffers");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        WriteFile(path, kFileSize, false);
        ::sync();
        state.ResumeTiming();
        if (vlt::WipeFile(path, 1, nullptr) != vlt::WipeOutcome::Wiped) {
            state.SkipWithError("wipe failed");
            break;
        }
    }
    vlt::ReleaseWipeBuffers();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 3 * kFileSize));
}
BENCHMARK(BM_WipeFileOneCycle)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_DdDirectPass(benchmark::State& state) {
    const std::string path = DiskDir() + "/dd.bin";
    WriteFile(path, kFileSize, false);
    ::sync();
    RunCommand(state,
               "dd if=/dev/zero of=" + path + " bs=64K count=" + std::to_string(kFileSize >> 16) +
                   " oflag=direct conv=notrunc,fsync status=none",
               kFileSize);
    fs::remove(path);
}
BENCHMARK(BM_DdDirectPass)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
