#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace zolvane2 {

namespace {

QPixmap Draw(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    const double s = size / 64.0;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    p.drawRoundedRect(QRectF(2 * s, 2 * s, 60 * s, 60 * s), 10 * s, 10 * s);
    // Two pieces of sound with a cut between them.
    QPainterPath wave;
    for (int x = 8; x <= 56; ++x) {
        const bool quiet = x > 29 && x < 35;
        const double amplitude = quiet ? 0.5 : 14 * std::sin((x % 24) / 24.0 * 3.14159);
        const QPointF point(x * s, (32 + amplitude * std::sin(x * 1.3)) * s);
        if (x == 8) {
            wave.moveTo(point);
        } else {
            wave.lineTo(point);
        }
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 204, 255), 2.5 * s));
    p.drawPath(wave);
    p.setPen(QPen(QColor(255, 255, 0), 2 * s, Qt::DashLine));
    p.drawLine(QPointF(32 * s, 10 * s), QPointF(32 * s, 54 * s));
    return pixmap;
}

}  // namespace

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        icon.addPixmap(Draw(size));
    }
    return icon;
}

}  // namespace zolvane2
