#include "cli/terminal_messages.h"

#include <iostream>

#include "cli/terminal_io.h"

namespace vlt::cli {

namespace {

// The one question a file operation asks: "<name> already exists. Overwrite?".
bool IsOverwriteQuestion(const std::string& text) {
    static const std::string kEnding = " already exists. Overwrite?";
    return text.size() >= kEnding.size() && text.compare(text.size() - kEnding.size(), kEnding.size(), kEnding) == 0;
}

} // namespace

MsgAnswer TerminalMessageBoxes::MessageBox(const std::string& caption, const std::string& text, MsgIcon,
                                           MsgButtons buttons) {
    if (beforeShowing_) {
        beforeShowing_();
    }
    if (buttons == MsgButtons::Ok) {
        std::cerr << MessageText(caption, text) << std::endl;
        return MsgAnswer::Ok;
    }
    const bool overwrite = IsOverwriteQuestion(text);
    if (overwrite ? overwrite_ : yes_) {
        return MsgAnswer::Yes;
    }
    if (!StdinIsTerminal()) {
        const bool cancel = buttons == MsgButtons::YesNoCancel && !overwrite;
        std::cerr << MessageText(caption, text) << (cancel ? " Cancel" : " No") << " (no terminal; "
                  << (overwrite ? "--overwrite" : "--yes") << " answers Yes)" << std::endl;
        return cancel ? MsgAnswer::Cancel : MsgAnswer::No;
    }
    return AskOnTerminal(MessageText(caption, text), buttons);
}

} // namespace vlt::cli
