#include "support/file_faults.h"

#include <array>
#include <atomic>

namespace vlt {

namespace {

constexpr std::size_t kOpCount = static_cast<std::size_t>(FileOp::DirectRead) + 1;

// Calls left until the injected failure, per operation; 0 = none pending.
// Atomic because the scanner thread reads attributes while the UI thread works.
std::array<std::atomic<int>, kOpCount> gCountdown{};

// Writes left until the data fault, and which one; writes run on an I/O worker.
std::atomic<int> gDataCountdown{0};
std::atomic<DataFault> gDataFault{DataFault::None};

// One step of a countdown: true when this call is the one it counted down to.
bool CountDown(std::atomic<int>& countdown) noexcept {
    int left = countdown.load();
    while (left > 0) {
        if (countdown.compare_exchange_weak(left, left - 1)) {
            return left == 1;
        }
    }
    return false;
}

} // namespace

void InjectFileFault(FileOp op, int nthCallFromNow) {
    gCountdown[static_cast<std::size_t>(op)].store(nthCallFromNow > 0 ? nthCallFromNow : 0);
}

void ClearFileFaults() {
    for (auto& countdown : gCountdown) {
        countdown.store(0);
    }
    gDataCountdown.store(0);
    gDataFault.store(DataFault::None);
}

bool ConsumeFileFault(FileOp op) noexcept {
    return CountDown(gCountdown[static_cast<std::size_t>(op)]);
}

void InjectDataFault(DataFault fault, int nthWriteFromNow) {
    gDataFault.store(fault);
    gDataCountdown.store(fault != DataFault::None && nthWriteFromNow > 0 ? nthWriteFromNow : 0);
}

DataFault ConsumeDataFault() noexcept {
    return CountDown(gDataCountdown) ? gDataFault.load() : DataFault::None;
}

} // namespace vlt
