// CWebPage_Config: the "Cycle Set Up" page. Each time it becomes the active page it reads the
// unit's cycle settings (unit page 52) and shows, for each present dryer, its status and model,
// and below and beside them the minimum number of dryers online, the next cycle time, the cycle
// mode (24HR, 48HR, or DAYS with chosen weekdays), the dryers set to maintenance and exercise,
// skip weekends and the alarm delay. "Accept" writes the form back (unit page 53) after asking for
// the password; it is offered only while the form differs from the last reply.
//
// UI thread only.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <array>
#include <optional>
#include <string>

#include "pages/cycle_settings.h"
#include "pages/web_page.h"

class AcceptWatch;
class CButtonEx;
class CStaticEx;

constexpr int IDC_DAY_STRIP = 20000;
constexpr int IDC_DAY_FIRST = 20001;  // 20001..20005: Monday..Friday

class CWebPage_Config : public CWebPage {
    Q_OBJECT
public:
    explicit CWebPage_Config(QWidget* parent);

    void OnSetActive() override;
    void OnKillActive() override;
    void OnReply(const std::string& text) override;

    // "Accept" clicked.
    void OnAccept();
    // Day toggle `id` (20001..20005) clicked.
    void OnDayClicked(int id);
    // The operator chose cycle mode `index` (2 is DAYS).
    void OnModeChosen(int index);

    // The form as it stands, and its settings text.
    CycleForm ReadForm() const;

    // Current day bits of the DAYS mode; canonical settings of the last reply (empty before one).
    int m_nDayMask = 0;
    std::string m_strShownSettings;

    // The controls, for tests.
    QLineEdit* CycleTime(int i) const { return m_cycleTime[i]; }
    QComboBox* Mode() const { return m_mode; }
    QComboBox* Maintenance() const { return m_maintenance; }
    QComboBox* Exercise() const { return m_exercise; }
    QComboBox* Duration() const { return m_duration; }
    QComboBox* SkipWeekends() const { return m_skipWeekends; }
    QComboBox* MinOnline() const { return m_minOnline; }
    QComboBox* AlarmDelay() const { return m_alarmDelay; }
    QComboBox* DryerStatus(int k) const { return m_status[k]; }
    QLineEdit* DryerModel(int k) const { return m_model[k]; }
    CStaticEx* DayStrip() const { return m_strip; }
    CStaticEx* DayToggle(int day) const { return m_days[day]; }
    CButtonEx* AcceptButton() const { return m_accept; }
    CStaticEx* AcceptPicture() const { return m_acceptGrey; }
    AcceptWatch* Watch() const { return m_watch; }

private:
    void CreateTemplateControls();
    void CreateDayStrip();
    void CreateDryerRows();
    QComboBox* MakeCombo(const QRect& rect, const QStringList& items);
    void ShowDays(bool daysMode);
    // The day toggle's accessible name and whether it is selected.
    void NameDay(int day);
    void ShowReply(const CycleReply& reply);

    std::array<QLineEdit*, 2> m_cycleTime{};
    QComboBox* m_mode = nullptr;
    QComboBox* m_maintenance = nullptr;
    QComboBox* m_exercise = nullptr;
    QComboBox* m_duration = nullptr;
    QComboBox* m_skipWeekends = nullptr;
    QComboBox* m_minOnline = nullptr;
    QComboBox* m_alarmDelay = nullptr;
    std::array<QComboBox*, kDryerCount> m_status{};
    std::array<QLineEdit*, kDryerCount> m_model{};
    CStaticEx* m_strip = nullptr;
    std::array<CStaticEx*, 5> m_days{};
    CButtonEx* m_accept = nullptr;
    CStaticEx* m_acceptGrey = nullptr;
    AcceptWatch* m_watch = nullptr;
};
