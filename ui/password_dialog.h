#pragma once
// The passphrase dialog of encryption and decryption runs: one passphrase (two with
// mixed encryption), each asked twice when encrypting, checked by the core's rules and
// kept in the program-wide passphrase store. "&TEMPEST" makes the entry fields flicker
// and sends keyboard noise while the dialog is open.
#include <QDialog>

#include "batch/passphrase_rules.h"
#include "batch/passphrase_store.h"
#include "platform/keyboard_state.h"
#include "settings/settings_record.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QStyle;
class QTimer;

namespace vlt::ui {

class TPasswordDialog : public QDialog {
    Q_OBJECT

public:
    // `settings` is the live record: the dialog's check boxes write it at once.
    TPasswordDialog(SettingsRecord& settings, KeyboardLayer& keyboard, QWidget* parent = nullptr);
    ~TPasswordDialog() override;

    // Set before showing: encryption asks for every passphrase twice.
    bool EncryptMode = true;

    // False unless the last showing ended with an accepted entry; otherwise copies of
    // both stores (the second means something only with mixed encryption).
    [[nodiscard]] bool GetPassphrases(SecureBuffer& first, SecureBuffer& second) const;

    // Every way of closing ends TEMPEST mode and empties the fields.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void OKButtonClick();
    void CancelButtonClick();
    void HelpButtonClick();
    void ShowPassSwitchClick();
    void SecColSwitchClick();
    void NumSwitchClick();
    void Passw1Box1Change();
    void Passw2Box1Change();
    void FlimmerTimer();
    void KBNoiserTimer();

private:
    void FormShow();
    [[nodiscard]] PassphraseRequest Request() const;
    [[nodiscard]] QLineEdit* FieldOf(PassphraseField field) const;
    void SetMasking(bool shown);
    void SetFieldLengths();
    void StartTempest();
    void StopTempest();
    void SystemColours();
    void EmptyFields();

    SettingsRecord& settings_;
    KeyboardLayer& keyboard_;
    PassphraseStore store_;
    int designedHeight_ = 0;
    QColor toneColor_;
    KeyboardState savedKeyboard_{};
    bool flickerPhase_ = false;
    bool noisePhase_ = false;

    QStyle* asteriskStyle_;
    QPushButton* OKButton;
    QPushButton* CancelButton;
    QPushButton* HelpButton;
    QCheckBox* ShowPassSwitch;
    QCheckBox* SecColSwitch;
    QCheckBox* NumSwitch;
    QLabel* Info11;
    QLineEdit* Passw1Box1;
    QLabel* Info12;
    QLineEdit* Passw1Box2;
    QFrame* Divider;
    QLabel* Info21;
    QLineEdit* Passw2Box1;
    QLabel* Info22;
    QLineEdit* Passw2Box2;
    QTimer* Flimmer;
    QTimer* KBNoiser;
};

} // namespace vlt::ui
