#include "tarnex/program_icon.h"

#include <QPainter>
#include <QPixmap>

namespace tarnex {

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal unit = size / 16.0;
        // A key: round bow on the left, shaft with two bits to the right.
        painter.setPen(QPen(QColor(128, 0, 0), 1.5 * unit));
        painter.setBrush(QColor(255, 200, 0));
        painter.drawEllipse(QRectF(1 * unit, 4 * unit, 7 * unit, 7 * unit));
        painter.drawRect(QRectF(7.5 * unit, 6.5 * unit, 7.5 * unit, 2 * unit));
        painter.drawRect(QRectF(11 * unit, 8.5 * unit, 1.5 * unit, 3 * unit));
        painter.drawRect(QRectF(13.5 * unit, 8.5 * unit, 1.5 * unit, 2 * unit));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace tarnex
