#include "pages/web_page_event.h"

#include <QPushButton>

#include "app/core/document.h"
#include "app/latin1.h"
#include "app/state/app_state.h"
#include "controls/button_ex.h"
#include "controls/static_ex.h"
#include "engine/command_node.h"
#include "engine/system.h"
#include "pages/dialog_units.h"
#include "res/event_layout.h"
#include "res/pictures.h"

namespace {

constexpr const char* kPagingCaptions[] = {"First Page", "Prev Page", "Next Page", "Last Page"};

using namespace eventlayout;

// Heads in creation order, with their places.
struct HeadPlace {
    int id;
    Span span;
};
constexpr HeadPlace kHeadPlaces[] = {{kHeadDryer, kDryerHead},
                                     {kHeadEvent, kEventHead},
                                     {kHeadDate, kDateHead},
                                     {kHeadTime, kTimeHead}};

constexpr int kFirstGridId = 10000;

// "Export events...", left of the paging buttons under the grid.
constexpr Span kExportButton = {20, 150};

}  // namespace

CWebPage_Event::CWebPage_Event(QWidget* parent)
    : CWebPage(PAGE_EVENT, CMD_PAGE_EVENT, STATUS_PAGE_EVENT, parent) {
    CreateHeads();
    CreatePaging();
    CreateGrid();
    m_label = new CStaticEx(this);
    m_label->setFont(font());
    m_label->Create(
        QString(), WS_VISIBLE,
        dlgunits::FromLTRB(kPageLabel.left, kPageLabelTop, kPageLabel.right, kPageLabelBottom),
        this, IDC_PAGE_LABEL);
    m_label->SetAccessibleInfo("Event list page");
    m_export = new QPushButton(tr("Export events..."), this);
    m_export->setObjectName(QStringLiteral("exportEvents"));
    m_export->setGeometry(
        dlgunits::FromLTRB(kExportButton.left, kPagingTop, kExportButton.right, kPagingBottom));
    connect(m_export, &QPushButton::clicked, this, &CWebPage_Event::exportRequested);
    SetBackground(res::IDR_EVENT_JPG);
}

void CWebPage_Event::CreateHeads() {
    for (const HeadPlace& place : kHeadPlaces) {
        auto* head = new CStaticEx(this);
        head->m_nDrawMode = DRAW_BITMAP;
        head->Create(QString(), WS_VISIBLE | SS_NOTIFY,
                     dlgunits::FromLTRB(place.span.left, kHeadTop, place.span.right, kHeadBottom),
                     this, place.id);
        connect(head, &CStaticEx::Clicked, this, &CWebPage_Event::OnHead);
        m_heads[place.id - kFirstHead] = head;
        NameHead(place.id - kFirstHead);
    }
}

void CWebPage_Event::CreatePaging() {
    for (int i = 0; i < 4; ++i) {
        auto* button = new CButtonEx(QString(), this);
        button->setObjectName(kPagingCaptions[i]);
        button->setAccessibleName(kPagingCaptions[i]);
        button->setToolTip(kPagingCaptions[i]);
        button->setGeometry(dlgunits::FromLTRB(kPagingButtons[i].left, kPagingTop,
                                               kPagingButtons[i].right, kPagingBottom));
        const QPixmap picture = LoadPicture(res::IDB_PAGING_FIRST + i);
        button->setIcon(QIcon(picture));
        button->setIconSize(picture.deviceIndependentSize().toSize());
        button->setFlat(true);
        const int id = kFirstPageButton + i;
        connect(button, &QPushButton::clicked, this, [this, id] { OnPaging(id); });
        m_paging[i] = button;
    }
}

void CWebPage_Event::CreateGrid() {
    for (int r = 0; r < kEventRows; ++r) {
        const int top = kFirstRowTop + kRowPitch * r;
        for (int c = 0; c < kEventColumns; ++c) {
            auto* cell = new CStaticEx(this);
            cell->setFont(font());
            cell->Create(
                QString(), WS_VISIBLE,
                dlgunits::FromLTRB(kColumns[c].left, top, kColumns[c].right, top + kRowHeight),
                this, kFirstGridId + kEventColumns * r + c);
            m_grid[r][c] = cell;
            static const char* const kColumnNames[kEventColumns] = {"Dryer", "Event", "Description",
                                                                    "Date", "Time"};
            cell->SetAccessibleInfo(QString("Event row %1, %2").arg(r + 1).arg(kColumnNames[c]));
        }
    }
}

void CWebPage_Event::ShowHeadPictures() {
    for (int i = 0; i < kHeadCount; ++i) {
        m_heads[i]->m_nBitmapID = m_sort.Bitmap(kFirstHead + i);
        m_heads[i]->update();
        NameHead(i);
    }
}

void CWebPage_Event::NameHead(int index) {
    static const char* const kNames[kHeadCount] = {"Event", "Dryer", "Date", "Time"};
    // Each head has three pictures from the first one on: plain, up arrow, down arrow.
    const int bitmap = m_heads[index]->m_nBitmapID;
    const int variant =
        bitmap >= res::IDB_PAGING_FIRST + 4 ? (bitmap - res::IDB_PAGING_FIRST - 4) % 3 : 0;
    static const char* const kOrder[3] = {"not sorted", "sorted ascending", "sorted descending"};
    m_heads[index]->SetAccessibleInfo(QString("%1 column, sort").arg(kNames[index]),
                                      kOrder[variant]);
}

void CWebPage_Event::OnSetActive() {
    CWebPage::OnSetActive();
    m_sort.ShowDefaults();
    ShowHeadPictures();
    SendRequest(BuildEventRequest(0, -1));
}

void CWebPage_Event::OnKillActive() {
    emit operatorAction();
    CWebPage::OnKillActive();
}

bool CWebPage_Event::SendListRequest(const std::string& text) {
    return SendRequest(text, WaitGuard::Ignore);
}

void CWebPage_Event::OnPaging(int id) {
    emit operatorAction();
    if (!theApp().CheckLoggedIn()) {
        return;
    }
    SendRequest(BuildEventRequest(id - kFirstPageButton + 1, -1));
}

void CWebPage_Event::OnHead(int id) {
    emit operatorAction();
    if (!theApp().CheckLoggedIn()) {
        return;
    }
    m_sort.Click(id);
    ShowHeadPictures();
    SendRequest(BuildEventRequest(m_sort.m_nSortKey, m_sort.m_nSortDir));
}

void CWebPage_Event::OnReply(const std::string& text) {
    const EventScreen screen = ParseEventReply(text);
    m_label->SetWindowText(FromLatin1(screen.label));
    for (int r = 0; r < kEventRows; ++r) {
        for (int c = 0; c < kEventColumns; ++c) {
            m_grid[r][c]->SetWindowText(FromLatin1(screen.rows[r][c]));
        }
    }
    emit replyShown(text);
}
