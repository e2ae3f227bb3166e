// Shrink to fit: a one-line text that does not fit its cell in the font it asks for is drawn in the
// largest smaller size of the same font in which it does, so that it is never cut off, whatever
// face the font resolved to on this machine (Arial, its metric twin Liberation Sans, or a wider
// DejaVu Sans). Used by the pictures' labels, the pages' values and their edit fields alike.
//
// UI thread only (fonts are measured for the screen or for the device painted on).
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <vector>

class QPaintDevice;
class QPainter;

namespace textfit {

// The smallest size a text is shrunk to, in pixels; below it a text would not be readable.
constexpr double kSmallestPixels = 7.0;

// The pixels `text` takes in `font` on `device` (the screen when null): its advance or its ink,
// whichever is wider, and the font's line height.
QSizeF TextExtent(const QFont& font, const QString& text, const QPaintDevice* device = nullptr);
bool Fits(const QFont& font, const QString& text, const QSizeF& room,
          const QPaintDevice* device = nullptr);

// `font` itself when `text` fits `room`, otherwise the same font at the largest smaller size
// (down to kSmallestPixels) at which it does.
QFont FitFont(const QFont& font, const QString& text, const QSizeF& room,
              const QPaintDevice* device = nullptr);

// Draws `text` into `rect` with the painter's font, shrunk to fit.
void DrawFitted(QPainter& painter, const QRect& rect, int alignment, const QString& text);

// A text drawn by DrawFitted while a record is kept (the pictures keep one for each picture).
struct DrawnText {
    QString text;
    QRect rect;
    QFont font;
};
// Starts (a vector) or ends (null) keeping the record of the texts drawn; returns the record kept
// until now.
std::vector<DrawnText>* KeepRecord(std::vector<DrawnText>* record);

}  // namespace textfit
