#pragma once
// The run context as the one-file operations see it.
#include "cipher/engine_interface.h"
#include "container/block_pipeline.h"
#include "container/file_operation_host.h"
#include "container/format.h"
#include "support/secure_memory.h"

#include <array>
#include <cstdint>

namespace vlt {

// The buffers of one block slot.
struct BlockBuffers {
    SecureBuffer readBuffer; // plain data of one block
    SecureBuffer workBuffer; // stored (compressed and/or enciphered) data of one block
};

struct CryptRun {
    std::array<BlockBuffers, kBlocksInFlight> blocks;
    bool vlt7Mode = false;
    bool mixed = false;
    AlgorithmId first = 0;
    AlgorithmId second = 0;

    [[nodiscard]] const FormatGeneration& Generation() const { return GenerationFor(vlt7Mode); }
};

// The current run, or nullptr outside SetupCryptContext / ReleaseCryptContext.
[[nodiscard]] CryptRun* ActiveCryptRun();

// CBC with the run's algorithm or pair; length is a multiple of 8.
void RunEncipher(std::uint8_t* data, std::uint32_t length, ChainingValue& chain);
void RunDecipher(std::uint8_t* data, std::uint32_t length, ChainingValue& chain);
// The same on two threads: a CBC block's plain text needs only its own and the
// previous cipher block, so the halves of the data are deciphered side by side.
// Falls back to one thread for short data or when no thread can be started.
void RunDecipherSplit(std::uint8_t* data, std::uint32_t length, ChainingValue& chain);

// Runs one file operation (a class built from the context, the host and the run,
// with Run()) inside the current run; without a run nothing is touched.
template <class Operation, class Context>
[[nodiscard]] ResultCode WithActiveRun(Context& context, FileOperationHost& host) {
    CryptRun* run = ActiveCryptRun();
    return run == nullptr ? resFatalError : Operation(context, host, *run).Run();
}

} // namespace vlt
