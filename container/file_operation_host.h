#pragma once
// What a one-file operation needs from the window that runs it: progress with a
// stop answer, a modal question, and a chance for pending window messages to run.
// The job driver's host (batch/) extends this; tests script it.
#include <cstdint>
#include <string>

#include "container/message_box_host.h"

namespace vlt {

enum ProgressKind : std::uint16_t { pkEncrypt = 0, pkDecrypt = 1, pkWipe = 2 };

class FileOperationHost : public MessageBoxHost {
public:
    // Bytes just processed; true when the user asked to stop the run.
    [[nodiscard]] virtual bool JobProgress(ProgressKind kind, std::int32_t amount) = 0;

    // Lets pending window messages run (the stop button may be pressed meanwhile).
    virtual void ProcessMessages() = 0;

    // True for a path the current run has itself written: an output never replaces it.
    [[nodiscard]] virtual bool WrittenThisRun(const std::string& path) {
        (void)path;
        return false;
    }
};

} // namespace vlt
