#pragma once
// The terminal's one message box: every caption and text of vlt95-cli (the job
// driver's questions, the one-file operations', free-space clearing's and the CLI's
// own) is printed and answered here.
#include <functional>

#include "container/message_box_host.h"

namespace vlt::cli {

class TerminalMessageBoxes final : public MessageBoxHost {
public:
    // `yes` answers Yes to the confirmations, `overwrite` to the questions whether an
    // existing file may be replaced; `beforeShowing` clears a progress line.
    TerminalMessageBoxes(bool yes, bool overwrite, std::function<void()> beforeShowing = {})
        : yes_(yes), overwrite_(overwrite), beforeShowing_(std::move(beforeShowing)) {}

    // OK boxes go to stderr. Questions are asked on the terminal; without one an
    // overwrite is declined, anything else cancelled (No for Yes/No), and the answer
    // is printed.
    [[nodiscard]] MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                                       MsgButtons buttons) override;

private:
    bool yes_;
    bool overwrite_;
    std::function<void()> beforeShowing_;
};

} // namespace vlt::cli
