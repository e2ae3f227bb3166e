#include "res/page_picture_kit.h"
#include "res/fit_text.h"

#include <QFontMetrics>
#include <QPen>

namespace picturekit {

QPixmap BlankPage() {
    return picturepaint::Blank(kPageWidth, kPageHeight, picturepaint::PageColour());
}

void PreparePainter(QPainter& painter) {
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::Antialiasing, false);
}

void DrawText(QPainter& painter, const QRect& rect, const QString& text, const QFont& font,
              const QColor& ink, int alignment) {
    painter.setFont(font);
    painter.setPen(ink);
    textfit::DrawFitted(painter, rect, alignment, text);
}

void DrawCell(QPainter& painter, const QRect& inner, const QColor& fill) {
    painter.fillRect(inner, fill);
    painter.setPen(QPen(picturepaint::GridColour(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(inner.adjusted(-1, -1, 0, 0));
}

void DrawFrame(QPainter& painter, const QRect& rect, const QString& title) {
    painter.setPen(QPen(picturepaint::GridColour(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect);
    if (title.isEmpty()) {
        return;
    }
    const QFont font = PictureFont(13, true);
    const int width = QFontMetrics(font).horizontalAdvance(title) + 12;
    const QRect band(rect.left() + 10, rect.top() - 9, width, 18);
    painter.fillRect(band, picturepaint::PageColour());
    DrawText(painter, band, title, font, CaptionInk(), Qt::AlignCenter);
}

}  // namespace picturekit
