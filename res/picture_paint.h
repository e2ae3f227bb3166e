// Small drawing helpers shared by the picture files.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>

namespace picturepaint {

// The page background colour and the colours of the tables drawn on it.
inline QColor PageColour() {
    return QColor(245, 245, 245);
}
inline QColor CellColour() {
    return QColor(255, 255, 255);
}
inline QColor HeadColour() {
    return QColor(214, 226, 240);
}
inline QColor GridColour() {
    return QColor(120, 130, 145);
}
inline QColor LabelColour() {
    return QColor(20, 30, 60);
}

// An Arial (or its metric twin) font of `pixels` height.
inline QFont PictureFont(int pixels, bool bold) {
    QFont font("Arial");
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A pixmap of the given size filled with `fill`.
inline QPixmap Blank(int width, int height, const QColor& fill) {
    QPixmap pixmap(width, height);
    pixmap.fill(fill);
    return pixmap;
}

}  // namespace picturepaint
