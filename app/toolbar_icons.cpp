#include "app/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 16;

void DrawExit(QPainter& p) {
    // An open door with an arrow leaving it.
    p.setPen(QPen(QColor(90, 60, 30), 1));
    p.setBrush(QColor(200, 150, 90));
    p.drawRect(2, 1, 8, 14);
    p.setBrush(QColor(120, 80, 40));
    p.drawPolygon(QPolygon({QPoint(2, 1), QPoint(7, 3), QPoint(7, 15), QPoint(2, 15)}));
    p.setPen(QPen(QColor(0, 128, 0), 2));
    p.drawLine(9, 8, 15, 8);
    p.drawLine(12, 5, 15, 8);
    p.drawLine(12, 11, 15, 8);
}

void DrawDialSetup(QPainter& p) {
    // A modem box with a setting knob.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(1, 6, 14, 7);
    p.setBrush(QColor(0, 200, 0));
    p.drawRect(3, 9, 2, 2);
    p.setBrush(QColor(255, 200, 0));
    p.drawRect(7, 9, 2, 2);
    p.setPen(QPen(QColor(0, 0, 160), 2));
    p.drawEllipse(QPoint(12, 3), 2, 2);
    p.drawLine(12, 5, 12, 6);
}

void DrawPhoneBook(QPainter& p) {
    // A closed book with a telephone mark.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0, 64, 160));
    p.drawRect(2, 1, 11, 14);
    p.setBrush(Qt::white);
    p.drawRect(13, 2, 1, 12);
    p.setPen(QPen(Qt::white, 2));
    p.drawArc(QRect(5, 4, 6, 6), 0, 180 * 16);
    p.drawLine(6, 11, 10, 11);
}

void DrawHandset(QPainter& p, const QColor& colour) {
    QPainterPath path;
    path.moveTo(2, 10);
    path.cubicTo(2, 3, 14, 3, 14, 10);
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(QPen(colour.darker(150), 1));
    p.setBrush(colour);
    p.drawRect(1, 10, 4, 3);
    p.drawRect(11, 10, 4, 3);
}

void DrawConnect(QPainter& p) {
    DrawHandset(p, QColor(0, 160, 0));
}

void DrawDisconnect(QPainter& p) {
    DrawHandset(p, QColor(200, 0, 0));
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(3, 15, 13, 1);
}

void DrawAbout(QPainter& p) {
    p.setPen(QPen(QColor(0, 0, 128), 1));
    p.setBrush(QColor(255, 255, 200));
    p.drawEllipse(QRect(1, 1, 14, 14));
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(12);
    p.setFont(font);
    p.drawText(QRect(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
}

QPixmap Draw(void (*painter)(QPainter&), int size = kSize) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        painter(p);
    }
    return size == kSize ? pixmap
                         : pixmap.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

QIcon ToolbarIconFor(ToolbarIcon which) {
    switch (which) {
        case ToolbarIcon::Exit:
            return QIcon(Draw(DrawExit));
        case ToolbarIcon::DialSetup:
            return QIcon(Draw(DrawDialSetup));
        case ToolbarIcon::PhoneBook:
            return QIcon(Draw(DrawPhoneBook));
        case ToolbarIcon::Connect:
            return QIcon(Draw(DrawConnect));
        case ToolbarIcon::Disconnect:
            return QIcon(Draw(DrawDisconnect));
        case ToolbarIcon::About:
            break;
    }
    return QIcon(Draw(DrawAbout));
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        icon.addPixmap(Draw(DrawPhoneBook, size));
    }
    return icon;
}
