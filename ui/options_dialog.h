#pragma once
// TOptionsDialog: the settings on four pages. It edits a working copy of the live
// record; OK copies it over (and sets FontChanged/ViewChanged for the main window),
// Cancel, Escape and the window frame throw it away. Every way of closing remembers
// the dialog's position, and the page last shown is the one it reopens on.
#include <QDialog>
#include <memory>
#include <vector>

#include "settings/settings_record.h"

class QCheckBox;

namespace Ui {
class TOptionsDialog;
}

namespace vlt::ui {

class TOptionsDialog final : public QDialog {
    Q_OBJECT
public:
    explicit TOptionsDialog(SettingsRecord& live, QWidget* parent = nullptr);
    ~TOptionsDialog() override;

    // The browser's context menu opens the dialog on its "Browser" page.
    void TurnToBrowserPage();
    // FormShow, then the dialog modally.
    int exec() override;
    // FormClose, whichever way the dialog closes.
    void done(int result) override;

private:
    // One check box and the byte of the working copy it edits.
    struct SwitchBinding {
        QCheckBox* box;
        std::uint8_t SettingsRecord::*field;
    };

    void FormShow();
    void ShowControls();
    void FillAlgorithmLists();
    void ShowMixedEncryptionLayout();
    void UpdateEnabledStates();
    void ShowOverwriteCount();

    void OKButtonClick();
    void HelpButtonClick();
    void VLT7CompSwitchClick(bool checked);
    void Algo1BoxChange(int position);
    void Algo2BoxChange(int position);
    void NumOfDODControllerUpClick();
    void NumOfDODControllerDownClick();
    void NumOfDODBoxKeyPress();
    void FontButtonClick();
    void FileViewSettingChange(int position);
    void ExclusionSwitchClick(std::uint32_t bit, bool checked);

    std::unique_ptr<Ui::TOptionsDialog> ui_;
    SettingsRecord& live_;
    SettingsRecord copy_{};
    std::vector<SwitchBinding> switches_;
};

} // namespace vlt::ui
