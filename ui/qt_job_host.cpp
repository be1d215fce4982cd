#include "ui/qt_job_host.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QToolButton>

#include "batch/browser_selection.h"
#include "batch/job_driver.h"
#include "ui/dest_dialog.h"
#include "ui/done_dialog.h"
#include "ui/file_list_view.h"
#include "ui/main_form.h"
#include "ui/message_box_service.h"
#include "ui/password_dialog.h"
#include "ui/status_bar_x.h"
#include "ui/terminal_output.h"
#include "ui_main_form.h"

namespace vlt::ui {

namespace {

// The seven buttons a run disables.
std::array<QToolButton*, 7> ToolButtons(Ui::TMainForm& form) {
    return {form.EncryptButton, form.DecryptButton, form.WipeButton, form.OptionsButton,
            form.ExitButton,    form.AboutButton,   form.HelpButton};
}

// A button's hint is kept in a property while the run turns hints off.
constexpr const char* kHintProperty = "hintDuringRun";

void HintsOff(QToolButton* button) {
    button->setProperty(kHintProperty, button->toolTip());
    button->setToolTip(QString());
}

void HintsOn(QToolButton* button) {
    const QVariant hint = button->property(kHintProperty);
    if (hint.isValid()) {
        button->setToolTip(hint.toString());
    }
}

} // namespace

std::unique_ptr<KeyboardLayer> MakeWindowKeyboard() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (std::unique_ptr<KeyboardLayer> x11 = MakeX11Keyboard()) {
            return x11;
        }
    }
    return MakeInProcessKeyboard();
}

QtJobHost::QtJobHost(TMainForm& form)
    : form_(form), keyboard_(MakeWindowKeyboard()),
      passwordDialog_(new TPasswordDialog(form.Settings(), *keyboard_, &form)),
      destDialog_(new TDestDialog(&form)), doneDialog_(new TDoneDialog(&form)) {
    passwordDialog_->setObjectName("PasswordDialog");
    destDialog_->setObjectName("DestDialog");
    doneDialog_->setObjectName("DoneDialog");
}

// The dialogs are the window's children, but the passphrase dialog needs the keyboard
// layer until it is gone.
QtJobHost::~QtJobHost() {
    delete passwordDialog_;
    delete destDialog_;
    delete doneDialog_;
}

MsgAnswer QtJobHost::MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                                MsgButtons buttons) {
    return MessageBoxes().MessageBox(caption, text, icon, buttons);
}

bool QtJobHost::JobProgress(ProgressKind, std::int32_t) {
    return form_.State().UserBreak;
}

// The run asks for a pump before every file and block; with small files that is far
// more often than a window needs. One every few milliseconds keeps the window and its
// Stop button responsive without making the run wait for the event loop.
void QtJobHost::ProcessMessages() {
    constexpr qint64 kPumpIntervalMs = 4;
    if (sinceLastPump_.isValid() && sinceLastPump_.elapsed() < kPumpIntervalMs) {
        return;
    }
    QCoreApplication::processEvents();
    sinceLastPump_.start();
}

std::int32_t QtJobHost::LogRows() const {
    return form_.Form().TerminalOutput->LogRows();
}

void QtJobHost::LogShow(bool shown) {
    Ui::TMainForm& ui = form_.Form();
    ui.FileView->setVisible(!shown);
    ui.IdleInfo->setVisible(!shown);
    if (shown) {
        ui.TerminalOutput->Start(form_.Settings());
    } else {
        ui.TerminalOutput->Stop();
    }
    ui.TerminalOutput->setVisible(shown);
}

void QtJobHost::LogPaint(MessageLog& log) {
    form_.Form().TerminalOutput->LogPaint(log);
}

void QtJobHost::ShowPassphraseDialog(bool EncryptMode) {
    passwordDialog_->EncryptMode = EncryptMode;
    passwordDialog_->exec();
}

bool QtJobHost::GetPassphrases(SecureBuffer& first, SecureBuffer& second) {
    return passwordDialog_->GetPassphrases(first, second);
}

std::string QtJobHost::AskDestination(const std::string& caption, const std::string& path) {
    destDialog_->setWindowTitle(QString::fromStdString(caption));
    destDialog_->SimpleRequest(false);
    destDialog_->SetDestination(QString::fromStdString(path));
    destDialog_->exec();
    return destDialog_->Destination().toStdString();
}

JobSelection QtJobHost::Selection() {
    return SelectionFromBrowser(form_.BrowserItems().Model(), form_.BrowserItems().BrowserPath());
}

QToolButton* QtJobHost::ModeButton(JobMode mode) const {
    Ui::TMainForm& ui = form_.Form();
    switch (mode) {
    case jmDecrypt:
    case jmVerify: // the window starts no checks; they would show as decryptions
        return ui.DecryptButton;
    case jmWipe:
        return ui.WipeButton;
    case jmEncrypt:
        break;
    }
    return ui.EncryptButton;
}

void QtJobHost::EnterJobView(JobMode mode) {
    Ui::TMainForm& ui = form_.Form();
    ui.StatusBar->hide();
    ui.StatusBarX->SetColour(form_.State().ProgressColour);
    ui.StatusBarX->show();
    for (QToolButton* button : ToolButtons(ui)) {
        button->setEnabled(false);
        HintsOff(button);
    }
    QToolButton* stop = ModeButton(mode);
    modeCaption_ = stop->text();
    stop->setText(QObject::tr("&Stop..."));
    stop->setEnabled(true);
    form_.setCursor(Qt::WaitCursor);
}

void QtJobHost::DrawProgress(std::int64_t position, std::int64_t total, int percent) {
    form_.Form().StatusBarX->SetProgress(position, total, percent);
}

void QtJobHost::SetTitle(const std::string& title) {
    form_.setWindowTitle(QString::fromStdString(title));
}

void QtJobHost::LeaveJobView(JobMode mode) {
    form_.unsetCursor();
    ModeButton(mode)->setText(modeCaption_);
}

void QtJobHost::ShowDoneDialog(const DoneSummary& summary, MessageLog& log) {
    doneDialog_->SetSummary(summary.mode, summary.tried, summary.success, summary.errors, &log);
    doneDialog_->show();
    while (doneDialog_->Shown()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void QtJobHost::ReturnToIdle(bool refillBrowser) {
    Ui::TMainForm& ui = form_.Form();
    for (QToolButton* button : ToolButtons(ui)) {
        HintsOn(button);
        button->setEnabled(true);
    }
    ui.StatusBarX->hide();
    ui.StatusBar->show();
    // Nothing is selected any more.
    for (QToolButton* button : {ui.EncryptButton, ui.DecryptButton, ui.WipeButton}) {
        button->setEnabled(false);
    }
    if (refillBrowser) {
        form_.RefreshListing();
    }
}

} // namespace vlt::ui
