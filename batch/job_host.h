#pragma once
// Everything the job driver asks of the window that runs it. The Qt windows, the
// terminal front end and scripted tests each implement it.
#include <cstdint>
#include <string>
#include <vector>

#include "batch/job_mode.h"
#include "batch/message_log.h"
#include "container/file_operation_host.h"
#include "support/secure_memory.h"

namespace vlt {

// The selected browser items in the browser's order, each with its full path.
struct JobSelection {
    std::vector<std::string> directories; // entries named "." or ".." are ignored
    std::vector<std::string> files;
    std::vector<std::string> drives; // mount points
    std::string mask = "*.*";        // file mask of CurrentPath
};

// What the done dialog shows.
struct DoneSummary {
    JobMode mode = jmEncrypt;
    std::int64_t tried = 0;
    std::int64_t success = 0;
    std::int64_t errors = 0;
    // Files the exclusion mask left out of the listings, and the attributes that did it.
    std::int64_t leftOut = 0;
    std::uint32_t leftOutAttributes = 0;
};

class JobHost : public FileOperationHost, public LogView {
public:
    // The passphrase dialog, shown modally; encryption asks for every passphrase twice.
    virtual void ShowPassphraseDialog(bool EncryptMode) = 0;
    // The passphrases of the last showing, sized to their lengths; false when the
    // dialog was not accepted. The caller wipes its copies.
    [[nodiscard]] virtual bool GetPassphrases(SecureBuffer& first, SecureBuffer& second) = 0;

    // The destination dialog, preset with `path`: the accepted directory as typed, or ""
    // when the files are to stay where they are.
    [[nodiscard]] virtual std::string AskDestination(const std::string& caption, const std::string& path) = 0;

    [[nodiscard]] virtual JobSelection Selection() = 0;

    // The window enters the running state: progress display, the mode's button as the
    // stop button, the other buttons disabled, busy cursor.
    virtual void EnterJobView(JobMode mode) = 0;
    // Draws the progress display at `position` bytes of `total`.
    virtual void DrawProgress(std::int64_t position, std::int64_t total, int percent) = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // The run is over: normal cursor, the mode's button back to its caption.
    virtual void LeaveJobView(JobMode mode) = 0;
    // The done dialog; returns when the user has closed it. It may save the log.
    virtual void ShowDoneDialog(const DoneSummary& summary, MessageLog& log) = 0;
    // Back to idle: buttons, status bar, and the browser listed again when asked.
    virtual void ReturnToIdle(bool refillBrowser) = 0;

    // A log line that counts as an error (or a failed wipe) was just finished;
    // `systemReason` is the platform's own word for an I/O error ("" when none).
    virtual void ErrorLogged(const std::string& line, const std::string& systemReason) {
        (void)line;
        (void)systemReason;
    }
};

} // namespace vlt
