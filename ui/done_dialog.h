#pragma once
// The summary at the end of every run: files tried, handled successfully and errors,
// and "&Save messages" for the run's message log. It stays on top and closes only by
// its OK button (Enter and Escape press it).
#include <QDialog>

#include "batch/job_mode.h"

class QLabel;
class QPushButton;

namespace vlt {
class MessageLog;
}

namespace vlt::ui {

class TDoneDialog : public QDialog {
    Q_OBJECT

public:
    explicit TDoneDialog(QWidget* parent = nullptr);

    // The counts of the run and the log that "&Save messages" writes.
    void SetSummary(JobMode mode, std::int64_t tried, std::int64_t success, std::int64_t errors, MessageLog* log);
    // True from showing until the dialog has closed; the job driver waits on it.
    [[nodiscard]] bool Shown() const { return shown_; }

    void reject() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void OKButtonClick();
    void SaveMessButtonClick();

private:
    MessageLog* log_ = nullptr;
    bool closeAllowed_ = true;
    bool shown_ = false;

    QLabel* Info1;
    QLabel* Info2;
    QLabel* Info3;
    QLabel* InfoTried;
    QLabel* InfoSuccess;
    QLabel* InfoErrors;
    QPushButton* OKButton;
    QPushButton* SaveMessButton;
};

} // namespace vlt::ui
