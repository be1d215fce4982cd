// The Options button while the window has no options dialog yet: it opens nothing.
// The options and file commands' source file takes its place.
#include "ui/main_form.h"

namespace vlt::ui {

void TMainForm::OptionsClick() {}

} // namespace vlt::ui
