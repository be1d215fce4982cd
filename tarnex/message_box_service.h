#pragma once

#include <QString>

class QWidget;

namespace tarnex {

enum class MessageIcon { Stop, Exclamation, Question, Information };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

struct MessageRequest {
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::Stop;
    MessageButtons buttons = MessageButtons::Ok;
};

// Every modal message box of the program goes through this one service, so that tests can read
// what would have been shown and answer it.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;

    // Shows the box modally over `parent` and returns the button the user pressed.
    [[nodiscard]] virtual MessageAnswer Ask(QWidget* parent, const MessageRequest& request) = 0;

    // A box with only OK, whose answer carries nothing.
    void Tell(QWidget* parent, const QString& caption, const QString& text, MessageIcon icon) {
        (void)Ask(parent, {caption, text, icon, MessageButtons::Ok});
    }
};

// The service on the desktop: a QMessageBox.
class QtMessageBoxService final : public MessageBoxService {
public:
    [[nodiscard]] MessageAnswer Ask(QWidget* parent, const MessageRequest& request) override;
};

} // namespace tarnex
