#pragma once

#include "tarnex/start_values.h"

#include <QWidget>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarnex {

class CipherLibraries;
class MessageBoxService;
class OpenFileChooser;
class ProgramStarter;
class TKeyLengthView;

// Program-wide state that lives for the whole run.
struct TProgramState {
    TStartValues start;
    unsigned char languageFlag = 1; // 1 = English, 0 = German
};

// What the dialog calls outside itself; tests put doubles in every place.
struct TDialogServices {
    MessageBoxService& messages;
    CipherLibraries& ciphers;
    OpenFileChooser& files;
    ProgramStarter& programs;
};

// The dialog of template 2000: file name, key or key file, direction and method, handed to the
// cipher libraries on OK. Controls carry their role as object name and their identifier as the
// property "controlId".
class TTarnex95DlgClient final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFileNameLimit = 259;
    static constexpr int kKeyLimit = 99;
    static constexpr int kTarnexKeyLimit = 40;

    TTarnex95DlgClient(TProgramState& state, TDialogServices services, QWidget* parent = nullptr);

    // Direction and method as the dialog hands them on: 107 or 108, and 110, 111, 112 or 115.
    [[nodiscard]] int CheckedDirection() const;
    [[nodiscard]] int CheckedMethod() const;
    [[nodiscard]] QString KeyLengthText() const;

signals:
    void CloseRequested();

private:
    void SetupControls();
    void InitDialog();
    void KeyChange();
    void OkClick();
    void FileNameClick();
    void KeyFileClick();
    void ViewClick();
    void DosClick();
    void InfoClick();
    void LanguageClick();

    [[nodiscard]] QString Text(int germanId) const;
    void ShowError(int germanId);
    [[nodiscard]] bool RunMethod(const QString& fileName, const QString& key, char direction);
    void ReportStartFailure(const QString& what);
    [[nodiscard]] bool BrowseInto(QLineEdit* edit);

    TProgramState& state_;
    TDialogServices services_;

    QLineEdit* fileNameEdit_ = nullptr;
    QLineEdit* keyEdit_ = nullptr;
    TKeyLengthView* keyLengthView_ = nullptr;
    QButtonGroup* directionGroup_ = nullptr;
    QButtonGroup* methodGroup_ = nullptr;
};

} // namespace tarnex
