#include "pages/web_page.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "app/core/document.h"
#include "app/state/app_state.h"
#include "dialogs/dlg_password.h"
#include "engine/command_node.h"
#include "engine/page_windows.h"
#include "engine/system.h"
#include "pages/template_font.h"
#include "platform/prompt.h"
#include "protocol/page_request.h"
#include "res/picture_paint.h"

CWebPage::CWebPage(int pageNumber, uint8_t commandId, int exchangeStatus, QWidget* parent)
    : QWidget(parent),
      m_nPageNumber(pageNumber),
      m_nCommandId(commandId),
      m_nExchangeStatus(exchangeStatus) {
    setFont(TemplateFont("Arial", 10));
    setAutoFillBackground(false);
    SetPageWindow(m_nExchangeStatus, TargetId());
}

CWebPage::~CWebPage() {
    // Another page may have taken the exchange state over meanwhile; only give up our own.
    if (PageWindow(m_nExchangeStatus) == TargetId()) {
        SetPageWindow(m_nExchangeStatus, 0);
    }
}

void CWebPage::OnSetActive() {
    if (CHalvoricDoc* doc = TheDocument()) {
        doc->m_nActivePage = m_nPageNumber;
    }
    m_bWaitReply = false;
    // The read that follows is no answer to an earlier write.
    m_settingsBeforeWrite.reset();
}

void CWebPage::OnKillActive() {
    m_bWaitReply = false;
}

CSystem* CWebPage::CurrentSystem() {
    CHalvoricDoc* doc = TheDocument();
    return doc ? doc->FirstSystem() : nullptr;
}

bool CWebPage::CanSend() {
    CSystem* system = CurrentSystem();
    return system && system->Port && system->Port->LinkUp() && theApp().m_bLoggedIn.load() != 0;
}

bool CWebPage::SendRequest(const std::string& text, WaitGuard guard) {
    if (m_bWaitReply) {
        if (guard == WaitGuard::Prompt) {
            platform::MessageBox("Requesting data...");
            return false;
        }
        if (guard == WaitGuard::SkipSilently) {
            return false;
        }
    }
    CHalvoricDoc* doc = TheDocument();
    if (!doc || doc->m_nActivePage.load() != m_nPageNumber) {
        return false;
    }
    if (!CanSend()) {
        return false;
    }
    CSystem* system = CurrentSystem();
    system->AbortCommand();
    system->AddCommand(new CCommandNode(system->SystemID, m_nCommandId, text), 0);
    m_bWaitReply = true;
    return true;
}

bool CWebPage::RequestLost() const {
    return m_bWaitReply && !CommandPending();
}

bool CWebPage::CommandPending() const {
    CSystem* system = CurrentSystem();
    if (!system) {
        return false;
    }
    std::lock_guard<std::mutex> lock(system->m_lock);
    if (system->CurCommand && system->CurCommand->CommandID == m_nCommandId) {
        return true;
    }
    for (const CCommandNode* node = system->Commands; node; node = node->Next) {
        if (node->CommandID == m_nCommandId) {
            return true;
        }
    }
    return false;
}

bool CWebPage::SubmitWrite(int unitPage, const std::function<std::string()>& problemOf,
                           const std::string& fields, const std::string& before) {
    const auto password = AskPassword([&problemOf] {
        const std::string problem = problemOf();
        if (!problem.empty()) {
            platform::MessageBox(problem);
            return false;
        }
        return true;
    });
    if (!password || !SendRequest(BuildWrite(unitPage, *password, fields))) {
        return false;
    }
    m_settingsBeforeWrite = before;
    return true;
}

bool CWebPage::TakeAnswer(const std::string& settings) {
    const std::optional<std::string> before = std::move(m_settingsBeforeWrite);
    m_settingsBeforeWrite.reset();
    if (!before || *before != settings) {
        return true;
    }
    // Told once the reply has been handled: the receive side waits for this handler.
    QTimer::singleShot(0, this, [] {
        platform::MessageBox(kChangeNotAccepted, platform::PromptButtons::Ok,
                             platform::PromptIcon::Warning);
    });
    return false;
}

std::optional<std::string> CWebPage::AskPassword(const std::function<bool()>& checks) {
    if (!theApp().CheckLoggedIn()) {
        return std::nullopt;
    }
    if (checks && !checks()) {
        return std::nullopt;
    }
    CDlgPassword dialog(this);
    if (dialog.DoModal() != QDialog::Accepted || dialog.m_strPassword.empty()) {
        return std::nullopt;
    }
    return dialog.m_strPassword;
}

long CWebPage::OnMessage(unsigned msg, intptr_t, intptr_t lParam) {
    if (msg != platform::WM_PAGE_REPLY) {
        return 0;
    }
    m_bWaitReply = false;
    const auto* cell = reinterpret_cast<const ReplyCell*>(lParam);
    if (!cell) {
        return 0;
    }
    std::string text = cell->text;
    const size_t trailer = static_cast<size_t>(std::max(TrailerLength(), 0));
    text.resize(text.size() > trailer ? text.size() - trailer : 0);
    OnReply(text);
    ++m_nRepliesShown;
    update();
    return 1;
}

std::string CWebPage::BuildRequest(int unitPage, int a, int b) {
    return BuildPageRequest(unitPage, a, b);
}

std::string CWebPage::BuildRead(int unitPage) {
    return BuildPageRead(unitPage);
}

std::string CWebPage::BuildWrite(int unitPage, const std::string& password,
                                 const std::string& fields) {
    return BuildPageWrite(unitPage, password, fields);
}

void CWebPage::SetBackground(int resourceId) {
    if (!m_background.LoadJPG(resourceId)) {
        DebugLog("LoadJPG() fail! reason: no picture " + std::to_string(resourceId));
    }
    update();
}

void CWebPage::ChainTabs(const std::vector<QWidget*>& order) {
    for (size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

void CWebPage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), picturepaint::PageColour());
    // At the picture's own size: the page's values stand at fixed places over its cells, so a
    // stretched picture would move the cells away from them.
    m_background.Draw(painter);
}
