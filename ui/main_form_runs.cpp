// The three batch buttons: each starts its run, or, while a run is active, is that
// run's Stop button.
#include "batch/job_driver.h"
#include "ui/main_form.h"
#include "ui/qt_job_host.h"

namespace vlt::ui {

void TMainForm::CreateRunWindows() {
    jobHost_ = std::make_unique<QtJobHost>(*this);
}

QtJobHost& TMainForm::JobHostOf() {
    return *jobHost_;
}

void TMainForm::RunClick(JobMode mode) {
    if (state_.JobActive) {
        ConfirmStop(*jobHost_, state_);
        return;
    }
    (void)RunJob(mode, *jobHost_, settings_, state_);
}

void TMainForm::EncryptClick() {
    RunClick(jmEncrypt);
}

void TMainForm::DecryptClick() {
    RunClick(jmDecrypt);
}

void TMainForm::WipeClick() {
    RunClick(jmWipe);
}

} // namespace vlt::ui
