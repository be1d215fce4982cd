#include "tarnex/message_box_service.h"

#include <QMessageBox>

namespace tarnex {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MessageAnswer FromQtButton(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        return MessageAnswer::Ok;
    }
}

} // namespace

MessageAnswer QtMessageBoxService::Ask(QWidget* parent, const MessageRequest& request) {
    QMessageBox box(ToQtIcon(request.icon), request.caption, request.text, ToQtButtons(request.buttons), parent);
    // Escape and the close button count as the most cautious answer.
    if (request.buttons == MessageButtons::YesNoCancel) {
        box.setEscapeButton(QMessageBox::Cancel);
    } else if (request.buttons == MessageButtons::YesNo) {
        box.setEscapeButton(QMessageBox::No);
    }
    return FromQtButton(box.exec());
}

} // namespace tarnex
