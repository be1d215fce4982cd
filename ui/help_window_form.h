#pragma once
// The help window: the built-in help pages with contents, back and forward.
#include <QUrl>
#include <QWidget>
#include <memory>

namespace Ui {
class THelpWindow;
}

namespace vlt::ui {

class THelpWindow final : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);
    ~THelpWindow() override;

    // Shows `url` (a page with an optional section) and raises the window.
    void ShowPage(const QUrl& url);
    [[nodiscard]] QUrl CurrentPage() const;

private:
    std::unique_ptr<Ui::THelpWindow> ui_;
};

} // namespace vlt::ui
