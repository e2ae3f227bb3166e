// 174: the Event page background, 726 x 512: the grid of the event table (five columns, eighteen
// rows) with the head Description over the third column, and the yellow ground of the four paging
// buttons under it. 176..179: the paging buttons (80 x 30). 180..191: the sortable column heads
// Dryer (60 x 20), Event (110 x 20), Date and Time (80 x 20), each plain, with an up arrow
// (direction 1) and with a down arrow (direction 0).
#include <QPainterPath>
#include <array>

#include "res/event_layout.h"
#include "res/page_picture_kit.h"
#include "res/picture_drawers.h"

using namespace picturekit;

namespace {

const QColor kCellFill(245, 245, 245);  // the colour the page gives its event cells
const QColor kHeadFill = picturepaint::HeadColour();
const QColor kButtonFill(255, 224, 64);

using namespace eventlayout;

constexpr int kFirstPagingBitmap = 176;
constexpr int kFirstHeadBitmap = 180;
const char* const kPagingCaptions[] = {"First Page", "Prev Page", "Next Page", "Last Page"};
// Heads in bitmap order: 180 Dryer, 183 Event, 186 Date, 189 Time.
struct HeadPicture {
    const char* word;
    int width;
};
constexpr HeadPicture kHeads[] = {{"Dryer", 60}, {"Event", 110}, {"Date", 80}, {"Time", 80}};

void DrawGrid(QPainter& painter) {
    const int left = kColumns.front().left - 2;
    const int right = kColumns.back().right + 1;
    const int bottom = kFirstRowTop + kRows * kRowPitch - 2;
    painter.fillRect(QRect(left, kHeadTop - 2, right - left, kHeadBottom - kHeadTop + 4),
                     kHeadFill);
    painter.fillRect(QRect(left, kFirstRowTop - 2, right - left, bottom - kFirstRowTop + 2),
                     QColor(200, 200, 200));
    for (int r = 0; r < kRows; ++r) {
        for (const Span& column : kColumns) {
            painter.fillRect(QRect(column.left, kFirstRowTop + r * kRowPitch,
                                   column.right - column.left, kRowHeight),
                             kCellFill);
        }
    }
    const Span description = kColumns[2];
    DrawText(painter,
             QRect(description.left, kHeadTop, description.right - description.left,
                   kHeadBottom - kHeadTop),
             "Description", PictureFont(14, true), picturepaint::LabelColour(), Qt::AlignCenter);
}

void DrawPagingGround(QPainter& painter) {
    // Under the paging buttons.
    painter.setPen(QPen(picturepaint::GridColour(), 1));
    painter.setBrush(QColor(255, 240, 160));
    const int left = kPagingButtons.front().left - 8;
    const int right = kPagingButtons.back().right + 8;
    painter.drawRoundedRect(
        QRect(left, kPagingTop - 6, right - left, kPagingBottom - kPagingTop + 12), 6, 6);
    // The page label "N of M".
    DrawCell(painter,
             QRect(kPageLabel.left, kPageLabelTop, kPageLabel.right - kPageLabel.left,
                   kPageLabelBottom - kPageLabelTop),
             kCellFill);
}

void DrawArrow(QPainter& painter, const QRect& area, bool up) {
    const int cx = area.right() - 9;
    const int cy = area.center().y();
    QPainterPath path;
    if (up) {
        path.moveTo(cx - 5, cy + 3);
        path.lineTo(cx + 5, cy + 3);
        path.lineTo(cx, cy - 4);
    } else {
        path.moveTo(cx - 5, cy - 3);
        path.lineTo(cx + 5, cy - 3);
        path.lineTo(cx, cy + 4);
    }
    path.closeSubpath();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(path, CaptionInk());
}

QPixmap DrawPagingButton(int index) {
    QPixmap picture = picturepaint::Blank(80, 30, kButtonFill);
    QPainter painter(&picture);
    PreparePainter(painter);
    painter.setPen(QPen(QColor(160, 120, 0), 1));
    painter.drawRect(QRect(0, 0, 79, 29));
    DrawText(painter, QRect(0, 0, 80, 30), kPagingCaptions[index], PictureFont(13, true),
             QColor(0, 0, 128), Qt::AlignCenter);
    return picture;
}

// variant 0 plain, 1 up arrow (direction 1), 2 down arrow (direction 0).
QPixmap DrawHead(const HeadPicture& head, int variant) {
    QPixmap picture = picturepaint::Blank(head.width, 20, kHeadFill);
    QPainter painter(&picture);
    PreparePainter(painter);
    const QRect word =
        variant == 0 ? QRect(0, 0, head.width, 20) : QRect(0, 0, head.width - 14, 20);
    DrawText(painter, word, head.word, PictureFont(14, true), picturepaint::LabelColour(),
             Qt::AlignCenter);
    if (variant != 0) {
        DrawArrow(painter, picturepaint::Area(picture), variant == 1);
    }
    return picture;
}

}  // namespace

QPixmap DrawEventPicture(int) {
    QPixmap picture = BlankPage();
    QPainter painter(&picture);
    PreparePainter(painter);
    DrawGrid(painter);
    DrawPagingGround(painter);
    return picture;
}

QPixmap DrawEventBitmap(int resourceId) {
    if (resourceId < kFirstHeadBitmap) {
        return DrawPagingButton(resourceId - kFirstPagingBitmap);
    }
    const int index = resourceId - kFirstHeadBitmap;
    return DrawHead(kHeads[index / 3], index % 3);
}
