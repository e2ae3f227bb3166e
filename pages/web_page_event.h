// CWebPage_Event: the "Event" page: the unit's event list, one screen page of eighteen rows at a
// time (dryer, event, description, date, time), with the current page and the number of pages.
// The unit keeps the list, its sort order and the current page; the page asks for the first,
// previous, next or last screen page (unit page 61) and for a sort by dryer, event or date, and
// shows whatever the unit returns.
//
// Beside the unit's own controls the page has "Export events...": it asks for the whole list to be
// read and saved (exportRequested); the reader of the list sends its requests through
// SendListRequest and gets each reply through replyShown. A click on a paging button or a head,
// or leaving the page, is told first (operatorAction), so that a reading underway stops before
// the operator's own request goes out.
//
// UI thread only.
#pragma once

#include <array>
#include <string>

#include "pages/event_list.h"
#include "pages/web_page.h"

class CButtonEx;
class QPushButton;
class CStaticEx;

constexpr int IDC_PAGE_LABEL = 50000;

class CWebPage_Event : public CWebPage {
    Q_OBJECT
public:
    explicit CWebPage_Event(QWidget* parent);

    void OnSetActive() override;
    void OnKillActive() override;
    void OnReply(const std::string& text) override;
    // The reply ends in "\r\nEOT".
    int TrailerLength() const override { return 5; }

    // Paging button `id` (30001..30004) clicked.
    void OnPaging(int id);
    // Column head `id` (40001..40004) clicked.
    void OnHead(int id);

    // The sort key and direction, and the heads' pictures.
    const EventSortHeads& Sort() const { return m_sort; }

    CStaticEx* Cell(int row, int column) const { return m_grid[row][column]; }
    CStaticEx* PageLabel() const { return m_label; }
    CStaticEx* Head(int id) const { return m_heads[id - kFirstHead]; }
    CButtonEx* PagingButton(int step) const { return m_paging[step - 1]; }
    QPushButton* ExportButton() const { return m_export; }

    // A request of whoever reads the whole list: the latest request wins (one outstanding before
    // it is abandoned), and the page must be the active one. True when it was queued.
    bool SendListRequest(const std::string& text);

signals:
    // "Export events..." was pressed.
    void exportRequested();
    // A reply of the unit, without its "\r\nEOT", with every event line it holds.
    void replyShown(const std::string& text);
    // The operator clicked a paging button or a head, or left the page.
    void operatorAction();

private:
    // The sort head's accessible name and the order it shows.
    void NameHead(int index);
    void CreateHeads();
    void CreatePaging();
    void CreateGrid();
    void ShowHeadPictures();

    EventSortHeads m_sort;
    std::array<CStaticEx*, kHeadCount> m_heads{};
    std::array<CButtonEx*, 4> m_paging{};
    std::array<std::array<CStaticEx*, kEventColumns>, kEventRows> m_grid{};
    CStaticEx* m_label = nullptr;
    QPushButton* m_export = nullptr;
};
