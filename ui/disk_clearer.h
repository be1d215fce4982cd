#pragma once
// TDiskClearer: the window of free-space clearing. It stays on top and keeps the main
// window disabled while it is open; its Cancel stops the filling, and once the filling
// has ended closes the window, which deletes the fill file.
#include <QDialog>
#include <memory>
#include <string>

#include "batch/free_space.h"

namespace Ui {
class TDiskClearer;
}

namespace vlt::ui {

class TDiskClearer final : public QDialog, private FreeSpaceView {
    Q_OBJECT
public:
    // `mainWindow` is disabled while the window is open.
    explicit TDiskClearer(QWidget* mainWindow, FillFile fillFile = FillFile::UnnamedWherePossible);
    ~TDiskClearer() override;

    // Fills the free space of `directory`'s file system; returns when the filling has
    // stopped, with the window left open until the user closes it.
    void ClearFreeSpace(const std::string& directory);

    [[nodiscard]] const FreeSpaceClearer& Clearer() const { return clearer_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape is the Cancel button.
    void reject() override;

private:
    void FormShow();
    void StopButtonClick();
    void FormClose();

    // FreeSpaceView
    [[nodiscard]] MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                                       MsgButtons buttons) override;
    void ShowClearer(const std::string& caption) override;
    void SetCaption(const std::string& caption) override;
    void SetInfo(const std::string& text) override;
    void ProcessMessages() override;

    std::unique_ptr<Ui::TDiskClearer> ui_;
    QWidget* mainWindow_;
    FreeSpaceClearer clearer_;
};

} // namespace vlt::ui
