// Starts the console in the test process the way the program starts it, in a fresh temporary
// application folder with the given Corvantis.ini: message boxes are recorded (RecordingPrompts)
// and the document's modal dialogs are scripted (ScriptedDocumentDialogs). No single-instance
// lock is taken. Makes the process's QApplication when there is none yet.
#pragma once

#include <functional>
#include <string>

#include "app/command_line.h"
#include "app/core/dialog_seam.h"
#include "app/startup.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_dir.h"

// The document's dialogs: each call runs the scripted answer (default: Cancel) and is counted.
class ScriptedDocumentDialogs : public IDocumentDialogs {
public:
    bool RunPhoneBook(CHalvoricDoc& doc) override;
    bool RunDialSetup(DialSetupValues& values) override;

    std::function<bool(CHalvoricDoc&)> phoneBookAnswer;
    std::function<bool(DialSetupValues&)> dialSetupAnswer;
    int phoneBookRuns = 0;
    int dialSetupRuns = 0;
};

class ConsoleHarness {
public:
    // Creates the folder with `iniText` as Corvantis.ini (none when empty) and a Log folder.
    explicit ConsoleHarness(const std::string& iniText = {});
    ~ConsoleHarness();  // shuts the console down; the folder goes
    ConsoleHarness(const ConsoleHarness&) = delete;
    ConsoleHarness& operator=(const ConsoleHarness&) = delete;

    bool Start(const CommandLine& commandLine = {});
    // Connect, with the Phone Book answered by choosing `address` ("HOST PORT" of a TCP/IP unit;
    // empty: the number as set up), and waits up to `timeoutMs` for the login.
    bool LogIn(const std::string& address = {}, int timeoutMs = 20000);

    CConsole& Console() { return m_console; }
    CMainFrame* Frame() const { return m_console.Frame(); }
    CHalvoricDoc* Document() const { return m_console.Document(); }
    RecordingPrompts& Prompts() { return m_prompts; }
    ScriptedDocumentDialogs& Dialogs() { return m_dialogs; }
    const std::string& Dir() const { return m_dir.Path(); }

private:
    TempDir m_dir;
    RecordingPrompts m_prompts;
    ScriptedDocumentDialogs m_dialogs;
    CConsole m_console;
};

void WriteFile(const std::string& path, const std::string& text);
