#pragma once
// The progress display of a run, drawn by hand in place of the status bar: the bar in
// the mode's colour and the bold percentage drawn twice, once clipped to the filled
// part in the window colour and once clipped to the rest in the mode's colour. It takes
// the place of the window's status bar while a run is active.
#include <QStatusBar>

#include <cstdint>

namespace vlt::ui {

class CoalescedRepaint;

class StatusBarX : public QStatusBar {
    Q_OBJECT

public:
    explicit StatusBarX(QWidget* parent = nullptr);

    // `colour` is the mode's bar colour as a Windows colour value (0x00BBGGRR).
    void SetColour(std::uint32_t colour);
    // The run is at `position` bytes of `total`; repainted (coalesced) unless minimised.
    void SetProgress(std::int64_t position, std::int64_t total, int percent);

    [[nodiscard]] int FillWidth() const;
    [[nodiscard]] int Percent() const { return percent_; }
    [[nodiscard]] QColor Colour() const { return colour_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
    std::int64_t position_ = 0;
    std::int64_t total_ = 0;
    int percent_ = 0;
    CoalescedRepaint* repaint_;
};

} // namespace vlt::ui
