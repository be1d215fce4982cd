#pragma once
// The program's help: our own pages (docs/help/, built in as a resource) shown in one
// help window. Every window reaches it through these functions; controls carry their
// help context number as the dynamic property "helpContext".
class QWidget;

namespace vlt::ui {

// Opens the help window at the section of `context` (a help context number such as
// 100 or 401); a number without a section opens the contents.
void ShowHelpContext(QWidget* parent, int context);
// Opens the help window at its contents.
void ShowHelpContents(QWidget* parent);
// The program quits: the help window goes with it.
void CloseHelp();

// The help context of `widget`: its "helpContext" property, else that of the nearest
// parent that has one; 0 when none has.
[[nodiscard]] int HelpContextOf(const QWidget* widget);
// F1 anywhere in `window` opens the help context of the control that has the focus
// (the window's own context when no control has one).
void InstallHelpKey(QWidget* window);

} // namespace vlt::ui
