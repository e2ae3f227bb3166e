// The snapshot tour: once the console has logged in, it visits the four pages in order by their
// tabs, as the operator would, waits on each until the page has shown a reply from the unit (at
// most `pageLimitMs`), saves the main window as DIR/status.png, DIR/cycle.png, DIR/reporting.png
// and DIR/event.png, prints the Status page's values as a table, and then leaves the event loop so
// that the normal shutdown follows (nobody is asked "Exit Program?").
//
// The result: 0 when every page was filled from the unit; 1 otherwise, with the pages that were
// not named on the error stream.
//
// UI thread only.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <array>
#include <cstdio>
#include <string>

class CMainFrame;
class CWebPage;

class CSnapshotTour : public QObject {
    Q_OBJECT
public:
    struct Options {
        std::string dir;
        int loginLimitMs = 60000;
        int pageLimitMs = 60000;
        std::FILE* out = stdout;
        std::FILE* err = stderr;
    };

    static constexpr int kPages = 4;

    CSnapshotTour(CMainFrame& frame, Options options);

    // Makes `dir` (and its parents) when missing. False with the reason in `error`.
    static bool MakeFolder(const std::string& dir, std::string* error);

    // Starts waiting for the login; the tour then runs on the event loop.
    void Begin();
    bool Done() const { return m_step == Step::Done; }
    // Ends the tour where it stands (pages not reached count as not filled), reports once, and
    // returns the result. Safe to call again.
    int Finish();

    // "status.png" ... "event.png".
    static const char* FileName(int page);

signals:
    // The tour is over; the event loop should end with `status`.
    void Finished(int status);

private:
    enum class Step { Idle, Login, Page, Settle, Done };

    void OnTick();
    void VisitPage(int page);
    void SavePage();
    void NextPage();
    CWebPage* Page(int page) const;
    void Elapse(const std::string& why);
    // Every few seconds of a long wait, a line saying what the tour waits for.
    void NoteWaiting(const char* what);

    CMainFrame& m_frame;
    Options m_options;
    QTimer m_tick;
    QElapsedTimer m_since;
    Step m_step = Step::Idle;
    int m_page = 0;
    qint64 m_nextNoteMs = 0;
    std::array<int, kPages> m_baseline{};
    std::array<bool, kPages> m_filled{};
    int m_status = 1;
};
