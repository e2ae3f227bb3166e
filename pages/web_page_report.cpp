#include "pages/web_page_report.h"

#include <algorithm>

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
#include "res/pictures.h"
#include "res/reporting_layout.h"

namespace {

constexpr int kReportingPage = 55;
// What the unit expects in front of the settings of a write.
constexpr const char* kWriteTag = "TT=";

using namespace reportinglayout;

QRect Cell(Span span, int top) {
    return dlgunits::FromLTRB(span.left, top, span.right, top + kRowHeight);
}

}  // namespace

CWebPage_Report::CWebPage_Report(QWidget* parent)
    : CWebPage(PAGE_REPORTING, CMD_PAGE_REPORTING, STATUS_PAGE_REPORTING, parent) {
    m_edits[kFieldSystemName] =
        MakeEdit(kFieldSystemName, dlgunits::PageRect(121, 12, 284, 10), false);
    LimitUnitText(m_edits[kFieldSystemName], kSystemNameLimit);
    m_secure = new QCheckBox(this);
    m_secure->setGeometry(dlgunits::PageRect(364, 49, 8, 8));
    m_secure->setChecked(true);
    connect(m_secure, &QCheckBox::clicked, this, &CWebPage_Report::OnSecure);
    CreateEdits();

    m_accept = CreateAcceptButton(this, dlgunits::PageRect(183, 230, 52, 14));
    connect(m_accept, &QPushButton::clicked, this, &CWebPage_Report::OnAccept);
    m_acceptGrey = CreateAcceptPicture(this, dlgunits::FromLTRB(320, 461, 411, 487));
    // Each pager's Style link comes after its script, the rest in reading order.
    std::vector<QWidget*> order = {m_edits[kFieldSystemName]};
    for (int i = 0; i < 3; ++i) {
        order.push_back(m_edits[kFieldFirstEmail + 2 * i]);
        order.push_back(m_edits[kFieldFirstEmail + 2 * i + 1]);
    }
    order.push_back(m_secure);
    for (int field = kFieldSmtpServer; field < kFieldFirstEmail; ++field) {
        order.push_back(m_edits[field]);
    }
    for (int p = 0; p < kPagerCount; ++p) {
        for (int part = 0; part < 3; ++part) {
            order.push_back(m_edits[PagerField(p, part)]);
        }
        order.push_back(m_styles[p]);
    }
    order.push_back(m_accept);
    ChainTabs(order);
    m_watch = new AcceptWatch(
        m_accept, m_acceptGrey, [this] { return m_strLastReply; },
        [this] { return ComposeReportRecord(ReadForm()); }, this);
    SetBackground(res::IDR_REPORTING_JPG);
}

QLineEdit* CWebPage_Report::MakeEdit(int field, const QRect& rect, bool centred) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString("field%1").arg(field));
    edit->setGeometry(rect);
    edit->setFrame(false);
    if (centred) {
        edit->setAlignment(Qt::AlignCenter);
    }
    if (field != kFieldSystemName) {
        LimitUnitText(edit);
    }
    return edit;
}

void CWebPage_Report::CreateEdits() {
    for (int i = 0; i < 3; ++i) {
        const int address = kFieldFirstEmail + 2 * i;
        m_edits[address] = MakeEdit(address, Cell(kEmailAddress, kEmailRows[i]), true);
        m_edits[address + 1] = MakeEdit(address + 1, Cell(kEmailDescription, kEmailRows[i]), true);
    }
    for (int i = 0; i < 4; ++i) {
        const int field = kFieldSmtpServer + i;
        m_edits[field] = MakeEdit(field, Cell(kServerValue, kServerRows[i]), false);
    }
    ShowAsStars(m_edits[kFieldSmtpPassword]);
    for (int p = 0; p < kPagerCount; ++p) {
        const int y = kPagerBlocks[p];
        m_edits[PagerField(p, 0)] = MakeEdit(PagerField(p, 0), Cell(kPagerDescription, y), false);
        m_edits[PagerField(p, 1)] = MakeEdit(PagerField(p, 1), Cell(kServicePhone, y), false);
        m_edits[PagerField(p, kPagerScriptPart)] =
            MakeEdit(PagerField(p, kPagerScriptPart), Cell(kScript, y + kScriptOffset), false);
    }
    for (int p = 0; p < kPagerCount; ++p) {
        auto* link = new CStaticEx(this);
        link->m_crColor = QColor(0, 0, 255);
        link->setFont(font());
        link->Create("Style", SS_CENTER | SS_NOTIFY | WS_VISIBLE,
                     Cell(kStyle, kPagerBlocks[p] + kStyleOffset), this, IDC_STYLE_FIRST + p);
        connect(link, &CStaticEx::Clicked, this, &CWebPage_Report::OnStyle);
        m_styles[p] = link;
        NameStyle(p, 1);
    }
}

void CWebPage_Report::OnSetActive() {
    CWebPage::OnSetActive();
    SendRequest(BuildRead(kReportingPage));
}

void CWebPage_Report::OnReply(const std::string& text) {
    m_strLastReply = text;
    const ReportFields fields = ParseReportReply(text);
    for (int p = 0; p < kPagerCount; ++p) {
        m_lastScripts[p] = fields[PagerField(p, kPagerScriptPart)];
    }
    if (!TakeAnswer(text)) {
        return;
    }
    for (int field = 0; field < kReportFieldCount; ++field) {
        if (m_edits[field]) {
            SetUnitText(m_edits[field], FromLatin1(fields[field]));
        }
    }
    m_secure->setChecked(fields[kFieldSecure] == "Y");
    UpdatePasswordEdit();
}

void CWebPage_Report::OnSecure() {
    UpdatePasswordEdit();
}

void CWebPage_Report::UpdatePasswordEdit() {
    m_edits[kFieldSmtpPassword]->setEnabled(m_secure->isChecked());
}

void CWebPage_Report::OnStyle(int id) {
    const int pager = id - IDC_STYLE_FIRST;
    if (pager < 0 || pager >= kPagerCount) {
        return;
    }
    const int style = NextPagerStyle(pager);
    NameStyle(pager, style);
    SetUnitText(m_edits[PagerField(pager, kPagerScriptPart)],
                FromLatin1(PagerScriptForStyle(style, m_lastScripts[pager])));
}

void CWebPage_Report::NameStyle(int pager, int style) {
    static const char* const kShows[3] = {"script read from the unit", "default script",
                                          "empty script"};
    m_styles[pager]->SetAccessibleInfo(QString("Pager %1, Style").arg(pager + 1),
                                       kShows[std::clamp(style, 1, 3) - 1]);
}

ReportFields CWebPage_Report::ReadForm() const {
    ReportFields fields;
    for (int field = 0; field < kReportFieldCount; ++field) {
        if (m_edits[field]) {
            fields[field] = ToLatin1(m_edits[field]->text());
        }
    }
    fields[kFieldSecure].assign(1, m_secure->isChecked() ? 'Y' : 'N');
    return fields;
}

void CWebPage_Report::OnAccept() {
    const ReportFields fields = ReadForm();
    SubmitWrite(
        kReportingPage, [&fields] { return CheckReportFields(fields); },
        kWriteTag + ComposeReportRecord(fields), m_strLastReply);
}
