#pragma once
// The destination dialog: a target directory typed as text (or picked with
// "&Browse..."), accepted only when it names an existing directory.
//
// Use: set the caption (setWindowTitle) and SetDestination(preset); SimpleRequest(true)
// for the "&OK"/"&Cancel" layout of the copy and move commands, SimpleRequest(false)
// (the designed layout, "&Accept"/"&Let the files where they are") for runs; exec();
// then Destination() is the accepted path exactly as typed, or "" when none was given.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vlt::ui {

class TDirBrowser;

class TDestDialog : public QDialog {
    Q_OBJECT

public:
    explicit TDestDialog(QWidget* parent = nullptr);

    void SetDestination(const QString& text) { destination_ = text; }
    [[nodiscard]] const QString& Destination() const { return destination_; }
    void SimpleRequest(bool on);

    // Escape and every other way of rejecting act as the cancel button.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void OKButtonClick();
    void CancelButtonClick();
    void BrowseButtonClick();

private:
    QString destination_;
    bool closePermission_ = false;
    QRect okDesigned_;
    QRect cancelDesigned_;

    QLabel* Info;
    QLineEdit* InputBox;
    QPushButton* OKButton;
    QPushButton* CancelButton;
    QPushButton* BrowseButton;
    TDirBrowser* DirBrowser;
};

} // namespace vlt::ui
