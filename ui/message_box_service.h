#pragma once
// Every message box of the windows goes through the one installed service: a QMessageBox
// on the desktop, a script in tests. It is also the core's MessageBoxHost, so the job
// driver, the one-file operations and free-space clearing ask the same way.
#include "container/message_box_host.h"

namespace vlt::ui {

class QtMessageBoxes final : public MessageBoxHost {
public:
    [[nodiscard]] MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                                       MsgButtons buttons) override;
};

// The installed service (a QtMessageBoxes until a test installs its own).
[[nodiscard]] MessageBoxHost& MessageBoxes();
// Installs `service` for the whole program, or the QMessageBox one again for nullptr.
void SetMessageBoxes(MessageBoxHost* service);

} // namespace vlt::ui
