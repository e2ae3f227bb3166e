// Cursor 149: an open hand, pointing up, palm towards the viewer.
#include <QPainter>
#include <QPainterPath>

#include "res/picture_drawers.h"

QPixmap DrawHandPicture(int) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    QPainterPath hand;
    // Four fingers, the index finger's tip near the hot spot (16, 14) region.
    const int fingerX[4] = {10, 14, 18, 22};
    const int fingerTop[4] = {6, 3, 4, 7};
    for (int i = 0; i < 4; ++i) {
        hand.addRoundedRect(QRectF(fingerX[i], fingerTop[i], 4, 18 - fingerTop[i]), 2, 2);
    }
    // Thumb, sloping out to the left.
    QPainterPath thumb;
    thumb.moveTo(11, 22);
    thumb.lineTo(5, 15);
    thumb.quadTo(3, 12, 6, 12);
    thumb.lineTo(12, 18);
    thumb.closeSubpath();
    hand.addPath(thumb);
    // Palm.
    hand.addRoundedRect(QRectF(10, 15, 16, 13), 5, 5);
    hand = hand.simplified();

    painter.setPen(QPen(Qt::black, 1.2));
    painter.setBrush(Qt::white);
    painter.drawPath(hand);
    return pixmap;
}
