#pragma once
// Dialogs centre themselves on the screen (the passphrase dialog at every showing).
class QWidget;

namespace vlt::ui {

void CentreOnScreen(QWidget& window);

} // namespace vlt::ui
