#include "cli/terminal_host.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "batch/format_thousands.h"
#include "batch/shown_name.h"
#include "platform/attributes.h"

namespace vlt::cli {

namespace {

// The one question a file operation asks: "<name> already exists. Overwrite?".
bool IsOverwriteQuestion(const std::string& text) {
    static const std::string kEnding = " already exists. Overwrite?";
    return text.size() >= kEnding.size() && text.compare(text.size() - kEnding.size(), kEnding.size(), kEnding) == 0;
}

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

SecureBuffer ToBuffer(const std::string& text) {
    SecureBuffer buffer(text.size());
    if (!text.empty()) {
        std::memcpy(buffer.Data(), text.data(), text.size());
    }
    return buffer;
}

} // namespace

TerminalHost::TerminalHost(const CliOptions& options, const SettingsRecord& settings, JobSelection selection)
    : options_(options), settings_(settings), selection_(std::move(selection)),
      progress_(!options.quiet && StderrIsTerminal()) {}

MsgAnswer TerminalHost::MessageBox(const std::string& caption, const std::string& text, MsgIcon, MsgButtons buttons) {
    progress_.Clear();
    if (buttons == MsgButtons::Ok) {
        std::cerr << MessageText(caption, text) << std::endl;
        return MsgAnswer::Ok;
    }
    // --yes answers the run's confirmations, --overwrite the overwrite questions;
    // without a terminal an overwrite is declined and anything else cancelled.
    const bool overwrite = IsOverwriteQuestion(text);
    if (overwrite ? options_.overwrite : options_.yes) {
        return MsgAnswer::Yes;
    }
    if (!StdinIsTerminal()) {
        const bool cancel = buttons == MsgButtons::YesNoCancel && !overwrite;
        std::cerr << MessageText(caption, text) << (cancel ? " Cancel" : " No") << " (no terminal; "
                  << (overwrite ? "--overwrite" : "--yes") << " answers Yes)" << std::endl;
        return cancel ? MsgAnswer::Cancel : MsgAnswer::No;
    }
    return AskOnTerminal(MessageText(caption, text), buttons);
}

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
    std::cerr << MessageText("Saving failed", SaveFailureText(saved, *options_.logFile)) << std::endl;
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

bool TerminalHost::ReadEntries(const PassphraseRequest& request, Passphrases& entries, bool& interactive) {
    interactive = false;
    if (!ReadPair(options_.passphraseFile, "--passphrase-file", "VLT95_PASSPHRASE", EntryLabel(request, false),
                  request.encrypt, entries.first, entries.firstConfirmation, interactive)) {
        return false;
    }
    return !request.mixed || ReadPair(options_.passphrase2File, "--passphrase2-file", "VLT95_PASSPHRASE2",
                                      EntryLabel(request, true), request.encrypt, entries.second,
                                      entries.secondConfirmation, interactive);
}

void TerminalHost::ShowPassphraseDialog(bool EncryptMode) {
    accepted_ = false;
    PassphraseRequest request;
    request.encrypt = EncryptMode;
    request.mixed = settings_.MixedEncryptionSwitch != 0;
    request.vlt7 = settings_.VLT7CompSwitch != 0;
    request.firstAlgorithm = settings_.Algo1Box;
    request.secondAlgorithm = request.mixed ? settings_.Algo2Box : 0;
    for (;;) {
        Passphrases entries;
        bool interactive = false;
        if (!ReadEntries(request, entries, interactive)) {
            return;
        }
        std::optional<InputMessage> problem = CheckPassphrases(request, entries);
        if (!problem) {
            const std::optional<InputMessage> warning = RepeatedPartsWarning(request, entries);
            if (!warning || MessageBox(warning->caption, warning->text, MsgIcon::Exclamation, MsgButtons::YesNo) ==
                                MsgAnswer::Yes) {
                Store(entries);
                return;
            }
        } else {
            (void)MessageBox(problem->caption, problem->text, MsgIcon::Exclamation, MsgButtons::Ok);
        }
        // Like the dialog, the terminal asks again; input from a file or the
        // environment cannot change, so it is refused.
        if (!interactive) {
            passphraseRejected_ = problem.has_value();
            return;
        }
    }
}

void TerminalHost::Store(const Passphrases& entries) {
    first_ = ToBuffer(entries.first);
    second_ = ToBuffer(entries.second);
    accepted_ = true;
}

bool TerminalHost::GetPassphrases(SecureBuffer& first, SecureBuffer& second) {
    if (!accepted_) {
        return false;
    }
    first = std::move(first_);
    second = std::move(second_);
    accepted_ = false;
    return true;
}

} // namespace vlt::cli
