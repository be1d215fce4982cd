#include "ui/status_bar_x.h"

#include <QPainter>

#include "batch/progress.h"
#include "ui/coalesced_repaint.h"

namespace vlt::ui {

namespace {

constexpr int kBarTop = 3;
constexpr int kBarBottom = 18;
constexpr int kTextTop = 4;

} // namespace

StatusBarX::StatusBarX(QWidget* parent)
    : QStatusBar(parent), repaint_(new CoalescedRepaint(this, [this] { update(); })) {
    setObjectName("StatusBarX");
    setSizeGripEnabled(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize StatusBarX::sizeHint() const {
    return {200, kBarBottom + 3};
}

void StatusBarX::SetColour(std::uint32_t colour) {
    colour_ = QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

void StatusBarX::SetProgress(std::int64_t position, std::int64_t total, int percent) {
    position_ = position;
    total_ = total;
    percent_ = percent;
    if (!window()->isMinimized()) {
        repaint_->Request();
    }
}

int StatusBarX::FillWidth() const {
    return static_cast<int>(ProgressFillWidth(std::max(0, width() - 2), position_, total_));
}

void StatusBarX::paintEvent(QPaintEvent*) {
    if (window()->isMinimized()) {
        return;
    }
    QPainter painter(this);
    const QColor background = palette().color(QPalette::Window);
    painter.fillRect(rect(), background);
    const int f = FillWidth();
    // The bar runs from (1, 3) to (width - 1, 18), right and bottom edges excluded.
    const QRect filled(1, kBarTop, f, kBarBottom - kBarTop);
    const QRect rest(1 + f, kBarTop, width() - 2 - f, kBarBottom - kBarTop);
    painter.fillRect(filled, colour_);

    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    const QString text = QString::fromStdString(PercentText(percent_));
    const int size = bold.pointSize() > 0 ? bold.pointSize() : QFontMetrics(bold).height() / 2;
    const int x = ProgressTextLeft(width() - 2, static_cast<int>(text.size()), size);
    const int baseline = kTextTop + QFontMetrics(bold).ascent();
    painter.save();
    painter.setClipRect(filled);
    painter.setPen(background);
    painter.drawText(x, baseline, text);
    painter.restore();
    painter.fillRect(rest, background);
    painter.setClipRect(rest);
    painter.setPen(colour_);
    painter.drawText(x, baseline, text);
}

} // namespace vlt::ui
