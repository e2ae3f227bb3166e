// Picture 172, the Status page background (726 x 512): the dryer table with its column heads and
// eight empty rows, the cycle table below it with its six labels, and the note on the time format.
// The cells are drawn around the places where the page puts its values (status_layout.h).
#include <QPainter>
#include <array>

#include "res/fit_text.h"
#include "res/picture_drawers.h"
#include "res/picture_paint.h"
#include "res/status_layout.h"

namespace {

using namespace statuslayout;
using namespace picturepaint;

constexpr int kTableLeft = 40;
constexpr int kTableRight = 686;
constexpr int kHeadTop = 36;
// Column edges of the dryer table, halfway between neighbouring value columns.
constexpr std::array<int, 9> kColumnEdges = {kTableLeft,
                                             (kDryer.right + kOnline.left) / 2,
                                             (kOnline.right + kStandby.left) / 2,
                                             (kStandby.right + kAlarm.left) / 2,
                                             (kAlarm.right + kReset.left) / 2,
                                             (kReset.right + kAlarmTime.left) / 2,
                                             (kAlarmTime.right + kStatus.left) / 2,
                                             (kStatus.right + kModel.left) / 2,
                                             kTableRight};

// A row's band: from 9 pixels above its values to 9 pixels above the next row's.
int RowEdge(int k) {
    return k < 8 ? kRowTop[k] - 9 : kRowTop[7] + (kRowTop[7] - kRowTop[6]) - 9;
}

void DrawDryerTable(QPainter& painter) {
    const int headBottom = RowEdge(0);
    const int bottom = RowEdge(8);
    painter.fillRect(QRect(kTableLeft, kHeadTop, kTableRight - kTableLeft, headBottom - kHeadTop),
                     HeadColour());
    painter.fillRect(QRect(kTableLeft, headBottom, kTableRight - kTableLeft, bottom - headBottom),
                     CellColour());

    painter.setPen(LabelColour());
    painter.setFont(PictureFont(13, true));
    const std::array<const char*, 8> heads = {"Dryer", "Online",          "Standby", "Alarm",
                                              "Reset", "Alarm Date/Time", "Status",  "Model"};
    for (int c = 0; c < 8; ++c) {
        QRect cell(kColumnEdges[c], kHeadTop, kColumnEdges[c + 1] - kColumnEdges[c],
                   headBottom - kHeadTop);
        textfit::DrawFitted(painter, cell, Qt::AlignCenter, heads[c]);
    }

    painter.setPen(QPen(GridColour(), 1));
    for (int k = 0; k <= 8; ++k) {
        painter.drawLine(kTableLeft, RowEdge(k), kTableRight, RowEdge(k));
    }
    painter.drawLine(kTableLeft, kHeadTop, kTableRight, kHeadTop);
    for (int edge : kColumnEdges) {
        painter.drawLine(edge, kHeadTop, edge, bottom);
    }
}

void DrawCycleTable(QPainter& painter) {
    const int top = kLowerTop[0] - 9;
    const int pitch = kLowerTop[1] - kLowerTop[0];
    const int bottom = top + 3 * pitch;
    const int leftValue = kLowerLeft.left - 6;
    const int middle = kLowerLeft.right + 8;
    const int rightValue = kLowerRight.left - 6;

    painter.fillRect(QRect(kTableLeft, top, kTableRight - kTableLeft, bottom - top), CellColour());
    painter.fillRect(QRect(kTableLeft, top, leftValue - kTableLeft, bottom - top), HeadColour());
    painter.fillRect(QRect(middle, top, rightValue - middle, bottom - top), HeadColour());

    painter.setPen(LabelColour());
    painter.setFont(PictureFont(13, true));
    const std::array<const char*, 3> leftLabels = {"Cycle Mode:", "Next Cycle:", "Current Time:"};
    const std::array<const char*, 3> rightLabels = {
        "Minimum Number of Dryers Online:", "Roster:", "Skip Weekends:"};
    for (int r = 0; r < 3; ++r) {
        const int y = top + r * pitch;
        textfit::DrawFitted(painter, QRect(kTableLeft + 8, y, leftValue - kTableLeft - 16, pitch),
                            Qt::AlignVCenter | Qt::AlignRight, leftLabels[r]);
        textfit::DrawFitted(painter, QRect(middle + 8, y, rightValue - middle - 16, pitch),
                            Qt::AlignVCenter | Qt::AlignRight, rightLabels[r]);
    }

    painter.setPen(QPen(GridColour(), 1));
    for (int r = 0; r <= 3; ++r) {
        painter.drawLine(kTableLeft, top + r * pitch, kTableRight, top + r * pitch);
    }
    for (int x : {kTableLeft, leftValue, middle, rightValue, kTableRight}) {
        painter.drawLine(x, top, x, bottom);
    }

    painter.setPen(LabelColour());
    painter.setFont(PictureFont(12, false));
    textfit::DrawFitted(painter, QRect(kTableLeft, bottom + 6, kTableRight - kTableLeft, 18),
                        Qt::AlignLeft | Qt::AlignVCenter, "Time shown in 24 Hour Format");
}

}  // namespace

QPixmap DrawStatusPicture(int) {
    QPixmap pixmap = Blank(kPictureWidth, kPictureHeight, PageColour());
    QPainter painter(&pixmap);
    DrawDryerTable(painter);
    DrawCycleTable(painter);
    return pixmap;
}
