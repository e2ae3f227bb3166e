// CConsoleHistory: the console's history. It reads [Settings] "History" (0 turns it off; on by
// default) and "HistoryDays" (how many days are kept, 365 by default), runs the history writer on
// Corvantis.db beside Corvantis.ini, writes every Status reply the page shows for the connected
// site, stores what an event export read, and records the operator's acknowledge of an alarm.
// Problems of the file (damaged and replaced, full disk, read-only folder) are told to the
// operator once; the console goes on without history then.
//
// UI thread only. The writer's notices come from its thread and are shown on the UI thread.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/history_writer.h"
#include "history/unit_event.h"

class CHalvoricDoc;
class CWebPage_Status;
struct StatusReply;

namespace platform {
class IniFile;
}

class CConsoleHistory : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kFileName = "Corvantis.db";

    CConsoleHistory(CHalvoricDoc& doc, const platform::IniFile& ini, const std::string& appDir,
                    QObject* parent = nullptr);
    ~CConsoleHistory() override;  // writes what is queued, then stops the writer

    // False when [Settings] History=0.
    bool Enabled() const { return m_enabled; }
    int KeepDays() const { return m_keepDays; }
    // The history file's path (written only when enabled).
    const std::string& Path() const { return m_path; }

    // The Status page's replies are written from now on.
    void Watch(CWebPage_Status& page);

    // The name the connected site is kept under: its phone-book name (the site whose phone the
    // System was given), or the phone itself when the book has none. Latin-1.
    std::string CurrentSite() const;

    // The events of an export for the connected site; `done` runs on the UI thread with the
    // number of new events, or nothing when they could not be stored.
    void StoreEvents(std::vector<history::UnitEventRecord> events,
                     std::function<void(std::optional<int>)> done = {});

    // Waits for the queued writes (tests and exports that read the file back).
    void Flush();
    history::HistoryWriter* Writer() const { return m_writer.get(); }

public slots:
    // The operator acknowledged the alarm of dryer `dryer` (1..8) at the connected site.
    void Acknowledge(int dryer);

private:
    void OnStatusShown(const StatusReply& reply);
    void OnNotice(history::HistoryWriter::Notice kind, const std::string& text);

    CHalvoricDoc& m_doc;
    bool m_enabled = true;
    int m_keepDays = history::kDefaultKeepDays;
    std::string m_path;
    std::unique_ptr<history::HistoryWriter> m_writer;
};
