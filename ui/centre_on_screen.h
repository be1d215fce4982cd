#pragma once
// Dialogs centre themselves on the screen: left = (screen width - width) / 2,
// top = (screen height - height) / 2.
class QWidget;

namespace vlt::ui {

void CentreOnScreen(QWidget& window);

} // namespace vlt::ui
