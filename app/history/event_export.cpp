#include "app/history/event_export.h"

#include <QProgressDialog>

#include "app/core/document.h"
#include "app/history/console_history.h"
#include "app/history/save_file_chooser.h"
#include "app/latin1.h"
#include "app/state/app_state.h"
#include "history/csv_file.h"
#include "pages/web_page_event.h"
#include "platform/prompt.h"
#include "protocol/latin1_text.h"

namespace {

// How often a request is checked for having been lost (abandoned or dropped by the System).
constexpr int kWatchMs = 500;

}  // namespace

CEventExport::CEventExport(CWebPage_Event& page, CConsoleHistory* history, QObject* parent)
    : QObject(parent), m_page(page), m_history(history) {
    connect(&page, &CWebPage_Event::exportRequested, this, &CEventExport::Begin);
    connect(&page, &CWebPage_Event::replyShown, this, &CEventExport::OnReply);
    connect(&page, &CWebPage_Event::operatorAction, this, [this] {
        if (Running()) {
            Stop("stopped by the operator", false);
            // The operator's own request goes out in place of the export's.
            m_page.m_bWaitReply = false;
        }
    });
    m_watch.setInterval(kWatchMs);
    connect(&m_watch, &QTimer::timeout, this, &CEventExport::CheckLost);
}

CEventExport::~CEventExport() {
    CloseProgress();
}

void CEventExport::Begin() {
    if (Running() || !theApp().CheckLoggedIn()) {
        return;
    }
    CHalvoricDoc* doc = TheDocument();
    if (!doc || doc->m_nActivePage.load() != PAGE_EVENT) {
        return;
    }
    m_path = ChooseSaveFile(&m_page, tr("Export events"), QStringLiteral("events.csv"));
    if (m_path.isEmpty()) {
        return;
    }
    if (!m_page.SendListRequest(m_harvest.Start())) {
        m_harvest.Cancel("cannot send");
        platform::MessageBox("The event list cannot be read now: the unit is not connected.");
        return;
    }
    m_progress =
        new QProgressDialog(tr("Reading the unit's event list..."), tr("Cancel"), 0, 0, &m_page);
    m_progress->setWindowTitle(tr("Export events"));
    // The page stays usable: a click on it stops the export.
    m_progress->setWindowModality(Qt::NonModal);
    m_progress->setMinimumDuration(0);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    connect(m_progress, &QProgressDialog::canceled, this, [this] {
        if (Running()) {
            Stop("cancelled", false);
            m_page.m_bWaitReply = false;
        }
    });
    m_progress->show();
    m_watch.start();
}

void CEventExport::OnReply(const std::string& text) {
    if (!Running()) {
        return;
    }
    // The reply of a request queued before the export's own (the page's, from before it began):
    // the export's request is still on its way, and its reply follows.
    if (!m_harvest.Expects(text) && m_page.CommandPending()) {
        m_page.m_bWaitReply = true;
        return;
    }
    const std::string next = m_harvest.OnReply(text);
    if (m_progress) {
        m_progress->setMaximum(m_harvest.PageCount());
        m_progress->setValue(m_harvest.PagesRead());
        m_progress->setLabelText(tr("Reading page %1 of %2 of the unit's event list...")
                                     .arg(m_harvest.PagesRead() + 1)
                                     .arg(m_harvest.PageCount()));
    }
    if (!next.empty()) {
        if (!m_page.SendListRequest(next)) {
            Stop("the unit is no longer connected", true);
        }
        return;
    }
    if (m_harvest.state() == history::EventHarvest::State::Failed) {
        Stop(m_harvest.Problem(), true);
        return;
    }
    Finish();
}

void CEventExport::CheckLost() {
    if (Running() && m_page.RequestLost()) {
        m_page.m_bWaitReply = false;
        Stop("the unit did not answer", true);
    }
}

void CEventExport::Stop(const std::string& why, bool tell) {
    m_harvest.Cancel(why);
    m_watch.stop();
    CloseProgress();
    // What was read is kept in the history all the same; the file is not written.
    if (m_history && !m_harvest.Events().empty()) {
        m_history->StoreEvents(m_harvest.Events());
    }
    if (tell) {
        platform::MessageBox("The events were not exported: " + why + ".",
                             platform::PromptButtons::Ok, platform::PromptIcon::Warning);
    }
    emit finished(false);
}

void CEventExport::Finish() {
    m_watch.stop();
    CloseProgress();
    const auto& events = m_harvest.Events();
    if (m_history) {
        m_history->StoreEvents(events);
    }
    std::string error;
    const QByteArray path = m_path.toLocal8Bit();
    if (!history::WriteFileWhole(path.toStdString(), CsvOf(events), &error)) {
        platform::MessageBox("The events were not exported: " + error + ".",
                             platform::PromptButtons::Ok, platform::PromptIcon::Warning);
        emit finished(false);
        return;
    }
    platform::MessageBox(std::to_string(events.size()) + " events exported to " + ToLatin1(m_path) +
                         ".");
    emit finished(true);
}

void CEventExport::CloseProgress() {
    if (m_progress) {
        m_progress->hide();
        m_progress->deleteLater();
        m_progress = nullptr;
    }
}

std::string CEventExport::CsvOf(const std::vector<history::UnitEventRecord>& events) {
    std::vector<history::CsvRow> rows;
    rows.reserve(events.size());
    for (const auto& e : events) {
        rows.push_back({Latin1ToUtf8(e.dryer), Latin1ToUtf8(e.event), Latin1ToUtf8(e.description),
                        Latin1ToUtf8(e.date), Latin1ToUtf8(e.time)});
    }
    return history::CsvText({"Dryer", "Event", "Description", "Date", "Time"}, rows);
}
