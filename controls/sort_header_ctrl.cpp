#include "controls/sort_header_ctrl.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/profile_binary.h"

CSortHeaderCtrl::CSortHeaderCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setHighlightSections(false);
    setStretchLastSection(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void CSortHeaderCtrl::SetSortImage(int column, bool ascending) {
    m_nSortCol = column;
    m_bSortAsc = ascending ? 1 : 0;
    m_ownerDrawn.insert(column);
    viewport()->update();
}

std::vector<uint8_t> CSortHeaderCtrl::StoreWidths() const {
    std::vector<int> widths;
    for (int i = 0; i < count(); ++i) {
        widths.push_back(sectionSize(i));
    }
    return profilebinary::StoreWidths(widths);
}

bool CSortHeaderCtrl::LoadWidths(const std::vector<uint8_t>& record) {
    auto widths = profilebinary::LoadWidths(record);
    if (!widths || static_cast<int>(widths->size()) != count()) {
        return false;
    }
    for (int i = 0; i < count(); ++i) {
        resizeSection(i, (*widths)[i]);
    }
    viewport()->update();
    return true;
}

void CSortHeaderCtrl::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!IsOwnerDrawn(logicalIndex)) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    painter->save();
    painter->setClipRect(rect);
    DrawHeading(painter, rect, logicalIndex);
    painter->restore();
}

void CSortHeaderCtrl::DrawHeading(QPainter* painter, const QRect& rect, int column) const {
    painter->fillRect(rect, palette().color(QPalette::Button));
    // The divider on the right, as the standard headings have.
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());

    QString text = model() ? model()->headerData(column, orientation()).toString() : QString();
    text.truncate(255);
    int alignment = Qt::AlignLeft;
    QVariant align =
        model() ? model()->headerData(column, orientation(), Qt::TextAlignmentRole) : QVariant();
    if (align.isValid()) {
        int h = align.toInt() & Qt::AlignHorizontal_Mask;
        if (h & Qt::AlignHCenter) {
            alignment = Qt::AlignHCenter;
        } else if (h & Qt::AlignRight) {
            alignment = Qt::AlignRight;
        }
    }

    QRect textRect = rect;
    if (m_pressed == column) {
        textRect.adjust(1, 2, 1, 0);
    }
    int off = rect.height() / 4;
    if (column == m_nSortCol) {
        textRect.setRight(textRect.right() - 3 * off);
    }
    textRect.adjust(off, 0, -off, 0);
    if (textRect.width() > 0) {
        painter->setPen(palette().color(QPalette::ButtonText));
        QString shown = painter->fontMetrics().elidedText(text, Qt::ElideRight, textRect.width());
        painter->drawText(textRect, alignment | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
    if (column == m_nSortCol) {
        DrawArrow(painter, rect);
    }
}

// A triangle of 1-pixel lines in the light and shadow colours of a raised edge, at the right of
// the heading, sized by a quarter of the heading's height: apex up for ascending, down for
// descending.
void CSortHeaderCtrl::DrawArrow(QPainter* painter, const QRect& rect) const {
    const int off = rect.height() / 4;
    const int r = rect.left() + rect.width();  // the right edge, exclusive
    const int t = rect.top();
    const int b = rect.top() + rect.height();  // the bottom edge, exclusive
    QPen light(palette().color(QPalette::Light), 1);
    QPen shadow(palette().color(QPalette::Dark), 1);
    if (m_bSortAsc) {
        painter->setPen(light);
        painter->drawLine(r - 2 * off, t + off, r - off, b - off - 1);
        painter->drawLine(r - off, b - off - 1, r - 3 * off - 2, b - off - 1);
        painter->setPen(shadow);
        painter->drawLine(r - 3 * off - 1, b - off - 1, r - 2 * off, t + off - 1);
    } else {
        painter->setPen(light);
        painter->drawLine(r - off - 1, t + off, r - 2 * off - 1, b - off);
        painter->setPen(shadow);
        painter->drawLine(r - 2 * off - 2, b - off, r - 3 * off - 1, t + off);
        painter->drawLine(r - 3 * off - 1, t + off, r - off - 1, t + off);
    }
}

void CSortHeaderCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed = logicalIndexAt(event->position().toPoint());
        viewport()->update();
    }
    QHeaderView::mousePressEvent(event);
}

void CSortHeaderCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_pressed >= 0) {
        m_pressed = -1;
        viewport()->update();
    }
    QHeaderView::mouseReleaseEvent(event);
}
