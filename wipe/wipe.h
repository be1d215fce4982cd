#pragma once
// Wiping: a file is overwritten in place several times, each pass made durable
// before the next, then given a random name and deleted. The file is opened once,
// without following links, and only the file overwritten loses its name.
#include "platform/no_follow.h"

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
    Linked,  // refused, untouched: other hard links share the file's contents
};

// 3 x cycles passes of the three pattern buffers in turn.
[[nodiscard]] WipeOutcome WipeFile(const std::string& path, int cycles, const WipePoll& poll);
// 35 passes of the fixed three-byte patterns, whatever the cycle count.
[[nodiscard]] WipeOutcome WipeFileSfs(const std::string& path, const WipePoll& poll);

// A wiped file must not leave its name in the directory either: the entry is given
// random letters of the same length, then removed. Only when it still is `expected`.
[[nodiscard]] bool RemoveNameOf(const std::string& path, const FileIdentity& expected);

// The passes of either method over a file that has already lost its name (an
// original the encrypted file has replaced), through an open descriptor of it;
// the descriptor stays open. Never Linked: the caller looks at the links first.
[[nodiscard]] WipeOutcome WipeDetachedFile(int descriptor, int cycles, bool sfs, const WipePoll& poll);

} // namespace vlt
