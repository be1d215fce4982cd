#include <atomic>
#include <filesystem>
#include <iostream>

#include "batch/format_thousands.h"
#include "batch/free_space.h"
#include "cli/commands.h"
#include "cli/terminal_io.h"
#include "cli/terminal_messages.h"

namespace vlt::cli {

namespace {

// The clearing window on a terminal: the caption on stdout, the running count on
// stderr's progress line, Ctrl-C as its Cancel button.
class TerminalClearerView : public FreeSpaceView {
public:
    TerminalClearerView(FreeSpaceClearer& clearer, bool quiet)
        : clearer_(clearer), quiet_(quiet), progress_(!quiet && StderrIsTerminal()),
          messages_(false, false, [this] { ClearInfo(); }) {
        StopOnInterrupt(interrupted_);
    }
    MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                         MsgButtons buttons) override {
        return messages_.MessageBox(caption, text, icon, buttons);
    }
    void ShowClearer(const std::string& caption) override {
        if (!quiet_) {
            std::cout << caption << std::endl;
        }
    }
    void SetCaption(const std::string&) override {}
    void SetInfo(const std::string& text) override {
        if (progress_) {
            std::cerr << "\r\033[K" << text << std::flush;
        }
    }
    void ProcessMessages() override {
        if (interrupted_) {
            clearer_.StopButtonClick();
        }
    }
    ~TerminalClearerView() override { ClearInfo(); }

private:
    void ClearInfo() {
        if (progress_) {
            std::cerr << "\r\033[K" << std::flush;
        }
    }

    FreeSpaceClearer& clearer_;
    bool quiet_;
    bool progress_;
    TerminalMessageBoxes messages_;
    std::atomic<bool> interrupted_{false};
};

} // namespace

int RunClearFreeSpaceCommand(const CliOptions& options) {
    const std::string directory = AbsolutePath(options.paths.front());
    std::error_code error;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(directory, error))) {
        return UsageError(options.paths.front() + ": not a directory");
    }
    FreeSpaceClearer clearer;
    FillOutcome outcome;
    {
        TerminalClearerView view(clearer, options.quiet);
        outcome = clearer.ClearFreeSpace(directory == "/" ? directory : directory + "/", view);
    }
    const std::uint64_t written = clearer.Written();
    clearer.FormClose();
    switch (outcome) {
    case FillOutcome::NoMemory:
    case FillOutcome::CantOpen:
        return kExitErrors;
    case FillOutcome::UserBreak:
    case FillOutcome::DiskFull:
        break;
    }
    const bool stopped = outcome == FillOutcome::UserBreak;
    if (!options.quiet) {
        std::cout << (stopped ? "User break: " : "Done: ") << FormatThousands(static_cast<std::int64_t>(written))
                  << " bytes written." << std::endl;
    }
    return stopped ? kExitStopped : kExitOk;
}

} // namespace vlt::cli
