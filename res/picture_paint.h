// Small drawing helpers shared by the picture files.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <cmath>

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
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The device pixel ratio the pictures are being drawn for: LoadPicture sets it while a picture is
// drawn, so that each picture has as many pixels as the screen shows for it.
inline double& DrawingRatio() {
    static double ratio = 1.0;
    return ratio;
}

// The area of `pixmap` to paint on, in device-independent pixels (what a painter on it uses).
inline QRect Area(const QPixmap& pixmap) {
    return QRect(QPoint(0, 0), pixmap.deviceIndependentSize().toSize());
}

// A pixmap of the given size (in device-independent pixels) filled with `fill`, at the drawing
// ratio: painting on it goes in device-independent pixels too.
inline QPixmap Blank(int width, int height, const QColor& fill) {
    const double ratio = DrawingRatio();
    QPixmap pixmap(static_cast<int>(std::ceil(width * ratio)),
                   static_cast<int>(std::ceil(height * ratio)));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(fill);
    return pixmap;
}

}  // namespace picturepaint
