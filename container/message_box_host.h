#pragma once
// The one modal message box of the system. The one-file operations, the job driver,
// free-space clearing and the windows all ask through it; the Qt windows show a
// QMessageBox, the terminal front end prints and reads, tests answer from a script.
#include <string>

namespace vlt {

enum class MsgIcon { Error, Exclamation, Question, Information };
enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Yes, No, Cancel };

class MessageBoxHost {
public:
    virtual ~MessageBoxHost() = default;

    // Shows the box modally and returns the button pressed.
    [[nodiscard]] virtual MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                                               MsgButtons buttons) = 0;

    // A box with only OK, whose answer carries nothing.
    void ShowMessage(const std::string& caption, const std::string& text, MsgIcon icon) {
        (void)MessageBox(caption, text, icon, MsgButtons::Ok);
    }
};

} // namespace vlt
