#include "app/startup.h"

#include <QTimer>
#include <csignal>
#include <cstdio>

#include "app/core/document.h"
#include "app/core/phone_book.h"
#include "app/core/startup_settings.h"
#include "app/history/console_history.h"
#include "app/history_view.h"
#include "app/main_frame.h"
#include "app/qt_dispatcher.h"
#include "app/qt_prompts.h"
#include "app/site_connect.h"
#include "app/state/app_state.h"
#include "dialogs/qt_document_dialogs.h"
#include "platform/dispatcher.h"
#include "platform/instance_lock.h"
#include "platform/prompt.h"

namespace {
constexpr int kExitStartFailed = 1;
}

CConsole::CConsole() = default;

CConsole::~CConsole() {
    Shutdown();
}

bool CConsole::Fail(int exitStatus) {
    m_exitStatus = exitStatus;
    Shutdown();
    return false;
}

bool CConsole::Start(const StartupOptions& options) {
    m_exitStatus = 0;
    if (options.prompts) {
        platform::SetPromptService(options.prompts);
    } else {
        m_prompts = std::make_unique<QtPrompts>();
        platform::SetPromptService(m_prompts.get());
    }
    m_promptsInstalled = true;
    // A peer that closes its socket must not end the program through SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);

    if (options.singleInstance && !TakeInstanceLock()) {
        return Fail(kExitStartFailed);
    }
    LoadSettings(options);
    if (!options.startFolderProblem.empty()) {
        DebugLog(options.startFolderProblem);
        platform::MessageBox(options.startFolderProblem, platform::PromptButtons::Ok,
                             platform::PromptIcon::Warning);
    }
    if (m_instanceLock && !m_instanceLock->FallbackNote().empty()) {
        DebugLog(m_instanceLock->FallbackNote());
    }
    if (!CheckConnectSite(options)) {
        return Fail(kExitUsage);
    }
    if (!CreateDocumentAndFrame(options)) {
        return Fail(kExitStartFailed);
    }

    m_frame->show();
    m_frame->setWindowTitle(QStringLiteral("Corvantis"));
    if (options.commandLine.connectSite) {
        const std::string site = *options.commandLine.connectSite;
        QTimer::singleShot(0, m_frame.get(), [this, site] { ConnectToSite(*m_doc, site); });
    }
    return true;
}

bool CConsole::TakeInstanceLock() {
    m_instanceLock = std::make_unique<platform::InstanceLock>();
    switch (m_instanceLock->Acquire()) {
        case platform::InstanceLock::Result::Acquired:
            return true;
        case platform::InstanceLock::Result::AlreadyRunning:
            platform::MessageBox("Program has started!", platform::PromptButtons::Ok,
                                 platform::PromptIcon::Stop);
            return false;
        case platform::InstanceLock::Result::Error:
            break;
    }
    // Without the lock a second copy could share the line and the settings file: do not start,
    // and say why.
    platform::MessageBox("Cannot take the single-instance lock: " + m_instanceLock->ErrorText(),
                         platform::PromptButtons::Ok, platform::PromptIcon::Stop);
    return false;
}

void CConsole::LoadSettings(const StartupOptions& options) {
    std::string problem;
    // The console goes on with the defaults and leaves the file as it stands. When the start
    // folder could not be made, that is the cause the operator is told (Start); the settings
    // file's own complaint then only goes to the debug log.
    if (!LoadStartupSettings(m_ini, theApp(), &problem, options.appDir) &&
        options.startFolderProblem.empty()) {
        platform::MessageBox(problem, platform::PromptButtons::Ok, platform::PromptIcon::Warning);
    }
}

bool CConsole::CheckConnectSite(const StartupOptions& options) {
    if (!options.commandLine.connectSite) {
        return true;
    }
    const std::string& name = *options.commandLine.connectSite;
    CPhoneEntry* sites = nullptr;
    phonebook::Load(m_ini, sites);
    const bool found = FindSite(sites, name) != nullptr;
    delete sites;
    if (!found) {
        std::fprintf(stderr, "corvantis: no site named '%s' in the phone book\n", name.c_str());
    }
    return found;
}

bool CConsole::CreateDocumentAndFrame(const StartupOptions& options) {
    m_dispatcher = std::make_unique<QtDispatcher>();
    platform::SetDispatcher(m_dispatcher.get());

    m_doc = std::make_unique<CHalvoricDoc>();
    m_doc->SetProfile(&m_ini);
    SetTheDocument(m_doc.get());

    m_frame = std::make_unique<CMainFrame>(*m_doc, theApp().m_bAutoTray != 0);
    if (options.dialogs) {
        m_doc->SetDialogs(options.dialogs);
    } else {
        m_dialogs = std::make_unique<QtDocumentDialogs>(m_frame.get());
        m_doc->SetDialogs(m_dialogs.get());
    }
    m_history = std::make_unique<CConsoleHistory>(*m_doc, m_ini, theApp().m_strAppDir);
    m_historyView = new CHistoryView(*m_frame, *m_history);
    return m_doc->OnNewDocument();
}

void CConsole::Shutdown() {
    if (m_doc) {
        m_doc->StopAll();  // nothing left to stop after the exit question was answered Yes
    }
    m_historyView = nullptr;
    m_frame.reset();
    // After the frame: what the pages queued is written before the program ends.
    m_history.reset();
    m_dialogs.reset();
    if (m_doc) {
        SetTheDocument(nullptr);
        m_doc.reset();
    }
    if (m_dispatcher) {
        platform::SetDispatcher(nullptr);
        m_dispatcher.reset();
    }
    // No closing block at exit: the process ending closes the log as it stands.
    theApp().CloseDebugLogQuietly();
    if (m_promptsInstalled) {
        platform::SetPromptService(nullptr);
        m_promptsInstalled = false;
    }
    m_prompts.reset();
    m_instanceLock.reset();
}
