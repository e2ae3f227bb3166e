// Drawing steps the Cycle Set Up, Reporting Set Up and Event pictures share, on top of the common
// colours and fonts of picture_paint.h: captions, cells and titled frames. Sizes are in pixels so
// that a picture looks the same at every screen resolution.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>
#include <QString>

#include "res/picture_paint.h"

namespace picturekit {

using picturepaint::PictureFont;

// The size of the page backgrounds: every device page places its controls in these pixels.
constexpr int kPageWidth = 726;
constexpr int kPageHeight = 512;

inline QColor CaptionInk() {
    return QColor(0, 0, 128);
}

// A page-sized pixmap in the page colour.
QPixmap BlankPage();
// Antialiased text, plain shapes.
void PreparePainter(QPainter& painter);

// Text in a rectangle with the given alignment and font.
void DrawText(QPainter& painter, const QRect& rect, const QString& text, const QFont& font,
              const QColor& ink, int alignment = Qt::AlignLeft | Qt::AlignVCenter);
// A cell: `inner` filled, with a thin border just outside it, so that a control placed on
// `inner` covers the fill and leaves the border visible.
void DrawCell(QPainter& painter, const QRect& inner, const QColor& fill);
// A frame around an area with its title set into the top line.
void DrawFrame(QPainter& painter, const QRect& rect, const QString& title);

}  // namespace picturekit
