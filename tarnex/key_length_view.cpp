#include "tarnex/key_length_view.h"

#include <QPainter>

namespace tarnex {

TKeyLengthView::TKeyLengthView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("KeyLengthView"));
    ShowLength(0);
}

void TKeyLengthView::ShowLength(qsizetype length) {
    text_ = QString::asprintf("%02i", int(length));
    update();
}

QSize TKeyLengthView::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(QStringLiteral("00")) + 4, metrics.height()};
}

void TKeyLengthView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area(QPoint(0, 0), sizeHint());
    painter.fillRect(area, QColor(kBackgroundColour));
    painter.setPen(QColor(kTextColour));
    painter.drawText(area, Qt::AlignCenter, text_);
}

} // namespace tarnex
