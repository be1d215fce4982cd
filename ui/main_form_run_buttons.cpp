// The three action buttons while the window cannot run batches yet: they start
// nothing. The batch runner's source file takes their place.
#include "ui/main_form.h"

namespace vlt::ui {

void TMainForm::EncryptClick() {}
void TMainForm::DecryptClick() {}
void TMainForm::WipeClick() {}

} // namespace vlt::ui
