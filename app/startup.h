// Start-up and shutdown of the console, in this order: the message boxes; the single-instance
// lock ("Program has started!"); the current directory as the application folder and
// Corvantis.ini there; the settings; the debug log; the UI dispatcher; the document and the main
// frame with its views; the history; the document's new-document step (phone book, System 1, its
// worker and the timers; "Start thread fail!" ends start-up here); then the window is shown.
//
// UI thread only. A QApplication must exist.
#pragma once

#include <memory>
#include <string>

#include "app/command_line.h"
#include "platform/ini_file.h"

class CConsoleHistory;
class CHalvoricDoc;
class CHistoryView;
class CMainFrame;
class IDocumentDialogs;
class QtDispatcher;
class QtDocumentDialogs;
class QtPrompts;

namespace platform {
class InstanceLock;
class PromptService;
}  // namespace platform

struct StartupOptions {
    CommandLine commandLine;
    // The application folder; empty means the current directory, as the console always had it.
    std::string appDir;
    // Why the application folder is not as it should be (desktop_start_folder.h): told to the
    // operator once the settings are read.
    std::string startFolderProblem;
    // Refuse to start while another copy runs.
    bool singleInstance = true;
    // Message boxes; null means QMessageBox.
    platform::PromptService* prompts = nullptr;
    // The modal dialogs the document runs; null means the console's own.
    IDocumentDialogs* dialogs = nullptr;
};

class CConsole {
public:
    CConsole();
    ~CConsole();  // Shutdown()
    CConsole(const CConsole&) = delete;
    CConsole& operator=(const CConsole&) = delete;

    // True when the window is up and the event loop should run; otherwise start-up failed and
    // ExitStatus() says with what the program ends.
    bool Start(const StartupOptions& options);
    int ExitStatus() const { return m_exitStatus; }

    // Stops what is still running (timers, Systems), destroys the frame and the document, and
    // closes the debug log. Safe to call more than once.
    void Shutdown();

    CMainFrame* Frame() const { return m_frame.get(); }
    CHalvoricDoc* Document() const { return m_doc.get(); }
    // The history (Corvantis.db), and its menu, window and export on the frame.
    CConsoleHistory* History() const { return m_history.get(); }
    CHistoryView* HistoryView() const { return m_historyView; }
    platform::IniFile& Profile() { return m_ini; }

private:
    bool Fail(int exitStatus);
    bool TakeInstanceLock();
    void LoadSettings(const StartupOptions& options);
    bool CheckConnectSite(const StartupOptions& options);
    bool CreateDocumentAndFrame(const StartupOptions& options);

    int m_exitStatus = 0;
    std::unique_ptr<platform::InstanceLock> m_instanceLock;
    platform::IniFile m_ini;
    std::unique_ptr<QtPrompts> m_prompts;
    bool m_promptsInstalled = false;
    std::unique_ptr<QtDispatcher> m_dispatcher;
    std::unique_ptr<QtDocumentDialogs> m_dialogs;
    std::unique_ptr<CHalvoricDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    // Outlives the frame: the frame's export and window use it until they go.
    std::unique_ptr<CConsoleHistory> m_history;
    CHistoryView* m_historyView = nullptr;  // owned by the frame
};
