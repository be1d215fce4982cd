#pragma once
// A host for runs nobody watches (benchmarks, fuzzing): it answers Yes to every
// question and never asks to stop.
#include "container/file_operation_host.h"

namespace vlt::testing {

class QuietHost : public FileOperationHost {
public:
    bool JobProgress(ProgressKind, std::int32_t) override { return false; }
    MsgAnswer MessageBox(const std::string&, const std::string&, MsgIcon, MsgButtons) override {
        return MsgAnswer::Yes;
    }
    void ProcessMessages() override {}
};

} // namespace vlt::testing
