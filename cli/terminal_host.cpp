#include "cli/terminal_host.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>

#include "batch/format_thousands.h"

namespace vlt::cli {

namespace {

// A passphrase file's contents without one trailing newline; nothing when unreadable.
std::optional<std::string> ReadPassphraseFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
    }
    return text;
}

} // namespace

TerminalHost::TerminalHost(const CliOptions& options, const SettingsRecord& settings, JobSelection selection)
    : options_(options), settings_(settings), selection_(std::move(selection)),
      progress_(!options.quiet && StderrIsTerminal()), messages_(options.yes, [this] { progress_.Clear(); }) {}

void TerminalHost::LogPaint(MessageLog& log) {
    if (options_.quiet) {
        return;
    }
    for (; printedLines_ < log.CurrentLine(); ++printedLines_) {
        progress_.Clear();
        std::cout << log.Line(printedLines_) << '\n';
    }
    std::cout.flush();
}

void TerminalHost::DrawProgress(std::int64_t, std::int64_t, int percent) {
    progress_.Draw(percent);
}

void TerminalHost::ShowDoneDialog(const DoneSummary& summary, MessageLog& log) {
    progress_.Clear();
    std::cout << "Files tried: " << FormatThousands(summary.tried) << '\n'
              << SuccessCaption(summary.mode) << ' ' << FormatThousands(summary.success) << '\n'
              << "Errors: " << FormatThousands(summary.errors) << std::endl;
    if (!options_.logFile) {
        return;
    }
    const LogSaveResult saved = log.SaveMessages(*options_.logFile);
    if (saved == LogSaveResult::Saved) {
        return;
    }
    ShowMessage("Saving failed", SaveFailureText(saved, *options_.logFile), MsgIcon::Exclamation);
    logSaveFailed_ = true;
}

std::string TerminalHost::AskDestination(const std::string&, const std::string&) {
    return options_.destination.value_or(std::string());
}

std::optional<std::string> TerminalHost::Source(const std::optional<std::string>& file, const char* variable,
                                                const std::string& prompt, bool& fromTerminal) {
    fromTerminal = false;
    if (file) {
        std::optional<std::string> text = ReadPassphraseFile(*file);
        if (!text) {
            std::cerr << "vlt95-cli: cannot read passphrase file " << *file << std::endl;
            passphraseRejected_ = true;
        }
        return text;
    }
    if (const char* value = std::getenv(variable)) {
        return std::string(value);
    }
    if (!StdinIsTerminal()) {
        std::cerr << "vlt95-cli: no passphrase: use --passphrase-file or " << variable << std::endl;
        passphraseRejected_ = true;
        return std::nullopt;
    }
    fromTerminal = true;
    return ReadHiddenLine(prompt + " ");
}

bool TerminalHost::ReadPair(const std::optional<std::string>& file, const char* variable, const std::string& label,
                            bool confirm, std::string& passphrase, std::string& confirmation, bool& interactive) {
    bool fromTerminal = false;
    std::optional<std::string> text = Source(file, variable, label, fromTerminal);
    if (!text) {
        return false;
    }
    passphrase = *text;
    WipeString(*text);
    interactive = interactive || fromTerminal;
    if (!confirm || !fromTerminal) {
        confirmation = passphrase;
        return true;
    }
    std::optional<std::string> typed = ReadHiddenLine("Confirm: ");
    if (!typed) {
        return false;
    }
    confirmation = *typed;
    WipeString(*typed);
    return true;
}

bool TerminalHost::ReadEntries(const PassphraseRequest& request, PassphraseEntries& entries, bool& interactive) {
    interactive = false;
    if (!ReadPair(options_.passphraseFile, "VLT95_PASSPHRASE", WithoutMnemonic(EntryLabel(request, false)),
                  request.encrypt, entries.first, entries.firstConfirmation, interactive)) {
        return false;
    }
    return !request.mixed ||
           ReadPair(options_.passphrase2File, "VLT95_PASSPHRASE2", WithoutMnemonic(EntryLabel(request, true)),
                    request.encrypt, entries.second, entries.secondConfirmation, interactive);
}

void TerminalHost::ShowPassphraseDialog(bool EncryptMode) {
    store_.ClearAccepted();
    PassphraseRequest request = PassphraseRequestFor(settings_, EncryptMode);
    // The terminal takes the passphrase itself; --raw-passphrase is its way to any bytes.
    request.numerical = false;
    const PassphraseText text = options_.rawPassphrase ? PassphraseText::Raw : PassphraseText::Utf8;
    for (;;) {
        PassphraseEntries entries;
        bool interactive = false;
        if (!ReadEntries(request, entries, interactive)) {
            return;
        }
        const std::optional<PassphraseProblem> problem = CheckPassphrases(request, entries, text);
        if (!problem) {
            const std::optional<PassphraseProblem> warning = RepeatedPartsWarning(request, entries);
            if (!warning || MessageBox(warning->caption, warning->text, MsgIcon::Exclamation, MsgButtons::YesNo) ==
                                MsgAnswer::Yes) {
                store_.Fill(entries.first, entries.second, true);
                return;
            }
        } else {
            ShowMessage(problem->caption, problem->text, MsgIcon::Exclamation);
        }
        // Like the dialog, the terminal asks again; input from a file or the
        // environment cannot change, so it is refused.
        if (!interactive) {
            passphraseRejected_ = problem.has_value();
            return;
        }
    }
}

bool TerminalHost::GetPassphrases(SecureBuffer& first, SecureBuffer& second) {
    return store_.GetPassphrases(first, second);
}

} // namespace vlt::cli
