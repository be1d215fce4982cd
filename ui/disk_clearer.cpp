#include "ui/disk_clearer.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include "ui/centre_on_screen.h"
#include "ui/message_box_service.h"
#include "ui_disk_clearer.h"

namespace vlt::ui {

TDiskClearer::TDiskClearer(QWidget* mainWindow, FillFile fillFile)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::TDiskClearer>()), mainWindow_(mainWindow), clearer_(fillFile) {
    ui_->setupUi(this);
    setFixedSize(sizeHint());
    // A window of its own (not a child of the main window), so that disabling the main
    // window leaves this one usable; centred on the screen once, as created.
    CentreOnScreen(*this);
    connect(ui_->StopButton, &QPushButton::clicked, this, &TDiskClearer::StopButtonClick);
}

TDiskClearer::~TDiskClearer() = default;

void TDiskClearer::ClearFreeSpace(const std::string& directory) {
    if (isVisible()) {
        return; // one clearing at a time; the main window is disabled meanwhile anyway
    }
    (void)clearer_.ClearFreeSpace(directory, *this);
}

void TDiskClearer::FormShow() {
    if (mainWindow_ != nullptr) {
        mainWindow_->setEnabled(false);
    }
}

void TDiskClearer::StopButtonClick() {
    clearer_.StopButtonClick();
    close();
}

void TDiskClearer::reject() { StopButtonClick(); }

// The window frame's close button too: refused while the filling runs.
void TDiskClearer::closeEvent(QCloseEvent* event) {
    if (!clearer_.FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TDiskClearer::FormClose() {
    clearer_.FormClose();
    if (mainWindow_ != nullptr) {
        mainWindow_->setEnabled(true);
    }
}

MsgAnswer TDiskClearer::MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                                   MsgButtons buttons) {
    return MessageBoxes().MessageBox(caption, text, icon, buttons);
}

void TDiskClearer::ShowClearer(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
    FormShow();
    show();
    raise();
    activateWindow();
}

void TDiskClearer::SetCaption(const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); }

void TDiskClearer::SetInfo(const std::string& text) {
    ui_->Info->setText(QString::fromStdString(text));
    ui_->Info->repaint();
}

void TDiskClearer::ProcessMessages() { QCoreApplication::processEvents(); }

} // namespace vlt::ui
