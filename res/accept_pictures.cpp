// The "Accept" pictures: 204 the word in blue, underlined (the live button), 205 the same word
// greyed (shown while there is nothing to accept).
#include <QPainter>

#include "res/fit_text.h"
#include "res/picture_drawers.h"
#include "res/picture_paint.h"
#include "res/pictures.h"

QPixmap DrawAcceptPicture(int resourceId) {
    const bool live = resourceId == res::IDB_ACCEPT;
    QPixmap pixmap = live ? picturepaint::Blank(93, 25, picturepaint::PageColour())
                          : picturepaint::Blank(91, 28, picturepaint::PageColour());
    QPainter painter(&pixmap);
    QFont font = picturepaint::PictureFont(16, true);
    font.setUnderline(live);
    painter.setFont(font);
    painter.setPen(live ? QColor(0, 0, 255) : QColor(160, 160, 160));
    textfit::DrawFitted(painter, picturepaint::Area(pixmap), Qt::AlignCenter, "Accept");
    return pixmap;
}
