#include "app/alarms/tray_icons.h"

#include <QPainter>
#include <QPixmap>

namespace {

QPixmap Draw(TrayState state, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    switch (state) {
        case TrayState::Disconnected:
            // A lamp that is off, crossed out.
            p.setPen(QPen(QColor(70, 70, 70), 2));
            p.setBrush(QColor(170, 170, 170));
            p.drawEllipse(QRectF(4, 4, 24, 24));
            p.setPen(QPen(QColor(70, 70, 70), 3));
            p.drawLine(QPointF(8, 24), QPointF(24, 8));
            break;
        case TrayState::Connected:
            p.setPen(QPen(QColor(0, 80, 0), 2));
            p.setBrush(QColor(0, 160, 0));
            p.drawEllipse(QRectF(4, 4, 24, 24));
            break;
        case TrayState::Alarm:
            p.setPen(QPen(QColor(120, 0, 0), 2));
            p.setBrush(QColor(230, 0, 0));
            p.drawEllipse(QRectF(2, 2, 28, 28));
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRoundedRect(QRectF(14, 7, 4, 12), 1.5, 1.5);
            p.drawEllipse(QRectF(14, 21, 4, 4));
            break;
    }
    return pixmap;
}

}  // namespace

QIcon TrayIconFor(TrayState state) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        icon.addPixmap(Draw(state, size));
    }
    return icon;
}
