// 175: the Reporting Set Up page background, 726 x 512: the System Name box; the EMail section
// with the Telephone Entry table (Email Address, Description; rows #1 to #3) and the Server table
// (SMTP Server, SMTP User Name, SMTP Password, Email Address, and Secure?); the Pager section with
// three blocks of Pager Description, Service Phone and Pager script. The page's borderless edits
// sit in the picturepaint::CellColour() cells.
#include <array>

#include "res/page_picture_kit.h"
#include "res/picture_drawers.h"
#include "res/reporting_layout.h"

using namespace picturekit;

namespace {

const QColor kCellFill = picturepaint::CellColour();
using namespace reportinglayout;

QRect Cell(Span span, int top) {
    return QRect(span.left, top, span.right - span.left, kRowHeight);
}

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
    DrawCell(painter, Cell(kSystemName, kSystemNameTop), kCellFill);
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
        DrawCell(painter, Cell(kEmailAddress, y), kCellFill);
        DrawCell(painter, Cell(kEmailDescription, y), kCellFill);
    }

    // Server: the edits at x 552..710; the Secure check box at (637, 98).
    DrawText(painter, QRect(436, 90, 100, 24), "Server", PictureFont(14, true), CaptionInk());
    DrawText(painter, QRect(540, 96, 92, kRowHeight), "Secure?", LabelFont(),
             picturepaint::LabelColour(), Qt::AlignRight | Qt::AlignVCenter);
    const char* labels[] = {"SMTP Server:", "SMTP User Name:", "SMTP Password:", "Email Address:"};
    for (size_t i = 0; i < kServerRows.size(); ++i) {
        DrawLabelCell(painter, QRect(430, kServerRows[i], 118, kRowHeight), labels[i],
                      Cell(kServerValue, kServerRows[i]));
    }
}

void DrawPagerSection(QPainter& painter) {
    DrawFrame(painter, QRect(8, 250, 710, 200), "Pager (Telephone Entry)");
    for (size_t i = 0; i < kPagerBlocks.size(); ++i) {
        const int y = kPagerBlocks[i];
        DrawText(painter, QRect(14, y, 30, kRowHeight), QString("#%1").arg(i + 1), LabelFont(),
                 CaptionInk(), Qt::AlignCenter);
        DrawLabelCell(painter, QRect(100, y, 151, kRowHeight),
                      "Pager Description:", Cell(kPagerDescription, y));
        DrawLabelCell(painter, QRect(430, y, 118, kRowHeight),
                      "Service Phone:", Cell(kServicePhone, y));
        // The "Style" link of the block stands at x 45..100 of the script line.
        DrawLabelCell(painter, QRect(104, y + kScriptOffset, 147, kRowHeight),
                      "Pager script:", Cell(kScript, y + kScriptOffset));
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
