#pragma once
// The job driver's host in the main window: the run's dialogs (created once and
// reused), the message log view in the browser's place, the progress bar in the status
// bar's place, the buttons and the cursor of a running batch, and the message pump.
#include <QElapsedTimer>
#include <QString>

#include <memory>

#include "batch/job_host.h"
#include "platform/keyboard_state.h"

class QToolButton;

namespace vlt::ui {

class TDestDialog;
class TDoneDialog;
class TMainForm;
class TPasswordDialog;

class QtJobHost final : public JobHost {
public:
    explicit QtJobHost(TMainForm& form);
    ~QtJobHost() override;

    [[nodiscard]] TPasswordDialog& PasswordDialog() { return *passwordDialog_; }
    [[nodiscard]] TDestDialog& DestDialog() { return *destDialog_; }
    [[nodiscard]] TDoneDialog& DoneDialog() { return *doneDialog_; }

    // MessageBoxHost / FileOperationHost
    MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                         MsgButtons buttons) override;
    bool JobProgress(ProgressKind kind, std::int32_t amount) override;
    void ProcessMessages() override;

    // LogView
    std::int32_t LogRows() const override;
    void LogShow(bool shown) override;
    void LogPaint(MessageLog& log) override;

    // JobHost
    void ShowPassphraseDialog(bool EncryptMode) override;
    bool GetPassphrases(SecureBuffer& first, SecureBuffer& second) override;
    std::string AskDestination(const std::string& caption, const std::string& path) override;
    JobSelection Selection() override;
    void EnterJobView(JobMode mode) override;
    void DrawProgress(std::int64_t position, std::int64_t total, int percent) override;
    void SetTitle(const std::string& title) override;
    void LeaveJobView(JobMode mode) override;
    void ShowDoneDialog(const DoneSummary& summary, MessageLog& log) override;
    void ReturnToIdle(bool refillBrowser) override;

private:
    [[nodiscard]] QToolButton* ModeButton(JobMode mode) const;

    TMainForm& form_;
    std::unique_ptr<KeyboardLayer> keyboard_;
    TPasswordDialog* passwordDialog_;
    TDestDialog* destDialog_;
    TDoneDialog* doneDialog_;
    QString modeCaption_;
    QElapsedTimer sinceLastPump_;
};

// The keyboard the TEMPEST noise goes to: the X11 display when the window runs on
// one (and XTest is there), else an in-process state.
[[nodiscard]] std::unique_ptr<KeyboardLayer> MakeWindowKeyboard();

} // namespace vlt::ui
