#pragma once
// A container decoded into nothing: every check a decryption makes (prologue,
// passphrase, block plausibility, decompression, CRC-32, trailer), with no plain
// byte written anywhere. For read-back checks, `verify`, and fuzzing.
#include "container/container_reader.h"
#include "container/file_operation_host.h"

#include <cstdint>
#include <string>

namespace vlt {

struct ContainerCheckOptions {
    // A worker thread reads ahead while this thread deciphers, and each block is
    // deciphered on two threads; off, nothing but the calling thread runs (as a
    // fuzz target needs).
    bool useThreads = false;
    // Lets window messages run after each block; with `reportProgress` the block's
    // bytes also reach JobProgress as pkDecrypt, whose stop gives resUserBreak.
    FileOperationHost* host = nullptr;
    bool reportProgress = false;
};

// What the check found, valid with resDone.
struct ContainerCheck {
    std::string storedName;
    std::uint32_t contentCrc = 0;  // CRC-32 of the plain content, as the trailer stores it
    std::uint64_t contentSize = 0; // plain bytes
};

// Decodes the whole container from `source` with the current run's keys and block
// buffers: resDone when it decodes and its CRC-32 fits the trailer, else the result
// a decryption would give (resFatalError without a run).
[[nodiscard]] ResultCode CheckContainer(ByteSource& source, const ContainerCheckOptions& options,
                                        ContainerCheck& check);

} // namespace vlt
