#include "ui/dest_dialog.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/centre_on_screen.h"
#include "ui/dir_browser.h"
#include "ui/message_box_service.h"

namespace vlt::ui {

namespace {

constexpr int kDesignedWidth = 306;
constexpr int kDesignedHeight = 111;
constexpr int kSimpleGap = 8;

} // namespace

TDestDialog::TDestDialog(QWidget* parent) : QDialog(parent), DirBrowser(new TDirBrowser(this)) {
    setWindowTitle(tr("Destination"));
    setProperty("helpContext", 350);
    Info = new QLabel(tr("&Enter Destination Path:"), this);
    Info->setObjectName("Info");
    InputBox = new QLineEdit(this);
    InputBox->setObjectName("InputBox");
    Info->setBuddy(InputBox);
    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        return b;
    };
    OKButton = button("OKButton", tr("&Accept"));
    CancelButton = button("CancelButton", tr("&Let the files where they are"));
    BrowseButton = button("BrowseButton", tr("&Browse..."));
    for (QWidget* w : std::initializer_list<QWidget*>{this, Info, InputBox, OKButton, CancelButton, BrowseButton}) {
        w->setProperty("helpContext", 350);
    }
    // The buttons are placed by hand: SimpleRequest moves them about.
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Info);
    layout->addWidget(InputBox);
    layout->addStretch(1);
    const int row = OKButton->sizeHint().height();
    layout->addSpacing(row);
    const int width = std::max(kDesignedWidth, OKButton->sizeHint().width() + CancelButton->sizeHint().width() +
                                                   BrowseButton->sizeHint().width() + 4 * kSimpleGap);
    setFixedSize(width, std::max(kDesignedHeight, layout->sizeHint().height()));
    const int top = height() - row - kSimpleGap - 3;
    const QSize browse = BrowseButton->sizeHint();
    BrowseButton->setGeometry(width - kSimpleGap - browse.width(), top, browse.width(), row);
    OKButton->setGeometry(kSimpleGap, top, OKButton->sizeHint().width(), row);
    CancelButton->setGeometry(OKButton->geometry().right() + 1 + kSimpleGap, top, CancelButton->sizeHint().width(),
                              row);
    okDesigned_ = OKButton->geometry();
    cancelDesigned_ = CancelButton->geometry();

    connect(OKButton, &QPushButton::clicked, this, &TDestDialog::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TDestDialog::CancelButtonClick);
    connect(BrowseButton, &QPushButton::clicked, this, &TDestDialog::BrowseButtonClick);
    CentreOnScreen(*this);
}

void TDestDialog::SimpleRequest(bool on) {
    OKButton->setText(on ? tr("&OK") : tr("&Accept"));
    CancelButton->setText(on ? tr("&Cancel") : tr("&Let the files where they are"));
    if (!on) {
        OKButton->setGeometry(okDesigned_);
        CancelButton->setGeometry(cancelDesigned_);
        return;
    }
    const QRect browse = BrowseButton->geometry();
    CancelButton->setGeometry(browse.left() - browse.width() - kSimpleGap, browse.top(), browse.width(),
                              browse.height());
    OKButton->setGeometry(CancelButton->x() - browse.width() - kSimpleGap, browse.top(), browse.width(),
                          browse.height());
}

void TDestDialog::showEvent(QShowEvent* event) {
    InputBox->setFocus();
    OKButton->setDefault(true);
    InputBox->setText(destination_);
    QDialog::showEvent(event);
}

void TDestDialog::OKButtonClick() {
    const QString text = InputBox->text();
    if (!text.isEmpty() && QFileInfo(text).isDir()) {
        destination_ = text;
        closePermission_ = true;
        accept();
        return;
    }
    closePermission_ = false;
    MessageBoxes().ShowMessage("Input Error", "\"" + text.toStdString() + "\" is not a valid directory!",
                               MsgIcon::Error);
}

void TDestDialog::CancelButtonClick() {
    destination_.clear();
    closePermission_ = true;
    QDialog::reject();
}

void TDestDialog::reject() {
    CancelButtonClick();
}

void TDestDialog::BrowseButtonClick() {
    DirBrowser->SetDirectory(InputBox->text());
    DirBrowser->exec();
    if (!DirBrowser->Directory().trimmed().isEmpty()) {
        InputBox->setText(DirBrowser->Directory());
    }
}

void TDestDialog::closeEvent(QCloseEvent* event) {
    if (!closePermission_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace vlt::ui
