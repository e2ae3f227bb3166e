// 175: the Reporting Set Up page background, 726 x 512: the System Name box; the EMail section
// with the Telephone Entry table (Email Address, Description; rows #1 to #3) and the Server table
// (SMTP Server, SMTP User Name, SMTP Password, Email Address, and Secure?); the Pager section with
// three blocks of Pager Description, Service Phone and Pager script. The page's borderless edits
// sit in the picturepaint::CellColour() cells.
#include <array>

#include "res/page_picture_kit.h"
#include "res/picture_drawers.h"

using namespace picturekit;

namespace {

const QColor kCellFill = picturepaint::CellColour();
constexpr int kRowHeight = 20;
constexpr std::array<int, 3> kEmailRows = {150, 177, 204};
constexpr std::array<int, 4> kServerRows = {123, 150, 177, 204};
constexpr std::array<int, 3> kPagerBlocks = {271, 325, 379};

QFont LabelFont() {
    return PictureFont(13, true);
}

void DrawLabelCell(QPainter& painter, const QRect& labelArea, const QString& label,
                   const QRect& cell) {
    DrawText(painter, labelArea, label, LabelFont(), picturepaint::LabelColour(),
             Qt::AlignRight | Qt::AlignVCenter);
    DrawCell(painter, cell, kCellFill);
}

void DrawSystemName(QPainter& painter) {
    DrawText(painter, QRect(20, 24, 186, kRowHeight), "System Name:", PictureFont(15, true),
             CaptionInk(), Qt::AlignRight | Qt::AlignVCenter);
    DrawCell(painter, QRect(212, 24, 497, kRowHeight), kCellFill);
}

void DrawEmailSection(QPainter& painter) {
    DrawFrame(painter, QRect(8, 70, 710, 162), "EMail (Server &Telephone Entry)");

    // Telephone Entry: addresses at x 53..251, descriptions at x 255..423.
    DrawText(painter, QRect(18, 90, 400, 24), "Telephone Entry", PictureFont(14, true),
             CaptionInk());
    const QFont head = PictureFont(13, true);
    painter.fillRect(QRect(52, 124, 372, 22), picturepaint::HeadColour());
    DrawText(painter, QRect(53, 124, 198, 22), "Email Address", head, picturepaint::LabelColour(),
             Qt::AlignCenter);
    DrawText(painter, QRect(255, 124, 168, 22), "Description", head, picturepaint::LabelColour(),
             Qt::AlignCenter);
    for (size_t i = 0; i < kEmailRows.size(); ++i) {
        const int y = kEmailRows[i];
        DrawText(painter, QRect(14, y, 36, kRowHeight), QString("#%1").arg(i + 1), head,
                 picturepaint::LabelColour(), Qt::AlignCenter);
        DrawCell(painter, QRect(53, y, 198, kRowHeight), kCellFill);
        DrawCell(painter, QRect(255, y, 168, kRowHeight), kCellFill);
    }

    // Server: the edits at x 552..710; the Secure check box at (637, 98).
    DrawText(painter, QRect(436, 90, 100, 24), "Server", PictureFont(14, true), CaptionInk());
    DrawText(painter, QRect(540, 96, 92, kRowHeight), "Secure?", LabelFont(),
             picturepaint::LabelColour(), Qt::AlignRight | Qt::AlignVCenter);
    const char* labels[] = {"SMTP Server:", "SMTP User Name:", "SMTP Password:", "Email Address:"};
    for (size_t i = 0; i < kServerRows.size(); ++i) {
        DrawLabelCell(painter, QRect(430, kServerRows[i], 118, kRowHeight), labels[i],
                      QRect(552, kServerRows[i], 158, kRowHeight));
    }
}

void DrawPagerSection(QPainter& painter) {
    DrawFrame(painter, QRect(8, 250, 710, 200), "Pager (Telephone Entry)");
    for (size_t i = 0; i < kPagerBlocks.size(); ++i) {
        const int y = kPagerBlocks[i];
        DrawText(painter, QRect(14, y, 30, kRowHeight), QString("#%1").arg(i + 1), LabelFont(),
                 CaptionInk(), Qt::AlignCenter);
        DrawLabelCell(painter, QRect(100, y, 151, kRowHeight),
                      "Pager Description:", QRect(255, y, 168, kRowHeight));
        DrawLabelCell(painter, QRect(430, y, 118, kRowHeight),
                      "Service Phone:", QRect(552, y, 158, kRowHeight));
        // The "Style" link of the block stands at x 45..100 of the script line.
        DrawLabelCell(painter, QRect(104, y + 27, 147, kRowHeight),
                      "Pager script:", QRect(255, y + 27, 452, kRowHeight));
        if (i + 1 < kPagerBlocks.size()) {
            painter.setPen(QPen(QColor(200, 208, 216), 1));
            painter.drawLine(14, y + 51, 712, y + 51);
        }
    }
}

}  // namespace

QPixmap DrawReportingPicture(int) {
    QPixmap picture = BlankPage();
    QPainter painter(&picture);
    PreparePainter(painter);
    DrawSystemName(painter);
    DrawEmailSection(painter);
    DrawPagerSection(painter);
    return picture;
}
