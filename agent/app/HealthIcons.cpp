#include "agent/app/HealthIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Draws on a 100 by 100 grid scaled to the pixmap.
QPixmap Draw(HealthState state, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);
    // A dark rim keeps each shape visible on light and dark panels alike.
    QPen rim(QColor(0x20, 0x20, 0x20), 6);
    rim.setJoinStyle(Qt::RoundJoin);
    QPen mark(Qt::white, 14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (state) {
    case HealthState::Normal: {
        p.setPen(rim);
        p.setBrush(QColor(0x2e, 0x7d, 0x32));
        p.drawEllipse(QRectF(5, 5, 90, 90));
        p.setPen(mark);
        p.setBrush(Qt::NoBrush);
        QPainterPath tick;
        tick.moveTo(27, 52);
        tick.lineTo(44, 69);
        tick.lineTo(74, 34);
        p.drawPath(tick);
        break;
    }
    case HealthState::Warning: {
        p.setPen(rim);
        p.setBrush(QColor(0xf9, 0xa8, 0x25));
        QPainterPath triangle;
        triangle.moveTo(50, 4);
        triangle.lineTo(97, 93);
        triangle.lineTo(3, 93);
        triangle.closeSubpath();
        p.drawPath(triangle);
        QPen bang(QColor(0x20, 0x20, 0x20), 13, Qt::SolidLine, Qt::RoundCap);
        p.setPen(bang);
        p.drawLine(QPointF(50, 34), QPointF(50, 62));
        p.drawPoint(QPointF(50, 79));
        break;
    }
    case HealthState::Error: {
        p.setPen(rim);
        p.setBrush(QColor(0xc6, 0x28, 0x28));
        p.drawRect(QRectF(7, 7, 86, 86));
        p.setPen(mark);
        p.drawLine(QPointF(30, 30), QPointF(70, 70));
        p.drawLine(QPointF(70, 30), QPointF(30, 70));
        break;
    }
    }
    p.end();
    return pixmap;
}

} // namespace

QIcon HealthIcons::For(HealthState state) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(Draw(state, size));
    return icon;
}
