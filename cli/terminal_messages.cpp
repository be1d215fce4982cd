#include "cli/terminal_messages.h"

#include <iostream>

#include "cli/terminal_io.h"

namespace vlt::cli {

MsgAnswer TerminalMessageBoxes::MessageBox(const std::string& caption, const std::string& text, MsgIcon,
                                           MsgButtons buttons) {
    if (beforeShowing_) {
        beforeShowing_();
    }
    if (buttons == MsgButtons::Ok) {
        std::cerr << MessageText(caption, text) << std::endl;
        return MsgAnswer::Ok;
    }
    if (yes_) {
        return MsgAnswer::Yes;
    }
    if (!StdinIsTerminal()) {
        const bool cancel = buttons == MsgButtons::YesNoCancel;
        std::cerr << MessageText(caption, text) << (cancel ? " Cancel" : " No") << " (no terminal; --yes answers Yes)"
                  << std::endl;
        return cancel ? MsgAnswer::Cancel : MsgAnswer::No;
    }
    return AskOnTerminal(MessageText(caption, text), buttons);
}

} // namespace vlt::cli
