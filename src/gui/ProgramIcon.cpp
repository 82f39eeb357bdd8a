#include "gui/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>

QPixmap bellPixmap(int size, int swing) {
    const bool ringing = swing != 0;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    if (ringing) { // tilted, with sound waves beside it
        p.translate(0.5 * s, 0.1 * s);
        p.rotate(18 * swing);
        p.translate(-0.5 * s, -0.1 * s);
    }
    p.setPen(QPen(QColor(90, 60, 0), std::max(1.0, s / 20.0)));
    p.setBrush(ringing ? QColor(255, 120, 30) : QColor(235, 180, 40));
    QPainterPath bell;
    bell.moveTo(0.16 * s, 0.78 * s);
    bell.cubicTo(0.28 * s, 0.62 * s, 0.2 * s, 0.16 * s, 0.5 * s, 0.14 * s);
    bell.cubicTo(0.8 * s, 0.16 * s, 0.72 * s, 0.62 * s, 0.84 * s, 0.78 * s);
    bell.closeSubpath();
    p.drawPath(bell);
    p.drawEllipse(QPointF(0.5 * s, 0.86 * s), 0.09 * s, 0.09 * s);
    if (ringing) {
        p.resetTransform();
        p.setPen(QPen(QColor(200, 30, 30), std::max(1.0, s / 16.0)));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(0.72 * s, 0.2 * s, 0.26 * s, 0.5 * s), -60 * 16, 120 * 16);
        p.drawArc(QRectF(0.02 * s, 0.2 * s, 0.26 * s, 0.5 * s), 120 * 16, 120 * 16);
    }
    return pixmap;
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(bellPixmap(size));
    return icon;
}

QIcon blinkFrame(int frame) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48})
        icon.addPixmap(bellPixmap(size, frame == 0 ? -1 : 1));
    return icon;
}
