#pragma once
// The terminal's one message box: every caption and text of vlt95-cli (the job
// driver's questions, the one-file operations', free-space clearing's and the CLI's
// own) is printed and answered here.
#include <functional>

#include "container/message_box_host.h"

namespace vlt::cli {

class TerminalMessageBoxes final : public MessageBoxHost {
public:
    // `yes` answers Yes to every question; `beforeShowing` clears a progress line.
    explicit TerminalMessageBoxes(bool yes, std::function<void()> beforeShowing = {})
        : yes_(yes), beforeShowing_(std::move(beforeShowing)) {}

    // OK boxes go to stderr. Questions are asked on the terminal; without one they are
    // answered Cancel (No for Yes/No) and the answer is printed.
    [[nodiscard]] MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                                       MsgButtons buttons) override;

private:
    bool yes_;
    std::function<void()> beforeShowing_;
};

} // namespace vlt::cli
