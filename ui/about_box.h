#pragma once
// The about box: the program's name and version, shown modally by the main window.
#include <QDialog>
#include <memory>

namespace Ui {
class TAboutBox;
}

namespace vlt::ui {

// "Version " + major + "." + minor + "h".
[[nodiscard]] QString VersionText();

class TAboutBox final : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    std::unique_ptr<Ui::TAboutBox> ui_;
};

} // namespace vlt::ui
