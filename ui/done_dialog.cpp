#include "ui/done_dialog.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "batch/format_thousands.h"
#include "batch/message_log.h"
#include "ui/file_dialog_service.h"
#include "ui/centre_on_screen.h"
#include "ui/message_box_service.h"

namespace vlt::ui {

namespace {

constexpr int kDesignedWidth = 216;
constexpr int kDesignedHeight = 103;

} // namespace

TDoneDialog::TDoneDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Done"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    const auto label = [this](const char* name, const QString& caption) {
        auto* l = new QLabel(caption, this);
        l->setObjectName(name);
        return l;
    };
    Info1 = label("Info1", tr("Files tried:"));
    Info2 = label("Info2", QString());
    Info3 = label("Info3", tr("Errors:"));
    InfoTried = label("InfoTried", "0");
    InfoSuccess = label("InfoSuccess", "0");
    InfoErrors = label("InfoErrors", "0");
    for (QLabel* count : {InfoTried, InfoSuccess, InfoErrors}) {
        count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    auto* frame = new QFrame(this);
    frame->setObjectName("Frame");
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    auto* counts = new QGridLayout(frame);
    counts->addWidget(Info1, 0, 0);
    counts->addWidget(InfoTried, 0, 1);
    counts->addWidget(Info2, 1, 0);
    counts->addWidget(InfoSuccess, 1, 1);
    counts->addWidget(Info3, 2, 0);
    counts->addWidget(InfoErrors, 2, 1);
    counts->setColumnStretch(1, 1);

    OKButton = new QPushButton(tr("&OK"), this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    SaveMessButton = new QPushButton(tr("&Save messages"), this);
    SaveMessButton->setObjectName("SaveMessButton");
    SaveMessButton->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(OKButton);
    buttons->addWidget(SaveMessButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    connect(OKButton, &QPushButton::clicked, this, &TDoneDialog::OKButtonClick);
    connect(SaveMessButton, &QPushButton::clicked, this, &TDoneDialog::SaveMessButtonClick);
    Info2->setText(tr("Files encrypted successfully:"));
    resize(std::max(kDesignedWidth, layout->sizeHint().width()), std::max(kDesignedHeight, layout->sizeHint().height()));
    CentreOnScreen(*this);
}

void TDoneDialog::SetSummary(JobMode mode, std::int64_t tried, std::int64_t success, std::int64_t errors,
                             MessageLog* log) {
    Info2->setText(QString::fromStdString(SuccessCaption(mode)));
    InfoTried->setText(QString::fromStdString(FormatThousands(tried)));
    InfoSuccess->setText(QString::fromStdString(FormatThousands(success)));
    InfoErrors->setText(QString::fromStdString(FormatThousands(errors)));
    log_ = log;
}

void TDoneDialog::showEvent(QShowEvent* event) {
    closeAllowed_ = false;
    shown_ = true;
    QDialog::showEvent(event);
}

void TDoneDialog::closeEvent(QCloseEvent* event) {
    // The frame's close box and the system menu cannot close it; only OK can.
    event->ignore();
}

void TDoneDialog::reject() {
    // Escape presses OK.
    OKButtonClick();
}

void TDoneDialog::OKButtonClick() {
    closeAllowed_ = true;
    done(Accepted);
}

void TDoneDialog::done(int result) {
    if (!closeAllowed_) {
        return;
    }
    QDialog::done(result);
    shown_ = false;
    log_ = nullptr;
}

void TDoneDialog::SaveMessButtonClick() {
    if (log_ == nullptr) {
        return;
    }
    const QString name = FileDialogs().GetSaveFileName(
        this, tr("Save messages"), {tr("Text files (*.txt)"), tr("All files (*.*)")});
    if (name.isEmpty()) {
        return;
    }
    const std::string file = name.toStdString();
    const LogSaveResult saved = log_->SaveMessages(file);
    if (saved != LogSaveResult::Saved) {
        MessageBoxes().ShowMessage("Saving failed", SaveFailureText(saved, file), MsgIcon::Exclamation);
    }
}

} // namespace vlt::ui
