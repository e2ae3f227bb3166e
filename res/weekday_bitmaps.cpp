// The weekday strip of the Status page: five letters M T W T F, each on its own slice. The plain
// slices (192..196) and the strip (202) show grey letters on a pale ground; the highlighted slices
// (197..201) show black letters on yellow.
#include <QPainter>
#include <array>

#include "res/fit_text.h"
#include "res/picture_drawers.h"
#include "res/picture_paint.h"
#include "res/pictures.h"

namespace {

constexpr std::array<int, 5> kSliceWidths = {24, 21, 22, 21, 22};
constexpr std::array<const char*, 5> kLetters = {"M", "T", "W", "T", "F"};
constexpr int kHeight = 20;

void PaintSlice(QPainter& painter, const QRect& rect, int day, bool lit) {
    painter.fillRect(rect, lit ? QColor(255, 230, 0) : QColor(232, 232, 232));
    painter.setPen(lit ? QColor(0, 0, 0) : QColor(150, 150, 150));
    painter.setFont(picturepaint::PictureFont(14, true));
    textfit::DrawFitted(painter, rect, Qt::AlignCenter, kLetters[day]);
    painter.setPen(QColor(190, 190, 190));
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

}  // namespace

QPixmap DrawWeekdayBitmap(int resourceId) {
    if (resourceId == res::IDB_WEEKDAY_STRIP) {
        int width = 0;
        for (int w : kSliceWidths) {
            width += w;
        }
        QPixmap pixmap = picturepaint::Blank(width, kHeight, Qt::white);
        QPainter painter(&pixmap);
        int x = 0;
        for (int day = 0; day < 5; ++day) {
            PaintSlice(painter, QRect(x, 0, kSliceWidths[day], kHeight), day, false);
            x += kSliceWidths[day];
        }
        return pixmap;
    }
    const bool lit = resourceId >= res::IDB_WEEKDAY_LIT_FIRST;
    const int day = resourceId - (lit ? res::IDB_WEEKDAY_LIT_FIRST : res::IDB_WEEKDAY_PLAIN_FIRST);
    QPixmap pixmap = picturepaint::Blank(kSliceWidths[day], kHeight, Qt::white);
    QPainter painter(&pixmap);
    PaintSlice(painter, QRect(0, 0, kSliceWidths[day], kHeight), day, lit);
    return pixmap;
}
