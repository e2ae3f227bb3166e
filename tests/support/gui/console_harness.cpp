#include "tests/support/gui/console_harness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <fstream>

#include "app/state/app_state.h"
#include "tests/support/gui/page_fixture.h"

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

bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() >= timeoutMs) {
            return done();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

void ProcessEventsFor(int ms) {
    ProcessEventsUntil([] { return false; }, ms);
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}
