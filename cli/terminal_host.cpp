#include "cli/terminal_host.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "batch/format_thousands.h"
#include "batch/shown_name.h"
#include "cli/passphrase_file.h"
#include "platform/attributes.h"

namespace vlt::cli {

namespace {

// "hidden: --include-hidden, read-only: --include-read-only": which option brings
// back the files the exclusion mask left out.
std::string InclusionHint(std::uint32_t attributes) {
    const std::pair<std::uint32_t, const char*> hints[] = {
        {faHidden, "hidden: --include-hidden"},
        {faReadOnly, "read-only: --include-read-only"},
        {faSystem | faArchive, "system, archive: --exclude-mask none"},
    };
    std::string text;
    for (const auto& [bits, hint] : hints) {
        if ((attributes & bits) != 0) {
            text += (text.empty() ? "" : ", ") + std::string(hint);
        }
    }
    return text;
}

} // namespace

TerminalHost::TerminalHost(const CliOptions& options, const SettingsRecord& settings, JobSelection selection)
    : options_(options), settings_(settings), selection_(std::move(selection)),
      progress_(!options.quiet && StderrIsTerminal()),
      messages_(options.yes, options.overwrite, [this] { progress_.Clear(); }) {}

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

// --quiet leaves out the log but not its errors; the platform's reason for an I/O
// error goes to stderr either way.
void TerminalHost::ErrorLogged(const std::string& line, const std::string& systemReason) {
    progress_.Clear();
    if (options_.quiet) {
        std::cout << line << std::endl;
    }
    if (!systemReason.empty()) {
        std::cerr << "vlt95-cli: " << systemReason << std::endl;
    }
}

void TerminalHost::DrawProgress(std::int64_t, std::int64_t, int percent) {
    progress_.Draw(percent);
}

void TerminalHost::ShowDoneDialog(const DoneSummary& summary, MessageLog& log) {
    progress_.Clear();
    std::cout << "Files tried: " << FormatThousands(summary.tried) << '\n'
              << SuccessCaption(summary.mode) << ' ' << FormatThousands(summary.success) << '\n'
              << "Errors: " << FormatThousands(summary.errors) << std::endl;
    if (summary.leftOut > 0) {
        std::cout << "Files left out by the exclusion mask: " << FormatThousands(summary.leftOut) << " ("
                  << InclusionHint(summary.leftOutAttributes) << ")" << std::endl;
    }
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

std::optional<std::string> TerminalHost::Source(const std::optional<std::string>& file, const char* option,
                                                const char* variable, const std::string& prompt, bool& fromTerminal) {
    fromTerminal = false;
    if (file) {
        std::optional<std::string> text = ReadPassphraseFile(*file);
        if (!text) {
            std::cerr << "vlt95-cli: cannot read passphrase file " << ShownName(*file) << ": " << std::strerror(errno)
                      << std::endl;
            passphraseRejected_ = true;
        }
        return text;
    }
    if (const char* value = std::getenv(variable)) {
        return std::string(value);
    }
    if (!StdinIsTerminal()) {
        std::cerr << "vlt95-cli: no passphrase: use " << option << " or " << variable << std::endl;
        passphraseRejected_ = true;
        return std::nullopt;
    }
    fromTerminal = true;
    return ReadHiddenLine(prompt + " ");
}

bool TerminalHost::ReadPair(const std::optional<std::string>& file, const char* option, const char* variable,
                            const std::string& label, bool confirm, std::string& passphrase, std::string& confirmation,
                            bool& interactive) {
    bool fromTerminal = false;
    std::optional<std::string> text = Source(file, option, variable, label, fromTerminal);
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
    if (!ReadPair(options_.passphraseFile, "--passphrase-file", "VLT95_PASSPHRASE",
                  WithoutMnemonic(EntryLabel(request, false)), request.encrypt, entries.first,
                  entries.firstConfirmation, interactive)) {
        return false;
    }
    return !request.mixed || ReadPair(options_.passphrase2File, "--passphrase2-file", "VLT95_PASSPHRASE2",
                                      WithoutMnemonic(EntryLabel(request, true)), request.encrypt, entries.second,
                                      entries.secondConfirmation, interactive);
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
