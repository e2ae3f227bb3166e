#include "app/snapshot_tour.h"

#include <QDir>
#include <QPixmap>
#include <QTabBar>

#include "app/halvoric_view.h"
#include "app/main_frame.h"
#include "app/state/app_state.h"
#include "app/status_table.h"
#include "pages/dlg_parent.h"
#include "pages/web_page_status.h"

namespace {

constexpr int kTickMs = 100;
// After a reply is shown, time for what follows it on the page (the Accept button's watch, late
// repaints) before the picture is taken.
constexpr int kSettleMs = 400;
constexpr int kNoteEveryMs = 10000;

constexpr std::array<const char*, CSnapshotTour::kPages> kCaptions = {"Status", "Cycle Set Up",
                                                                      "Reporting Set Up", "Event"};
constexpr std::array<const char*, CSnapshotTour::kPages> kFileNames = {
    "status.png", "cycle.png", "reporting.png", "event.png"};

bool LoggedIn() {
    return theApp().m_bLoggedIn.load() != 0;
}

}  // namespace

CSnapshotTour::CSnapshotTour(CMainFrame& frame, Options options)
    : m_frame(frame), m_options(std::move(options)) {
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &CSnapshotTour::OnTick);
}

const char* CSnapshotTour::FileName(int page) {
    return kFileNames[page];
}

bool CSnapshotTour::MakeFolder(const std::string& dir, std::string* error) {
    if (QDir().mkpath(QString::fromStdString(dir))) {
        return true;
    }
    *error = "cannot make the folder '" + dir + "' for the pictures";
    return false;
}

CWebPage* CSnapshotTour::Page(int page) const {
    CDlgParent* host = m_frame.MainView() ? m_frame.MainView()->PageHost() : nullptr;
    return host ? host->Page(page) : nullptr;
}

void CSnapshotTour::Begin() {
    for (int page = 0; page < kPages; ++page) {
        CWebPage* view = Page(page);
        m_baseline[page] = view ? view->RepliesShown() : 0;
    }
    m_step = Step::Login;
    m_since.start();
    m_nextNoteMs = 0;
    std::fprintf(m_options.out, "Waiting for the login to the unit...\n");
    std::fflush(m_options.out);
    m_tick.start();
}

void CSnapshotTour::OnTick() {
    switch (m_step) {
        case Step::Login:
            if (LoggedIn()) {
                VisitPage(0);
            } else if (m_since.elapsed() >= m_options.loginLimitMs) {
                Elapse("the console did not log in to the unit within " +
                       std::to_string(m_options.loginLimitMs / 1000) + " s");
            } else {
                NoteWaiting("the login");
            }
            break;
        case Step::Page: {
            CWebPage* view = Page(m_page);
            if (view && view->RepliesShown() > m_baseline[m_page]) {
                m_filled[m_page] = true;
                m_step = Step::Settle;
                m_since.start();
            } else if (!LoggedIn()) {
                Elapse("the session with the unit ended");
            } else if (m_since.elapsed() >= m_options.pageLimitMs) {
                std::fprintf(m_options.err, "corvantis: the %s page got no reply within %d s\n",
                             kCaptions[m_page], m_options.pageLimitMs / 1000);
                SavePage();
                NextPage();
            } else {
                NoteWaiting(kCaptions[m_page]);
            }
            break;
        }
        case Step::Settle:
            if (m_since.elapsed() >= kSettleMs) {
                SavePage();
                NextPage();
            }
            break;
        case Step::Idle:
        case Step::Done:
            break;
    }
}

void CSnapshotTour::NoteWaiting(const char* what) {
    if (m_since.elapsed() < m_nextNoteMs) {
        return;
    }
    if (m_nextNoteMs > 0) {
        std::fprintf(m_options.out, "  still waiting for %s (%lld s)\n", what,
                     static_cast<long long>(m_since.elapsed() / 1000));
        std::fflush(m_options.out);
    }
    m_nextNoteMs += kNoteEveryMs;
}

void CSnapshotTour::VisitPage(int page) {
    m_page = page;
    m_step = Step::Page;
    m_since.start();
    m_nextNoteMs = 0;
    CDlgParent* host = m_frame.MainView() ? m_frame.MainView()->PageHost() : nullptr;
    if (host) {
        // As a click on the tab: the page becomes the active one and asks the unit.
        host->TabCtrl().TabBar()->setCurrentIndex(page);
    }
}

void CSnapshotTour::SavePage() {
    const std::string path = m_options.dir + "/" + kFileNames[m_page];
    if (!m_frame.grab().save(QString::fromStdString(path), "PNG")) {
        std::fprintf(m_options.err, "corvantis: cannot write the picture %s\n", path.c_str());
        m_filled[m_page] = false;
    } else {
        std::fprintf(m_options.out, "%-16s %s\n", kCaptions[m_page], path.c_str());
    }
    if (m_page == 0 && m_filled[0]) {
        if (auto* status = dynamic_cast<CWebPage_Status*>(Page(0))) {
            std::fprintf(m_options.out, "\n%s\n", StatusTableText(*status).c_str());
        }
    }
    std::fflush(m_options.out);
}

void CSnapshotTour::NextPage() {
    if (m_page + 1 < kPages) {
        VisitPage(m_page + 1);
    } else {
        emit Finished(Finish());
    }
}

void CSnapshotTour::Elapse(const std::string& why) {
    std::fprintf(m_options.err, "corvantis: %s\n", why.c_str());
    emit Finished(Finish());
}

int CSnapshotTour::Finish() {
    if (m_step == Step::Done) {
        return m_status;
    }
    m_step = Step::Done;
    m_tick.stop();
    std::string missing;
    for (int page = 0; page < kPages; ++page) {
        if (!m_filled[page]) {
            missing += (missing.empty() ? "" : ", ") + std::string(kCaptions[page]);
        }
    }
    m_status = missing.empty() ? 0 : 1;
    if (missing.empty()) {
        std::fprintf(m_options.out, "All four pages were filled from the unit; pictures in %s\n",
                     m_options.dir.c_str());
    } else {
        std::fprintf(m_options.err, "corvantis: pages not filled from the unit: %s\n",
                     missing.c_str());
    }
    std::fflush(m_options.out);
    return m_status;
}
