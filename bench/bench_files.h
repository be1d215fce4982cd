#pragma once
// Files and runs of the one-file benchmarks: scratch directories on tmpfs and on the
// disk (removed with their files at exit), test files of a fixed pseudo-random or
// text content, and a keyed run with the codec tables.
//
// VLT_BENCH_TMPFS_DIR and VLT_BENCH_DISK_DIR override where the files go (defaults:
// /dev/shm and the temporary directory).
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cipher/algorithm_table.h"
#include "container/crypt_context.h"
#include "support/lzh/lzh_codec.h"

namespace bench {

namespace fs = std::filesystem;

inline const std::string kPassphrase = "benchmark passphrase";

// A directory of our own for the run's files, removed with them at exit: the
// files add up to gigabytes, and on tmpfs they are memory.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const fs::path& parent) : path_((parent / "vlt_benchXXXXXX").string()) {
        if (::mkdtemp(path_.data()) == nullptr) {
            std::fprintf(stderr, "bench: cannot create a directory in %s\n", parent.c_str());
            std::exit(1);
        }
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

inline std::string MadeDirectory(const char* variable, const fs::path& fallback) {
    if (const char* given = std::getenv(variable)) {
        return given;
    }
    static std::vector<std::unique_ptr<ScratchDirectory>> made;
    made.push_back(std::make_unique<ScratchDirectory>(fallback));
    return made.back()->Path();
}

inline const std::string& TmpfsDir() {
    static const std::string dir =
        MadeDirectory("VLT_BENCH_TMPFS_DIR", fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path());
    return dir;
}

inline const std::string& DiskDir() {
    static const std::string dir = MadeDirectory("VLT_BENCH_DISK_DIR", fs::temp_directory_path());
    return dir;
}

inline void WriteFile(const std::string& path, std::uint64_t size, bool text) {
    static const std::string kText = "It was the best of times, it was the worst of times, it was the age of wisdom, "
                                     "it was the age of foolishness, it was the epoch of belief. ";
    std::mt19937_64 random(42);
    std::vector<char> chunk(1 << 20);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::uint64_t done = 0; done < size; done += chunk.size()) {
        for (std::size_t i = 0; i < chunk.size(); i += 8) {
            const std::uint64_t word = random();
            for (std::size_t b = 0; b < 8; ++b) {
                chunk[i + b] = text ? kText[(done + i + b) % kText.size()] : static_cast<char>(word >> (8 * b));
            }
        }
        out.write(chunk.data(), static_cast<std::streamsize>(std::min<std::uint64_t>(chunk.size(), size - done)));
    }
}

// A run keyed with `algorithm`, with the codec tables.
class Run {
public:
    explicit Run(vlt::AlgorithmId algorithm) {
        vlt::KeyRecord keys;
        keys.firstAlgorithm = algorithm;
        keys.firstPassphrase = reinterpret_cast<const std::uint8_t*>(kPassphrase.data());
        keys.firstLength = static_cast<std::uint16_t>(kPassphrase.size());
        ok = vlt::SetupCryptContext(keys, false) == vlt::kSetupOk && vlt::LzhAllocTables();
    }
    ~Run() {
        vlt::ReleaseCryptContext();
        vlt::LzhFreeTables();
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;
    bool ok = false;
};

} // namespace bench
