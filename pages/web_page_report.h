// CWebPage_Report: the "Reporting Set Up" page: how the unit reports alarms. Each time it becomes
// the active page it reads the unit's reporting settings (unit page 55): the system name, the SMTP
// account, three e-mail recipients and three pagers with their dialling scripts. "Accept" writes
// the form back after asking for the password; it is offered only while the form differs from the
// last reply. Each pager's "Style" link steps its script through the one read from the unit, the
// unit's default script and an empty box.
//
// UI thread only.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <array>
#include <optional>
#include <string>

#include "pages/reporting_settings.h"
#include "pages/web_page.h"

class AcceptWatch;
class CButtonEx;
class CStaticEx;

constexpr int IDC_STYLE_FIRST = 40001;  // 40001..40003: the "Style" links of pagers 1..3

class CWebPage_Report : public CWebPage {
    Q_OBJECT
public:
    explicit CWebPage_Report(QWidget* parent);

    void OnSetActive() override;
    void OnReply(const std::string& text) override;

    // "Accept" clicked.
    void OnAccept();
    // The Secure box clicked.
    void OnSecure();
    // "Style" link `id` (40001..40003) clicked.
    void OnStyle(int id);

    // The 21 fields as the form shows them.
    ReportFields ReadForm() const;

    // The last reply as read, without its "EOT"; empty before the first.
    std::string m_strLastReply;

    // The edit of field `field` (0 System Name, 2..20; not 1, the Secure box).
    QLineEdit* Edit(int field) const { return m_edits[field]; }
    QCheckBox* Secure() const { return m_secure; }
    CStaticEx* StyleLink(int pager) const { return m_styles[pager]; }
    CButtonEx* AcceptButton() const { return m_accept; }
    CStaticEx* AcceptPicture() const { return m_acceptGrey; }
    AcceptWatch* Watch() const { return m_watch; }

private:
    // The Style link's accessible name and what its state puts into the script box.
    void NameStyle(int pager, int style);
    void CreateEdits();
    QLineEdit* MakeEdit(int field, const QRect& rect, bool centred);
    void UpdatePasswordEdit();

    std::array<QLineEdit*, kReportFieldCount> m_edits{};  // [1] stays null
    QCheckBox* m_secure = nullptr;
    std::array<CStaticEx*, kPagerCount> m_styles{};
    std::array<std::string, kPagerCount> m_lastScripts;
    CButtonEx* m_accept = nullptr;
    CStaticEx* m_acceptGrey = nullptr;
    AcceptWatch* m_watch = nullptr;
};
