// CWebPage_Status: the "Status" page. While it is the active page it reads the unit's status table
// every 5 seconds and shows, for each of the eight dryers, its Online, Standby and Alarm lamps,
// alarm date and time, status and model, and below them the unit's cycle settings (the weekdays of
// a "DAYS" cycle on a strip of letters). A dryer in alarm shows a "RESET" link that sends the
// reset command after asking for the password.
//
// UI thread only.
#pragma once

#include <QTimer>
#include <array>
#include <string>

#include "pages/web_page.h"

class CStaticEx;
struct StatusReply;

constexpr int kStatusPollMs = 5000;
constexpr int IDC_RESET_FIRST = 10001;  // 10001..10008: the RESET links of dryers 1..8

class CWebPage_Status : public CWebPage {
    Q_OBJECT
public:
    explicit CWebPage_Status(QWidget* parent);

    void OnSetActive() override;
    // Window timer `id` (1 is the poll).
    void OnTimer(int id);
    // A click on RESET link `id` (10001..10008).
    void OnReset(int id);

    // Keeps an unchanged reply from being shown again (returns 0 then).
    long OnMessage(unsigned msg, intptr_t wParam, intptr_t lParam) override;
    void OnReply(const std::string& text) override;

    // The last reply shown, with its "EOT"; empty before the first and after each activation.
    std::string m_strLastReply;
    // The values are the unit's last known state, not live: there was no session at a poll since
    // the last reply. They are shown dimmed until the next reply.
    bool IsStale() const { return m_bStale; }

    // The controls, for the host and for tests to read.
    struct DryerRow {
        CStaticEx* number = nullptr;
        CStaticEx* standby = nullptr;
        CStaticEx* online = nullptr;
        CStaticEx* alarm = nullptr;
        CStaticEx* reset = nullptr;
        CStaticEx* alarmTime = nullptr;
        CStaticEx* status = nullptr;
        CStaticEx* model = nullptr;
    };
    const DryerRow& Row(int k) const { return m_rows[k]; }
    CStaticEx* CycleMode() const { return m_lower[0]; }
    // 0 Cycle Mode, 1 Next Cycle, 2 Current Time, 3 Minimum Number of Dryers Online, 4 Roster,
    // 5 Skip Weekends.
    CStaticEx* LowerValue(int i) const { return m_lower[i]; }
    CStaticEx* Strip() const { return m_strip; }
    CStaticEx* Weekday(int day) const { return m_weekdays[day]; }

signals:
    // A reply from the unit was shown (unchanged replies are not shown again, so each emission is
    // a change or the first reply after the page was activated or came back on line).
    void statusShown(const StatusReply& reply);

private:
    void CreateStrip();
    void CreateRows();
    void CreateLower();
    CStaticEx* MakeStatic(const QString& text, unsigned style, const QRect& rect, int id);
    void ShowDryers(const StatusReply& reply);
    void ShowCycle(const StatusReply& reply);
    void SetStale(bool stale);

    std::array<DryerRow, 8> m_rows;
    std::array<CStaticEx*, 6> m_lower{};
    CStaticEx* m_strip = nullptr;
    std::array<CStaticEx*, 5> m_weekdays{};
    QTimer m_pollTimer;
    bool m_bStale = false;
};
