// CSortHeaderCtrl: the heading row of the sortable list. It draws an arrow on the heading of the
// sort column, up for ascending and down for descending. A heading is drawn by this control from
// the first time its column is sorted on (then without arrow once another column takes the sort);
// headings never sorted keep the standard look.
//
// UI thread only.
#pragma once

#include <QHeaderView>
#include <cstdint>
#include <set>
#include <vector>

class CSortHeaderCtrl : public QHeaderView {
    Q_OBJECT
public:
    explicit CSortHeaderCtrl(QWidget* parent = nullptr);

    int m_nSortCol = -1;  // the column with the arrow, -1 for none
    int m_bSortAsc = 1;   // 1 ascending, 0 descending

    // Records the sort column and direction, takes over the drawing of that heading, repaints.
    void SetSortImage(int column, bool ascending);
    bool IsOwnerDrawn(int column) const { return m_ownerDrawn.count(column) != 0; }

    // The column widths as a width record (see controls/profile_binary.h), and back. Loading
    // applies the widths only when the record holds as many columns as the header has.
    std::vector<uint8_t> StoreWidths() const;
    bool LoadWidths(const std::vector<uint8_t>& record);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void DrawHeading(QPainter* painter, const QRect& rect, int column) const;
    void DrawArrow(QPainter* painter, const QRect& rect) const;

    std::set<int> m_ownerDrawn;
    int m_pressed = -1;  // the heading held down by the mouse
};
