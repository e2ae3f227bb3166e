#include "tests/support/gui/console_harness.h"

#include <fstream>

#include "app/core/document.h"
#include "app/state/app_state.h"
#include "tests/support/gui/page_fixture.h"
#include "tests/support/gui/ui_wait.h"

bool ScriptedDocumentDialogs::RunPhoneBook(CHalvoricDoc& doc) {
    ++phoneBookRuns;
    return phoneBookAnswer ? phoneBookAnswer(doc) : false;
}

bool ScriptedDocumentDialogs::RunDialSetup(DialSetupValues& values) {
    ++dialSetupRuns;
    return dialSetupAnswer ? dialSetupAnswer(values) : false;
}

ConsoleHarness::ConsoleHarness(const std::string& iniText) {
    EnsureQtApplication();
    m_dir.MakeSub("Log");
    if (!iniText.empty()) {
        WriteFile(Dir() + "/Corvantis.ini", iniText);
    }
    theApp().Reset();
}

ConsoleHarness::~ConsoleHarness() {
    m_console.Shutdown();
    theApp().Reset();
}

bool ConsoleHarness::Start(const CommandLine& commandLine) {
    StartupOptions options;
    options.commandLine = commandLine;
    options.appDir = Dir();
    options.singleInstance = false;
    options.prompts = &m_prompts;
    options.dialogs = &m_dialogs;
    return m_console.Start(options);
}

bool ConsoleHarness::LogIn(const std::string& address, int timeoutMs) {
    m_dialogs.phoneBookAnswer = [address](CHalvoricDoc& doc) {
        if (!address.empty()) {
            doc.m_pSystems->Telephone = address;
            doc.m_pSystems->Port->SetAddress(address);
        }
        return true;
    };
    Document()->OnConnect();
    return UiWaitUntil([] { return theApp().m_bLoggedIn.load() != 0; }, timeoutMs);
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}
