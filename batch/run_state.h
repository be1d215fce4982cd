#pragma once
// The one process-wide record of flags and counters of the current run, shared by
// the job driver, the message log, the file-state scanner and the browser. The
// scanner flags and UserBreak are atomic: the scanner thread and a terminal's
// interrupt handler touch them from outside the user-interface thread.
#include <atomic>
#include <cstdint>

namespace vlt {

struct RunState {
    std::atomic<bool> ScanRunning{false};
    std::atomic<bool> ScanStopRequest{false};
    std::atomic<bool> UserBreak{false};
    bool JobActive = false;

    // Progress of the current group; sizes are 64-bit so that groups beyond 2 GB draw right.
    std::int64_t BatchTotal = 100000;
    std::int64_t BatchDone = 0;
    std::int64_t FileProgress = 0;
    std::int64_t LastPainted = 0;
    std::uint32_t ProgressColour = 0; // Windows colour value of the mode's bar
    std::uint8_t LastPercent = 100;

    // Message log flags.
    bool TerminalActive = false;
    bool LogBusy = false;

    // Browser flags. While KeepColumnWidths is set, the next listing applies the stored
    // column widths instead of storing the shown ones.
    bool KeepColumnWidths = true;
    bool FirstPaintPending = true;
};

} // namespace vlt
