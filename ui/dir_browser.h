#pragma once
// The directory browser behind "&Browse...": a directory tree of one drive (a mount
// point) and the drive list.
#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

namespace vlt::ui {

class TDirBrowser : public QDialog {
    Q_OBJECT

public:
    explicit TDirBrowser(QWidget* parent = nullptr);

    // Set before showing (the start directory); afterwards the chosen directory, or ""
    // after Cancel.
    void SetDirectory(const QString& text) { directory_ = text; }
    [[nodiscard]] const QString& Directory() const { return directory_; }

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void DriveListChange(int index);
    void OKButtonClick();
    void CancelButtonClick();

private:
    // Shows `directory` on its drive; false when it is not an accessible directory.
    bool ShowDirectory(const QString& directory);
    [[nodiscard]] bool SwitchDrive(const QString& mountPoint);
    [[nodiscard]] QString CurrentDirectory() const;

    QString directory_;
    QString shownDrive_;
    QFileSystemModel* model_;

    QLabel* Info1;
    QTreeView* DirList;
    QLabel* Info2;
    QComboBox* DriveList;
    QPushButton* OKButton;
    QPushButton* CancelButton;
};

} // namespace vlt::ui
