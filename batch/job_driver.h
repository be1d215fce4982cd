#pragma once
// The job driver: one encryption, decryption or wiping run over the selected items.
#include <cstdint>
#include <functional>
#include <string>

#include "batch/job_host.h"
#include "batch/job_mode.h"
#include "batch/run_state.h"
#include "wipe/wipe.h"
#include "container/decrypt_file.h"
#include "container/encrypt_file.h"
#include "settings/settings_record.h"

namespace vlt {

// How a run ended, for callers that report it (the terminal's exit status).
struct JobOutcome {
    bool started = false;   // the groups were walked and the done dialog shown
    bool cancelled = false; // the user cancelled or stopped the run
    bool failed = false;    // the run could not start (memory, unusable algorithm)
    std::int64_t found = 0;
    std::int64_t success = 0;
    std::int64_t errors = 0;
    // Wipes that left their file in place ("FAILED!"). The done dialog counts them
    // neither as success nor as error; a script still has to learn of them.
    std::int64_t wipesFailed = 0;
    std::int64_t leftOut = 0; // files the exclusion mask left out
    std::uint32_t leftOutAttributes = 0;
};

// The one-file operations a run hands its files to; tests put scripted ones in.
struct OneFileOperations {
    std::function<ResultCode(TEncryptContext&, FileOperationHost&)> encrypt = EncryptOneFile;
    std::function<ResultCode(TDecryptContext&, FileOperationHost&)> decrypt = DecryptOneFile;
    std::function<WipeOutcome(const std::string&, int, const WipePoll&)> wipe = WipeFile;
    std::function<WipeOutcome(const std::string&, const WipePoll&)> wipeSfs = WipeFileSfs;
};

// Runs `mode` over host.Selection(): passphrase, destination, the directory group,
// the single files and the drive group in that order, one log line per file, the
// done dialog at the end. Only one run may be active at a time.
JobOutcome RunJob(JobMode mode, JobHost& host, SettingsRecord& settings, RunState& state,
                  const OneFileOperations& operations = {});

// The Stop button of an active run: asks "Do you really want to break?"; Yes sets
// UserBreak, which the run sees after the current block or file.
void ConfirmStop(FileOperationHost& host, RunState& state);

} // namespace vlt
