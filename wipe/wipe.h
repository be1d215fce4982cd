#pragma once
// Wiping: a file is overwritten in place several times, each pass made durable
// before the next, then given a random name and deleted.
#include <cstdint>
#include <functional>
#include <string>

namespace vlt {

// Fills the three 64 KiB pattern buffers (random, its complement, other random)
// once per run; wiping needs them.
[[nodiscard]] bool PrepareWipeBuffers();
void ReleaseWipeBuffers();

struct WipeProgress {
    std::uint64_t bytesThisPass; // written so far in the current pass
    int pass;                    // 0-based
    int passes;                  // passes of this wipe
};
// Called once with 0 bytes before the first pass and after every block; true = stop.
using WipePoll = std::function<bool(const WipeProgress&)>;

enum class WipeOutcome {
    Wiped,   // every pass written, file deleted
    Stopped, // the poll stopped the passes; the file is deleted all the same
    Failed,  // not opened, read-only, a pass could not be written, or not deleted
};

// 3 x cycles passes of the three pattern buffers in turn.
[[nodiscard]] WipeOutcome WipeFile(const std::string& path, int cycles, const WipePoll& poll);
// 35 passes of the fixed three-byte patterns, whatever the cycle count.
[[nodiscard]] WipeOutcome WipeFileSfs(const std::string& path, const WipePoll& poll);

} // namespace vlt
