#include "pages/web_page_config.h"

#include "app/core/document.h"
#include "app/latin1.h"
#include "controls/button_ex.h"
#include "controls/static_ex.h"
#include "controls/unit_text.h"
#include "engine/command_node.h"
#include "engine/system.h"
#include "pages/accept_watch.h"
#include "pages/dialog_units.h"
#include "platform/prompt.h"
#include "res/cycle_layout.h"
#include "res/pictures.h"

namespace {

constexpr int kCycleReadPage = 52;
constexpr int kCycleWritePage = 53;
constexpr int kCycleTimeLimits[2] = {11, 6};
using namespace cyclelayout;

// The colour of the dryer rows and the minimum-online box, over the picture's cells.
const QColor kRowColour(224, 255, 255);

void SetItems(QComboBox* combo, const std::vector<std::string>& items, int selection) {
    combo->clear();
    for (const std::string& item : items) {
        combo->addItem(FromLatin1(item));
    }
    combo->setCurrentIndex(selection);
}

void Colour(QComboBox* combo) {
    combo->setStyleSheet(
        QString("QComboBox { background: %1; border: 1px solid rgb(120, 130, 145); "
                "padding-left: 4px; }")
            .arg(kRowColour.name()));
}

}  // namespace

CWebPage_Config::CWebPage_Config(QWidget* parent)
    : CWebPage(PAGE_CYCLE, CMD_PAGE_CYCLE, STATUS_PAGE_CYCLE, parent) {
    CreateDayStrip();
    CreateDryerRows();
    CreateTemplateControls();
    // The table row by row, then the settings on the right from the top, then Accept.
    std::vector<QWidget*> order;
    for (int k = 0; k < kDryerCount; ++k) {
        order.push_back(m_status[k]);
        order.push_back(m_model[k]);
    }
    order.insert(order.end(), {m_minOnline, m_cycleTime[0], m_cycleTime[1], m_mode});
    order.insert(order.end(), m_days.begin(), m_days.end());
    order.insert(order.end(),
                 {m_maintenance, m_exercise, m_duration, m_skipWeekends, m_alarmDelay, m_accept});
    ChainTabs(order);
    m_watch = new AcceptWatch(
        m_accept, m_acceptGrey, [this] { return m_strShownSettings; },
        [this] { return ComposeSettings(ReadForm()); }, this);
    SetBackground(res::IDR_CYCLE_JPG);
}

QComboBox* CWebPage_Config::MakeCombo(const QRect& rect, const QStringList& items) {
    auto* combo = new QComboBox(this);
    combo->setGeometry(rect.x(), rect.y(), rect.width(), kComboHeight);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    KeepTextInView(combo);
    return combo;
}

void CWebPage_Config::CreateTemplateControls() {
    using dlgunits::PageRect;
    m_cycleTime[0] = new QLineEdit(this);
    m_cycleTime[0]->setGeometry(PageRect(278, 38, 46, 12));
    m_cycleTime[1] = new QLineEdit(this);
    m_cycleTime[1]->setGeometry(PageRect(339, 38, 29, 12));
    for (int i = 0; i < 2; ++i) {
        m_cycleTime[i]->setObjectName(QString("cycleTime%1").arg(i));
        LimitUnitText(m_cycleTime[i], kCycleTimeLimits[i]);
    }
    m_mode = MakeCombo(PageRect(272, 78, 36, 57), {"24HR", "48HR", "DAYS"});
    connect(m_mode, &QComboBox::activated, this, &CWebPage_Config::OnModeChosen);
    m_maintenance = MakeCombo(PageRect(278, 118, 90, 102), {});
    m_exercise = MakeCombo(PageRect(279, 158, 41, 75), {});
    m_duration = MakeCombo(PageRect(330, 158, 38, 49), {"8 HR", "16 HR", "24 HR"});
    m_skipWeekends = MakeCombo(PageRect(278, 198, 91, 62), {"Yes", "No"});
    m_minOnline = MakeCombo(PageRect(176, 198, 41, 96), {});
    Colour(m_minOnline);
    QStringList delays = {"None"};
    for (int s = 1; s <= 10; ++s) {
        delays << QString("%1 Seconds").arg(s);
    }
    m_alarmDelay = MakeCombo(PageRect(278, 238, 91, 62), delays);

    m_accept = CreateAcceptButton(this, PageRect(109, 231, 52, 14));
    connect(m_accept, &QPushButton::clicked, this, &CWebPage_Config::OnAccept);
    m_acceptGrey = CreateAcceptPicture(this, dlgunits::FromLTRB(190, 463, 281, 489));
}

void CWebPage_Config::CreateDayStrip() {
    m_strip = new CStaticEx(this);
    m_strip->m_nDrawMode = DRAW_BITMAP;
    m_strip->m_nBitmapID = res::IDB_WEEKDAY_STRIP;
    m_strip->Create(QString(), 0,
                    dlgunits::FromLTRB(kDayEdges[0], kDayTop, kDayEdges[5], kDayBottom), this,
                    IDC_DAY_STRIP);
    for (int i = 0; i < 5; ++i) {
        auto* day = new CStaticEx(this);
        day->m_nDrawMode = DRAW_BITMAP;
        day->m_nBitmapID = res::IDB_WEEKDAY_LIT_FIRST + i;
        day->Create(QString(), SS_NOTIFY,
                    dlgunits::FromLTRB(kDayEdges[i], kDayTop, kDayEdges[i + 1], kDayBottom), this,
                    IDC_DAY_FIRST + i);
        connect(day, &CStaticEx::Clicked, this, &CWebPage_Config::OnDayClicked);
        m_days[i] = day;
        NameDay(i);
    }
    m_strip->SetAccessibleInfo("Cycle days", "set by the cycle mode");
}

void CWebPage_Config::CreateDryerRows() {
    QStringList names;
    for (const char* name : g_DryerStatusNames) {
        names << name;
    }
    for (int k = 0; k < kDryerCount; ++k) {
        const int pitch = kRowPitch * k;
        m_status[k] = MakeCombo(
            dlgunits::FromLTRB(kStatus.left, kStatusTop + pitch, kStatus.right, 160 + pitch), {});
        Colour(m_status[k]);
        m_status[k]->hide();
        m_model[k] = new QLineEdit(this);
        m_model[k]->setGeometry(dlgunits::FromLTRB(kModel.left, kModelTop + pitch, kModel.right,
                                                   kModelTop + kModelHeight + pitch));
        m_model[k]->setObjectName(QString("model%1").arg(k + 1));
        m_model[k]->setAlignment(Qt::AlignCenter);
        m_model[k]->setFrame(false);
        m_model[k]->setStyleSheet(
            "QLineEdit { background: rgb(224, 255, 255); } QLineEdit:focus { background: white; }");
        m_model[k]->hide();
        LimitUnitText(m_model[k]);
    }
}

void CWebPage_Config::OnSetActive() {
    CWebPage::OnSetActive();
    SendRequest(BuildRead(kCycleReadPage));
}

void CWebPage_Config::OnKillActive() {
    // A model edit that keeps the focus would stay white on the hidden page.
    for (QLineEdit* model : m_model) {
        if (model->hasFocus()) {
            model->clearFocus();
        }
    }
    CWebPage::OnKillActive();
}

void CWebPage_Config::OnReply(const std::string& text) {
    const CycleReply reply = ParseCycleReply(text);
    g_PresentDryers = reply.present;
    g_BackupDryers = reply.backup;
    m_strShownSettings = reply.shownSettings;
    if (TakeAnswer(reply.shownSettings)) {
        ShowReply(reply);
    }
}

void CWebPage_Config::ShowReply(const CycleReply& reply) {
    for (int k = 0; k < kDryerCount; ++k) {
        const DryerRow& row = reply.dryers[k];
        m_status[k]->clear();
        if (row.present) {
            for (const char* name : g_DryerStatusNames) {
                m_status[k]->addItem(name);
            }
            m_status[k]->setCurrentIndex(row.statusSelection);
            SetUnitText(m_model[k], FromLatin1(row.model));
        }
        m_status[k]->setVisible(row.present);
        m_model[k]->setVisible(row.present);
    }
    SetItems(m_minOnline, reply.minOnline.items, reply.minOnline.selection);
    for (int i = 0; i < 2; ++i) {
        SetUnitText(m_cycleTime[i], FromLatin1(reply.cycleTime[i]));
    }
    m_mode->setCurrentIndex(reply.modeSelection);
    if (reply.modeSelection == kDaysModeIndex) {
        m_nDayMask = reply.dayMask;
    }
    ShowDays(reply.modeSelection == kDaysModeIndex);
    SetItems(m_maintenance, reply.maintenance.items, reply.maintenance.selection);
    SetItems(m_exercise, reply.exercise.items, reply.exercise.selection);
    m_duration->setCurrentIndex(reply.durationSelection);
    m_duration->setEnabled(reply.durationEnabled);
    m_skipWeekends->setCurrentIndex(reply.skipSelection);
    m_alarmDelay->setCurrentIndex(reply.alarmSelection);
}

void CWebPage_Config::ShowDays(bool daysMode) {
    m_strip->setVisible(!daysMode);
    m_skipWeekends->setEnabled(!daysMode);
    for (int i = 0; i < 5; ++i) {
        if (daysMode) {
            const bool lit = (m_nDayMask & kDayBits[i]) != 0;
            m_days[i]->m_nBitmapID =
                (lit ? res::IDB_WEEKDAY_LIT_FIRST : res::IDB_WEEKDAY_PLAIN_FIRST) + i;
            m_days[i]->update();
            NameDay(i);
        }
        m_days[i]->setVisible(daysMode);
    }
}

void CWebPage_Config::OnModeChosen(int index) {
    ShowDays(index >= kDaysModeIndex);
}

void CWebPage_Config::OnDayClicked(int id) {
    const int day = id - IDC_DAY_FIRST;
    if (day < 0 || day >= 5) {
        return;
    }
    CStaticEx* toggle = m_days[day];
    const bool wasPlain = toggle->m_nBitmapID == res::IDB_WEEKDAY_PLAIN_FIRST + day;
    toggle->m_nBitmapID =
        (wasPlain ? res::IDB_WEEKDAY_LIT_FIRST : res::IDB_WEEKDAY_PLAIN_FIRST) + day;
    toggle->update();
    NameDay(day);
    m_nDayMask = 0;
    for (int i = 0; i < 5; ++i) {
        if (m_days[i]->m_nBitmapID == res::IDB_WEEKDAY_LIT_FIRST + i) {
            m_nDayMask |= kDayBits[i];
        }
    }
}

void CWebPage_Config::NameDay(int day) {
    static const char* const kNames[5] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday"};
    const bool lit = m_days[day]->m_nBitmapID == res::IDB_WEEKDAY_LIT_FIRST + day;
    m_days[day]->SetAccessibleInfo(QString("%1, cycle day").arg(kNames[day]),
                                   lit ? "selected" : "not selected");
}

CycleForm CWebPage_Config::ReadForm() const {
    CycleForm form;
    for (int k = 0; k < kDryerCount; ++k) {
        form.dryers[k].visible = !m_status[k]->isHidden();
        form.dryers[k].statusSelection = m_status[k]->currentIndex();
        form.dryers[k].model = ToLatin1(m_model[k]->text());
    }
    form.minOnlineSelection = m_minOnline->currentIndex();
    for (int i = 0; i < 2; ++i) {
        form.cycleTime[i] = ToLatin1(m_cycleTime[i]->text());
    }
    form.modeSelection = m_mode->currentIndex();
    form.dayMask = m_nDayMask;
    form.maintenanceSelection = m_maintenance->currentIndex();
    form.maintenanceText = ToLatin1(m_maintenance->currentText());
    form.exerciseSelection = m_exercise->currentIndex();
    form.exerciseText = ToLatin1(m_exercise->currentText());
    form.durationSelection = m_duration->currentIndex();
    form.skipSelection = m_skipWeekends->currentIndex();
    form.alarmSelection = m_alarmDelay->currentIndex();
    return form;
}

void CWebPage_Config::OnAccept() {
    const CycleForm form = ReadForm();
    SubmitWrite(
        kCycleWritePage, [&form] { return CheckCycleForm(form); }, ComposeSettings(form),
        m_strShownSettings);
}
