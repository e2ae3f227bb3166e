#include "app/history/console_history.h"

#include <QMetaObject>

#include "app/core/document.h"
#include "app/state/app_state.h"
#include "history/status_record.h"
#include "pages/web_page_status.h"
#include "platform/clock.h"
#include "platform/ini_file.h"
#include "platform/prompt.h"
#include "protocol/status_reply.h"

namespace {

history::LocalMs Now() {
    return history::ToLocalMs(platform::Clock::LocalNow());
}

}  // namespace

CConsoleHistory::CConsoleHistory(CHalvoricDoc& doc, const platform::IniFile& ini,
                                 const std::string& appDir, QObject* parent)
    : QObject(parent), m_doc(doc) {
    m_enabled = ini.GetInt("Settings", "History", 1) != 0;
    const int days = ini.GetInt("Settings", "HistoryDays", history::kDefaultKeepDays);
    m_keepDays = days > 0 ? days : history::kDefaultKeepDays;
    m_path = (appDir.empty() ? std::string(".") : appDir) + "/" + kFileName;
    if (!m_enabled) {
        DebugLog("History is off ([Settings] History=0): nothing is written to " + m_path);
        return;
    }
    m_writer = std::make_unique<history::HistoryWriter>(
        m_path, m_keepDays, [this](history::HistoryWriter::Notice kind, const std::string& text) {
            // The writer's thread: the operator is told on the UI thread.
            QMetaObject::invokeMethod(
                this, [this, kind, text] { OnNotice(kind, text); }, Qt::QueuedConnection);
        });
    m_writer->Start();
}

CConsoleHistory::~CConsoleHistory() {
    if (m_writer) {
        m_writer->Stop();
    }
}

void CConsoleHistory::Watch(CWebPage_Status& page) {
    connect(&page, &CWebPage_Status::statusShown, this, &CConsoleHistory::OnStatusShown);
}

std::string CConsoleHistory::CurrentSite() const {
    const CSystem* system = m_doc.FirstSystem();
    if (!system) {
        return {};
    }
    for (const CPhoneEntry* entry = m_doc.m_pPhoneBook; entry; entry = entry->next) {
        if (entry->phone == system->Telephone) {
            return entry->siteName;
        }
    }
    return system->Telephone;
}

void CConsoleHistory::OnStatusShown(const StatusReply& reply) {
    if (m_writer) {
        m_writer->WritePoll(CurrentSite(), Now(), history::RecordOf(reply));
    }
}

void CConsoleHistory::StoreEvents(std::vector<history::UnitEventRecord> events,
                                  std::function<void(std::optional<int>)> done) {
    if (!m_writer) {
        if (done) {
            done(std::nullopt);
        }
        return;
    }
    m_writer->MergeEvents(CurrentSite(), Now(), std::move(events),
                          [this, done](std::optional<int> added) {
                              if (done) {
                                  QMetaObject::invokeMethod(
                                      this, [done, added] { done(added); }, Qt::QueuedConnection);
                              }
                          });
}

void CConsoleHistory::Acknowledge(int dryer) {
    if (m_writer && dryer >= 1 && dryer <= 8) {
        m_writer->Acknowledge(CurrentSite(), dryer, Now());
    }
}

void CConsoleHistory::Flush() {
    if (m_writer) {
        m_writer->Flush();
    }
}

void CConsoleHistory::OnNotice(history::HistoryWriter::Notice kind, const std::string& text) {
    using Notice = history::HistoryWriter::Notice;
    if (kind == Notice::Replaced) {
        DebugLog("History file damaged, kept aside as " + text);
        platform::MessageBox("The history file " + m_path + " was damaged. It is kept as " + text +
                                 " and a new history was started.",
                             platform::PromptButtons::Ok, platform::PromptIcon::Warning);
        return;
    }
    DebugLog("History off: " + text);
    platform::MessageBox("The history cannot be written to " + m_path + ": " + text +
                             ". The console goes on without history until it is started again.",
                         platform::PromptButtons::Ok, platform::PromptIcon::Warning);
}
