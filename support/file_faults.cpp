#include "support/file_faults.h"

#include <array>
#include <atomic>

namespace vlt {

namespace {

constexpr std::size_t kOpCount = static_cast<std::size_t>(FileOp::RemoveDirectory) + 1;

// Calls left until the injected failure, per operation; 0 = none pending.
// Atomic because the scanner thread reads attributes while the UI thread works.
std::array<std::atomic<int>, kOpCount> gCountdown{};

} // namespace

void InjectFileFault(FileOp op, int nthCallFromNow) {
    gCountdown[static_cast<std::size_t>(op)].store(nthCallFromNow > 0 ? nthCallFromNow : 0);
}

void ClearFileFaults() {
    for (auto& countdown : gCountdown) {
        countdown.store(0);
    }
}

bool ConsumeFileFault(FileOp op) noexcept {
    auto& countdown = gCountdown[static_cast<std::size_t>(op)];
    int left = countdown.load();
    while (left > 0) {
        if (countdown.compare_exchange_weak(left, left - 1)) {
            return left == 1;
        }
    }
    return false;
}

} // namespace vlt
