#pragma once
// The job driver's host on a terminal: log lines on stdout as they are finished, a
// progress bar on stderr, questions on the terminal (or answered by --yes), the done
// summary, and passphrases from files, the environment or hidden terminal input. Typed
// text becomes Windows-1252 bytes as in the window's dialog, unless --raw-passphrase
// asks for the bytes as given.
#include <cstdint>
#include <string>

#include "batch/job_host.h"
#include "batch/passphrase_rules.h"
#include "batch/passphrase_store.h"
#include "cli/cli_options.h"
#include "cli/terminal_io.h"
#include "cli/terminal_messages.h"
#include "settings/settings_record.h"

namespace vlt::cli {

class TerminalHost : public JobHost {
public:
    TerminalHost(const CliOptions& options, const SettingsRecord& settings, JobSelection selection);

    // A passphrase that came from a file or the environment broke the rules (or none
    // could be had without a terminal): a usage error rather than a cancel.
    [[nodiscard]] bool PassphraseRejected() const { return passphraseRejected_; }
    // The log could not be saved to --log.
    [[nodiscard]] bool LogSaveFailed() const { return logSaveFailed_; }

    MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                         MsgButtons buttons) override {
        return messages_.MessageBox(caption, text, icon, buttons);
    }
    bool JobProgress(ProgressKind, std::int32_t) override { return false; }
    void ProcessMessages() override {}

    std::int32_t LogRows() const override { return 0; }
    void LogShow(bool) override {}
    void LogPaint(MessageLog& log) override;

    void ShowPassphraseDialog(bool EncryptMode) override;
    bool GetPassphrases(SecureBuffer& first, SecureBuffer& second) override;
    std::string AskDestination(const std::string& caption, const std::string& path) override;
    JobSelection Selection() override { return selection_; }
    void EnterJobView(JobMode) override {}
    void DrawProgress(std::int64_t position, std::int64_t total, int percent) override;
    void SetTitle(const std::string&) override {}
    void LeaveJobView(JobMode) override { progress_.Clear(); }
    void ShowDoneDialog(const DoneSummary& summary, MessageLog& log) override;
    void ReturnToIdle(bool) override {}
    void ErrorLogged(const std::string& line, const std::string& systemReason) override;

private:
    // One passphrase from its file, the environment or the terminal; nothing when
    // there is none to be had (reported) or the input ended.
    std::optional<std::string> Source(const std::optional<std::string>& file, const char* option,
                                      const char* variable, const std::string& prompt, bool& fromTerminal);
    // A passphrase and, when typed on the terminal for encryption, its confirmation.
    bool ReadPair(const std::optional<std::string>& file, const char* option, const char* variable,
                  const std::string& label, bool confirm, std::string& passphrase, std::string& confirmation,
                  bool& interactive);
    bool ReadEntries(const PassphraseRequest& request, PassphraseEntries& entries, bool& interactive);

    const CliOptions& options_;
    const SettingsRecord& settings_;
    JobSelection selection_;
    ProgressLine progress_;
    TerminalMessageBoxes messages_;
    std::int32_t printedLines_ = 0;
    bool passphraseRejected_ = false;
    bool logSaveFailed_ = false;
    PassphraseStore store_;
};

} // namespace vlt::cli
