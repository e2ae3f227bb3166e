// 221: the Cycle Set Up page background, 726 x 512. On the left the dryer table (Dryer, Status,
// Model; rows 1 to 8) and the minimum number of dryers online; on the right the caption of every
// setting above the place of its field. The cells sit under the page's controls.
#include "res/cycle_layout.h"
#include "res/page_picture_kit.h"
#include "res/picture_drawers.h"

using namespace picturekit;

namespace {

const QColor kCellFill(224, 255, 255);  // the colour the page gives its dryer rows

using namespace cyclelayout;

// The dryer table, with a row band around each dryer's status box and model edit.
constexpr int kTableLeft = 30;
constexpr int kDryerRight = 128;
constexpr int kStatusLeft = 132;
constexpr int kStatusRight = 252;
constexpr int kModelLeft = 282;
constexpr int kModelRight = 398;
constexpr int kHeadTop = 36;
constexpr int kFirstRowTop = kStatusTop - 7;  // the band starts a little above the boxes

void DrawDryerTable(QPainter& painter) {
    const QFont head = PictureFont(15, true);
    const QFont number = PictureFont(15, true);
    const int tableBottom = kFirstRowTop + 8 * kRowPitch;
    painter.fillRect(QRect(kTableLeft, kHeadTop, kModelRight - kTableLeft, kFirstRowTop - kHeadTop),
                     picturepaint::HeadColour());
    DrawText(painter, QRect(kTableLeft, kHeadTop, kDryerRight - kTableLeft, 34), "Dryer", head,
             picturepaint::LabelColour(), Qt::AlignCenter);
    DrawText(painter, QRect(kStatusLeft, kHeadTop, kStatusRight - kStatusLeft, 34), "Status", head,
             picturepaint::LabelColour(), Qt::AlignCenter);
    DrawText(painter, QRect(kModelLeft, kHeadTop, kModelRight - kModelLeft, 34), "Model", head,
             picturepaint::LabelColour(), Qt::AlignCenter);
    for (int k = 0; k < 8; ++k) {
        const int top = kFirstRowTop + k * kRowPitch;
        const QColor band = k % 2 ? QColor(246, 250, 252) : QColor(232, 240, 246);
        painter.fillRect(QRect(kTableLeft, top, kModelRight - kTableLeft, kRowPitch), band);
        DrawText(painter, QRect(kTableLeft, top + 7, kDryerRight - kTableLeft, 23),
                 QString::number(k + 1), number, picturepaint::LabelColour(), Qt::AlignCenter);
        const int pitch = k * kRowPitch;
        DrawCell(
            painter,
            QRect(kStatus.left, kStatusTop + pitch, kStatus.right - kStatus.left, kComboHeight),
            kCellFill);
        DrawCell(painter,
                 QRect(kModel.left, kModelTop + pitch, kModel.right - kModel.left, kModelHeight),
                 kCellFill);
    }
    painter.setPen(QPen(picturepaint::GridColour(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(kTableLeft, kHeadTop, kModelRight - kTableLeft, tableBottom - kHeadTop));
    for (int x : {kDryerRight + 2, kModelLeft - 14}) {
        painter.drawLine(x, kHeadTop, x, tableBottom);
    }

    // The minimum number of dryers online: its box is at x 308..380, y 396.
    DrawText(painter, QRect(kTableLeft, 396, 272, 24),
             "Minimum Number of Dryers Online:", PictureFont(14, true), CaptionInk(),
             Qt::AlignRight | Qt::AlignVCenter);
    DrawCell(painter, QRect(308, 396, 72, 24), kCellFill);
}

// One setting on the right: its caption above the field at `fieldTop`.
void DrawSetting(QPainter& painter, int fieldTop, const QString& caption,
                 const QString& note = QString()) {
    const QRect area(470, fieldTop - (note.isEmpty() ? 26 : 42), 236, note.isEmpty() ? 24 : 40);
    DrawText(painter, QRect(area.left(), area.top(), area.width(), 22), caption,
             PictureFont(14, true), CaptionInk(), Qt::AlignLeft | Qt::AlignVCenter);
    if (!note.isEmpty()) {
        DrawText(painter, QRect(area.left(), area.top() + 20, area.width(), 18), note,
                 PictureFont(12, false), picturepaint::LabelColour(),
                 Qt::AlignLeft | Qt::AlignVCenter);
    }
    painter.setPen(QPen(QColor(160, 176, 192), 1));
    painter.drawLine(area.left(), fieldTop - 3, 700, fieldTop - 3);
}

}  // namespace

QPixmap DrawCyclePicture(int) {
    QPixmap picture = BlankPage();
    QPainter painter(&picture);
    PreparePainter(painter);
    DrawDryerTable(painter);

    DrawSetting(painter, 76, "Set Next Cycle Time", "(Time shown in 24 Hour Format)");
    DrawSetting(painter, 156, "Set Cycle Mode");
    DrawSetting(painter, 236, "Set Dryer To Maintenance");
    DrawSetting(painter, 316, "Set Dryer To Exercise");
    DrawSetting(painter, 396, "Set Skip Weekends");
    DrawSetting(painter, 476, "Set Alarm Delay");
    return picture;
}
