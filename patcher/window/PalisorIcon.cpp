#include "patcher/window/PalisorIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

void DrawStakes(QPainter& painter, double size) {
    painter.setPen(QPen(QColor(60, 40, 20), size / 32.0));
    painter.setBrush(QColor(176, 122, 64));
    const double width = size / 5.0;
    for (int i = 0; i < 4; ++i) {
        double left = size * 0.1 + i * width;
        double top = size * (i % 2 == 0 ? 0.12 : 0.2);
        QPainterPath stake;
        stake.moveTo(left, size * 0.9);
        stake.lineTo(left, top + width / 2);
        stake.lineTo(left + width / 2, top);
        stake.lineTo(left + width, top + width / 2);
        stake.lineTo(left + width, size * 0.9);
        stake.closeSubpath();
        painter.drawPath(stake);
    }
}

void DrawNote(QPainter& painter, double size) {
    const QColor ink(20, 60, 30);
    painter.setPen(QPen(ink, size / 14.0, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(size * 0.68, size * 0.74), QPointF(size * 0.68, size * 0.3));
    painter.drawLine(QPointF(size * 0.68, size * 0.3), QPointF(size * 0.86, size * 0.38));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawEllipse(QPointF(size * 0.6, size * 0.76), size * 0.11, size * 0.085);
}

QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(214, 232, 200));
    painter.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
    DrawStakes(painter, size);
    DrawNote(painter, size);
    return pixmap;
}

} // namespace

QIcon PalisorIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addPixmap(DrawIcon(size));
    return icon;
}
