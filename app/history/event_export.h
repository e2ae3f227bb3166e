// CEventExport: "Export events..." of the Event page. After the operator chose a file, it reads
// the unit's whole event list through the page (first page, then next page until the last, in
// the unit's current sort), with a progress dialog that can be cancelled; stores what was read in
// the history (an event already stored is not stored twice) and writes the events as a CSV file
// (UTF-8, one header line). The page's own rules hold: one request in flight, the latest wins.
// A click on the page's paging buttons or heads, or leaving the page, stops the reading; so does
// Cancel, and a request the unit never answers.
//
// UI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <QTimer>
#include <string>

#include "history/event_harvest.h"

class CConsoleHistory;
class CWebPage_Event;

class CEventExport : public QObject {
    Q_OBJECT
public:
    // `history` may be null (no history: the file is still written).
    CEventExport(CWebPage_Event& page, CConsoleHistory* history, QObject* parent = nullptr);
    ~CEventExport() override;

    // "Export events..." pressed.
    void Begin();
    bool Running() const { return m_harvest.Running(); }
    const history::EventHarvest& Harvest() const { return m_harvest; }
    QProgressDialog* Progress() const { return m_progress; }

    static std::string CsvOf(const std::vector<history::UnitEventRecord>& events);

signals:
    // The export ended: `written` when the file holds the whole list.
    void finished(bool written);

private:
    void OnReply(const std::string& text);
    void Stop(const std::string& why, bool tell);
    void Finish();
    void CheckLost();
    void CloseProgress();

    CWebPage_Event& m_page;
    CConsoleHistory* m_history;
    history::EventHarvest m_harvest;
    QString m_path;
    QPointer<QProgressDialog> m_progress;
    QTimer m_watch;
};
