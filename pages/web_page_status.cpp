#include "pages/web_page_status.h"

#include "app/core/document.h"
#include "app/latin1.h"
#include "controls/static_ex.h"
#include "engine/command_node.h"
#include "engine/page_windows.h"
#include "engine/system.h"
#include "pages/dialog_units.h"
#include "pages/dryer_colour.h"
#include "platform/clock.h"
#include "res/pictures.h"
#include "res/status_layout.h"

namespace {

using namespace statuslayout;
using dlgunits::FromLTRB;

constexpr int kPollTimerId = 1;
constexpr int kStatusUnitPage = 60;
constexpr int kResetUnitPage = 51;
constexpr const char* kWeekdayNames[5] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday"};

QRect RowRect(const Span& span, int top, int height) {
    return FromLTRB(span.left, top, span.right, top + height);
}

}  // namespace

CWebPage_Status::CWebPage_Status(QWidget* parent)
    : CWebPage(PAGE_STATUS, CMD_PAGE_STATUS, STATUS_PAGE_STATUS, parent) {
    CreateStrip();
    CreateRows();
    CreateLower();
    SetBackground(res::IDR_STATUS_JPG);

    // The poll runs on the program's clock, so that tests may run it faster.
    const double scale = std::max(platform::Clock::TimeScale(), 1.0);
    m_pollTimer.setInterval(std::max(1, static_cast<int>(kStatusPollMs / scale)));
    connect(&m_pollTimer, &QTimer::timeout, this, [this] { OnTimer(kPollTimerId); });
    m_pollTimer.start();
}

CStaticEx* CWebPage_Status::MakeStatic(const QString& text, unsigned style, const QRect& rect,
                                       int id) {
    auto* control = new CStaticEx(this);
    control->Create(text, style | WS_VISIBLE, rect, this, id);
    return control;
}

void CWebPage_Status::CreateStrip() {
    m_strip = MakeStatic("", SS_LEFT, FromLTRB(kStripLeft, kStripTop, kStripEdges[5], kStripBottom),
                         3000);
    m_strip->m_nDrawMode = DRAW_BITMAP;
    m_strip->m_nBitmapID = res::IDB_WEEKDAY_STRIP;
    m_strip->hide();
    m_strip->SetAccessibleInfo("Cycle days", "none");
    for (int day = 0; day < 5; ++day) {
        m_weekdays[day] = MakeStatic(
            "", SS_LEFT, FromLTRB(kStripEdges[day], kStripTop, kStripEdges[day + 1], kStripBottom),
            2000 + day);
        m_weekdays[day]->m_nDrawMode = DRAW_BITMAP;
        m_weekdays[day]->m_nBitmapID = res::IDB_WEEKDAY_LIT_FIRST + day;
        m_weekdays[day]->hide();
        m_weekdays[day]->SetAccessibleInfo(kWeekdayNames[day]);
    }
}

void CWebPage_Status::CreateRows() {
    auto lamp = [this](const Span& span, int top, int id, const QColor& colour,
                       const QString& name) {
        CStaticEx* control = MakeStatic("2", SS_CENTER, RowRect(span, top, kLampSize), id);
        control->m_nDrawMode = DRAW_LAMP;
        control->m_crColor = colour;
        control->hide();
        control->SetAccessibleInfo(name);
        return control;
    };
    for (int k = 0; k < 8; ++k) {
        const int y = kRowTop[k];
        const QString dryer = QString("Dryer %1, ").arg(k + 1);
        DryerRow& row = m_rows[k];
        row.number = MakeStatic("", SS_CENTER, RowRect(kDryer, y, kTextHeight), 1000 + k);
        row.standby = lamp(kStandby, y, 1100 + k, QColor(255, 165, 0), dryer + "Standby lamp");
        row.online = lamp(kOnline, y, 1200 + k, QColor(0, 128, 0), dryer + "Online lamp");
        row.alarm = lamp(kAlarm, y, 1300 + k, QColor(255, 0, 0), dryer + "Alarm lamp");
        row.reset = MakeStatic("RESET", SS_CENTER | SS_NOTIFY, RowRect(kReset, y, kTextHeight),
                               IDC_RESET_FIRST + k);
        row.reset->m_crColor = QColor(0, 0, 255);
        row.reset->hide();
        row.reset->SetAccessibleInfo(dryer + "RESET", "resets the alarm");
        connect(row.reset, &CStaticEx::Clicked, this, &CWebPage_Status::OnReset);
        row.alarmTime = MakeStatic("", SS_CENTER, RowRect(kAlarmTime, y, kTextHeight), 1500 + k);
        row.status = MakeStatic("", SS_CENTER, RowRect(kStatus, y, kTextHeight), 1600 + k);
        row.model = MakeStatic("", SS_CENTER, RowRect(kModel, y, kTextHeight), 1700 + k);
        row.alarmTime->SetAccessibleInfo(dryer + "Alarm Date/Time");
        row.status->SetAccessibleInfo(dryer + "Status");
        row.model->SetAccessibleInfo(dryer + "Model");
    }
}

void CWebPage_Status::CreateLower() {
    static const char* const kNames[6] = {"Cycle Mode",   "Next Cycle",
                                          "Current Time", "Minimum Number of Dryers Online",
                                          "Roster",       "Skip Weekends"};
    for (int r = 0; r < 3; ++r) {
        const int y = kLowerTop[r];
        m_lower[r] = MakeStatic("", SS_LEFT, RowRect(kLowerLeft, y, kTextHeight), 1800 + r);
        m_lower[3 + r] = MakeStatic("", SS_LEFT, RowRect(kLowerRight, y, kTextHeight), 1900 + r);
    }
    for (int i = 0; i < 6; ++i) {
        m_lower[i]->SetAccessibleInfo(kNames[i]);
    }
}

void CWebPage_Status::OnSetActive() {
    CWebPage::OnSetActive();
    // The first reply after coming back is shown in full, even if nothing changed.
    m_strLastReply.clear();
}

void CWebPage_Status::OnTimer(int id) {
    if (id != kPollTimerId) {
        return;
    }
    if (!CanSend()) {
        // No session: what the page shows is only the unit's last known state.
        SetStale(true);
    }
    // A poll whose reply can no longer come would otherwise stop the polling for good, and the
    // page would go on showing its last values as if they were live.
    if (RequestLost()) {
        m_bWaitReply = false;
    }
    SendRequest(BuildRead(kStatusUnitPage), WaitGuard::SkipSilently);
}

void CWebPage_Status::OnReset(int id) {
    const int dryer = id - (IDC_RESET_FIRST - 1);
    if (dryer < 1 || dryer > 8) {
        return;
    }
    const auto password = AskPassword([] {
        CHalvoricDoc* doc = TheDocument();
        return doc && doc->m_nActivePage.load() == PAGE_STATUS;
    });
    if (!password) {
        return;
    }
    // The reset goes out even while a poll is outstanding: it abandons the poll.
    SendRequest(BuildWrite(kResetUnitPage, *password, std::to_string(dryer)), WaitGuard::Ignore);
}

long CWebPage_Status::OnMessage(unsigned msg, intptr_t wParam, intptr_t lParam) {
    if (msg == platform::WM_PAGE_REPLY && lParam) {
        const auto* cell = reinterpret_cast<const ReplyCell*>(lParam);
        if (cell->text == m_strLastReply) {
            m_bWaitReply = false;
            return 0;
        }
        const long result = CWebPage::OnMessage(msg, wParam, lParam);
        m_strLastReply = cell->text;
        return result;
    }
    return CWebPage::OnMessage(msg, wParam, lParam);
}

void CWebPage_Status::OnReply(const std::string& text) {
    const StatusReply reply = ParseStatusReply(text);
    ShowDryers(reply);
    ShowCycle(reply);
    SetStale(false);
    emit statusShown(reply);
}

void CWebPage_Status::SetStale(bool stale) {
    if (stale == m_bStale) {
        return;
    }
    m_bStale = stale;
    if (stale) {
        // Back on line, the first reply is shown in full even when the unit has not changed.
        m_strLastReply.clear();
    }
    // Dimmed values stay readable. The RESET links stay as they are: a click on one still says
    // why nothing can be sent.
    for (QObject* child : children()) {
        auto* control = qobject_cast<CStaticEx*>(child);
        if (control && !(control->Style() & SS_NOTIFY)) {
            control->setEnabled(!stale);
        }
    }
}

void CWebPage_Status::ShowDryers(const StatusReply& reply) {
    for (int k = 0; k < 8; ++k) {
        DryerRow& row = m_rows[k];
        const DryerDetail& detail = reply.dryers[k];
        row.number->SetWindowText(QString::number(k + 1));
        row.alarm->setVisible(DryerBit(reply.alarmMask, k));
        row.online->setVisible(DryerBit(reply.onlineMask, k));
        row.standby->setVisible(DryerBit(reply.standbyMask, k));
        row.reset->setVisible(detail.alarm);
        for (CStaticEx* cell : {row.alarmTime, row.status, row.model}) {
            cell->m_crColor = QColorOf(detail.colour);
            cell->update();
        }
        row.alarmTime->SetWindowText(FromLatin1(detail.alarmTime));
        row.status->SetWindowText(FromLatin1(detail.status));
        row.model->SetWindowText(FromLatin1(detail.model));
    }
}

void CWebPage_Status::ShowCycle(const StatusReply& reply) {
    m_lower[0]->SetWindowText(reply.cycleDays ? QString() : FromLatin1(reply.cycleText));
    m_strip->setVisible(reply.cycleDays);
    QStringList days;
    for (int day = 0; day < 5; ++day) {
        m_weekdays[day]->setVisible(reply.cycleDays && reply.weekdays[day]);
        if (reply.weekdays[day]) {
            days << kWeekdayNames[day];
        }
    }
    m_strip->SetAccessibleInfo("Cycle days", days.isEmpty() ? "none" : days.join(", "));
    m_lower[1]->SetWindowText(FromLatin1(reply.nextCycle));
    m_lower[2]->SetWindowText(FromLatin1(reply.currentTime));
    m_lower[3]->SetWindowText(FromLatin1(reply.minimumOnline));
    m_lower[4]->SetWindowText(FromLatin1(reply.roster));
    m_lower[5]->SetWindowText(FromLatin1(reply.skipWeekends));
}
