// CHistoryWindow: "History" of the View menu. For the connected site, or any site in the history
// file, a timeline per dryer of its state over the chosen span (a day, a week or a month, ending
// now; Earlier and Later move it), and under it the alarm list of the span (dryer, raised,
// cleared, duration, status text, acknowledged). Both can be saved as CSV files. The window reads
// the file through its own read-only connection, only the span it shows.
//
// UI thread only.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "history/history_reader.h"
#include "history/state_timeline.h"

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

class CHistoryWindow : public QWidget {
    Q_OBJECT
public:
    enum class Span { Day = 0, Week = 1, Month = 2 };

    // `path`: the history file; `site`: the connected site's name (UTF-8), chosen first when the
    // file has it.
    CHistoryWindow(const std::string& path, const std::string& site, QWidget* parent = nullptr);
    ~CHistoryWindow() override;

    // Reads the sites again and shows the span ending now.
    void Reload();
    void SetSite(const QString& site);
    void SetSpan(Span span);
    // Moves the span back (-1) or forth (+1) by its own length.
    void Move(int direction);

    QString Site() const;
    history::LocalMs From() const { return m_from; }
    history::LocalMs To() const { return m_to; }
    const std::vector<history::StateSegment>& Segments() const { return m_segments; }
    const std::vector<history::AlarmInterval>& AlarmList() const { return m_alarms; }

    // The CSV texts of what is shown.
    std::string TimelineCsv() const;
    std::string AlarmsCsv() const;

    QChart* Chart() const;
    QTableWidget* AlarmTable() const { return m_table; }
    QComboBox* SiteBox() const { return m_sites; }
    QComboBox* SpanBox() const { return m_span; }
    QLabel* Note() const { return m_note; }

private:
    void BuildControls();
    void Show();
    void FillTable();
    void SaveCsv(const QString& title, const QString& suggested, const std::string& text);
    int64_t SpanMs() const;

    std::string m_path;
    std::string m_preferredSite;
    history::HistoryReader m_reader;
    history::LocalMs m_from = 0;
    history::LocalMs m_to = 0;
    std::vector<history::StateSegment> m_segments;
    std::vector<history::AlarmInterval> m_alarms;

    QComboBox* m_sites = nullptr;
    QComboBox* m_span = nullptr;
    QPushButton* m_earlier = nullptr;
    QPushButton* m_later = nullptr;
    QLabel* m_range = nullptr;
    QLabel* m_note = nullptr;
    QChartView* m_chartView = nullptr;
    QTableWidget* m_table = nullptr;
};
