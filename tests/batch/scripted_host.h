#pragma once
// A job host whose answers are scripted and which records what the run showed.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "batch/job_host.h"
#include "settings/settings_file.h"

namespace vlt::testing {

class ScriptedHost : public JobHost {
public:
    // Answers to questions in order; Yes once they run out.
    std::deque<MsgAnswer> answers;
    // "caption|text" of every message box.
    std::vector<std::string> messages;
    bool acceptPassphrase = true;
    std::string passphrase = "secret";
    std::string passphrase2 = "second";
    std::string destination;
    std::vector<std::string> destinationRequests; // "caption|preset"
    JobSelection selection;
    std::int32_t rows = 10;
    // What the done dialog showed; the log's finished lines at that moment.
    bool doneShown = false;
    DoneSummary done;
    std::vector<std::string> log;
    std::string saveLogTo; // saves the log from the done dialog when set
    std::vector<int> percents;
    std::vector<std::string> titles;
    bool refilled = false;
    std::function<void()> onProcessMessages;

    MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon, MsgButtons) override {
        messages.push_back(caption + "|" + text);
        if (answers.empty()) {
            return MsgAnswer::Yes;
        }
        const MsgAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool JobProgress(ProgressKind, std::int32_t) override { return false; }
    void ProcessMessages() override {
        if (onProcessMessages) {
            onProcessMessages();
        }
    }
    std::int32_t LogRows() const override { return rows; }
    void LogShow(bool) override {}
    void LogPaint(MessageLog&) override {}
    void ShowPassphraseDialog(bool) override {}
    bool GetPassphrases(SecureBuffer& first, SecureBuffer& second) override {
        if (!acceptPassphrase) {
            return false;
        }
        first = Bytes(passphrase);
        second = Bytes(passphrase2);
        return true;
    }
    std::string AskDestination(const std::string& caption, const std::string& path) override {
        destinationRequests.push_back(caption + "|" + path);
        return destination;
    }
    JobSelection Selection() override { return selection; }
    void EnterJobView(JobMode) override {}
    void DrawProgress(std::int64_t, std::int64_t, int percent) override { percents.push_back(percent); }
    void SetTitle(const std::string& title) override { titles.push_back(title); }
    void LeaveJobView(JobMode) override {}
    void ShowDoneDialog(const DoneSummary& summary, MessageLog& messageLog) override {
        doneShown = true;
        done = summary;
        log = messageLog.FinishedLines();
        if (!saveLogTo.empty()) {
            (void)messageLog.SaveMessages(saveLogTo);
        }
    }
    void ReturnToIdle(bool refillBrowser) override { refilled = refillBrowser; }

private:
    static SecureBuffer Bytes(const std::string& text) {
        SecureBuffer buffer(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            buffer[i] = static_cast<std::uint8_t>(text[i]);
        }
        return buffer;
    }
};

// Defaults for a run with the real one-file operations that asks nothing: no
// destination dialog, no confirmations, one wipe cycle, no files left out.
inline SettingsRecord UnattendedRunSettings() {
    SettingsRecord settings{};
    DefaultSettings(settings, 1024, 768);
    settings.ExtDestDialogSwitch = 0;
    settings.ConfirmSwitch = 0;
    settings.WipeConfSwitch = 0;
    settings.NumOfDODBox = 1;
    settings.ExcludeMask = 0;
    return settings;
}

} // namespace vlt::testing
