#include "res/fit_text.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

namespace textfit {
namespace {

std::vector<DrawnText>* g_record = nullptr;

QFontMetricsF Metrics(const QFont& font, const QPaintDevice* device) {
    return device ? QFontMetricsF(font, device) : QFontMetricsF(font);
}

double PixelSize(const QFont& font, const QPaintDevice* device) {
    if (font.pixelSize() > 0) {
        return font.pixelSize();
    }
    if (device) {
        return font.pointSizeF() * device->logicalDpiY() / 72.0;
    }
    return QFontInfo(font).pixelSize();
}

}  // namespace

QSizeF TextExtent(const QFont& font, const QString& text, const QPaintDevice* device) {
    const QFontMetricsF metrics = Metrics(font, device);
    const double width =
        std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).width());
    return QSizeF(std::ceil(width), std::ceil(metrics.height()));
}

bool Fits(const QFont& font, const QString& text, const QSizeF& room, const QPaintDevice* device) {
    const QSizeF extent = TextExtent(font, text, device);
    return extent.width() <= room.width() && extent.height() <= room.height();
}

QFont FitFont(const QFont& font, const QString& text, const QSizeF& room,
              const QPaintDevice* device) {
    if (text.isEmpty() || Fits(font, text, room, device)) {
        return font;
    }
    QFont smaller = font;
    double pixels = PixelSize(font, device);
    // A first guess from the share of the room the text needs, then down in small steps: text
    // widths do not scale exactly with the size (hinting, rounding).
    const QSizeF extent = TextExtent(font, text, device);
    double share = 1.0;
    if (extent.width() > 0) {
        share = std::min(share, room.width() / extent.width());
    }
    if (extent.height() > 0) {
        share = std::min(share, room.height() / extent.height());
    }
    pixels = std::max(kSmallestPixels, std::floor(pixels * share * 4.0) / 4.0 + 0.25);
    for (;;) {
        smaller.setPixelSize(std::max(1, static_cast<int>(std::floor(pixels))));
        if (pixels <= kSmallestPixels || Fits(smaller, text, room, device)) {
            return smaller;
        }
        pixels -= 1.0;
    }
}

void DrawFitted(QPainter& painter, const QRect& rect, int alignment, const QString& text) {
    const QFont asked = painter.font();
    const QFont fitted = FitFont(asked, text, rect.size(), painter.device());
    painter.setFont(fitted);
    painter.drawText(rect, alignment, text);
    painter.setFont(asked);
    if (g_record) {
        g_record->push_back({text, rect, fitted});
    }
}

std::vector<DrawnText>* KeepRecord(std::vector<DrawnText>* record) {
    return std::exchange(g_record, record);
}

}  // namespace textfit
