#pragma once
// The block loop of the one-file operations with the file I/O beside the cipher:
// while the calling thread transforms block k, a worker thread writes block k-1
// and reads block k+1. CBC is one serial chain per file, so the cipher's thread
// is kept free of everything else.
#include "container/result_code.h"

#include <cstddef>

namespace vlt {

// Read ahead, in the cipher, written behind.
inline constexpr std::size_t kBlocksInFlight = 3;

// One operation's stages over its kBlocksInFlight block slots. Read and Write run
// on the worker (one at a time, in block order); the rest on the calling thread.
// A slot is never touched by both threads at once.
class BlockStages {
public:
    // Fills the slot with the next block of the source; a failure is kept in the slot.
    virtual void Read(std::size_t slot) = 0;
    // The block's cipher work, or the failure its read left.
    [[nodiscard]] virtual ResultCode Transform(std::size_t slot) = 0;
    // Writes the transformed block; the outcome is kept in the slot.
    virtual void Write(std::size_t slot) = 0;
    // After the write: its failure, or the messages and progress of the block.
    [[nodiscard]] virtual ResultCode Settle(std::size_t slot) = 0;
    // No block follows this one: the last one, or its read failed.
    [[nodiscard]] virtual bool EndsInput(std::size_t slot) const = 0;
    // The block is written and settled (some empty blocks are skipped).
    [[nodiscard]] virtual bool HasOutput(std::size_t slot) const = 0;

protected:
    ~BlockStages() = default;
};

// Whether the I/O stages get a worker thread, or run on the calling thread
// between the transforms (for callers that must not start threads).
enum class PipelineThreads { WithWorker, CallerOnly };

// Runs every block through the stages in the order a plain loop would see its
// results: read, transform, write, settle; the first failure ends the loop with no
// later block settled. The worker is joined before the call returns.
[[nodiscard]] ResultCode RunBlockPipeline(BlockStages& stages,
                                          PipelineThreads threads = PipelineThreads::WithWorker);

} // namespace vlt
