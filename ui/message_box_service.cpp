#include "ui/message_box_service.h"

#include <QApplication>
#include <QMessageBox>

namespace vlt::ui {
namespace {

QMessageBox::Icon ToQtIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok:
        return QMessageBox::Ok;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MsgAnswer FromQtButton(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    default:
        return MsgAnswer::Ok;
    }
}

MessageBoxHost* installed = nullptr;

} // namespace

MsgAnswer QtMessageBoxes::MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                                     MsgButtons buttons) {
    QMessageBox box(ToQtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    ToQtButtons(buttons), QApplication::activeWindow());
    // Escape and the close button give the most cautious answer.
    if (buttons == MsgButtons::YesNoCancel) {
        box.setEscapeButton(QMessageBox::Cancel);
    } else if (buttons == MsgButtons::YesNo) {
        box.setEscapeButton(QMessageBox::No);
    }
    return FromQtButton(box.exec());
}

MessageBoxHost& MessageBoxes() {
    static QtMessageBoxes desktop;
    return installed != nullptr ? *installed : desktop;
}

void SetMessageBoxes(MessageBoxHost* service) { installed = service; }

} // namespace vlt::ui
