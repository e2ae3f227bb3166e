#include "app/history/history_window.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/history/save_file_chooser.h"
#include "app/history/timeline_chart.h"
#include "app/latin1.h"
#include "history/csv_file.h"
#include "platform/clock.h"
#include "platform/prompt.h"

namespace {

using history::LocalMs;

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string OptionalTime(const std::optional<LocalMs>& at) {
    return at ? history::LocalText(*at) : std::string();
}

LocalMs Now() {
    return history::ToLocalMs(platform::Clock::LocalNow());
}

// The end of the span that holds now: the next full hour, so that the latest changes show.
LocalMs SpanEndAfter(LocalMs now) {
    constexpr LocalMs kHour = 3600000;
    return (now / kHour + 1) * kHour;
}

}  // namespace

CHistoryWindow::CHistoryWindow(const std::string& path, const std::string& site, QWidget* parent)
    : QWidget(parent, Qt::Window), m_path(path), m_preferredSite(site) {
    setWindowTitle(tr("History"));
    setObjectName(QStringLiteral("historyWindow"));
    resize(900, 640);
    BuildControls();
    Reload();
}

CHistoryWindow::~CHistoryWindow() = default;

void CHistoryWindow::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("Site:"), this));
    m_sites = new QComboBox(this);
    m_sites->setMinimumContentsLength(20);
    row->addWidget(m_sites);
    row->addWidget(new QLabel(tr("Span:"), this));
    m_span = new QComboBox(this);
    m_span->addItems({tr("Day"), tr("Week"), tr("Month")});
    row->addWidget(m_span);
    m_earlier = new QPushButton(tr("< Earlier"), this);
    m_later = new QPushButton(tr("Later >"), this);
    row->addWidget(m_earlier);
    row->addWidget(m_later);
    m_range = new QLabel(this);
    row->addWidget(m_range, 1);
    layout->addLayout(row);

    m_note = new QLabel(this);
    m_note->setWordWrap(true);
    m_note->hide();
    layout->addWidget(m_note);

    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    m_chartView = new QChartView(chart, this);
    m_chartView->setRenderHint(QPainter::Antialiasing, false);
    m_chartView->setMinimumHeight(300);
    layout->addWidget(m_chartView, 3);

    m_table = new QTableWidget(0, 6, this);
    m_table->setHorizontalHeaderLabels({tr("Dryer"), tr("Raised"), tr("Cleared"), tr("Duration"),
                                        tr("Status"), tr("Acknowledged")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* exportTimeline = new QPushButton(tr("Export timeline..."), this);
    auto* exportAlarms = new QPushButton(tr("Export alarms..."), this);
    auto* close = new QPushButton(tr("Close"), this);
    buttons->addWidget(exportTimeline);
    buttons->addWidget(exportAlarms);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(m_sites, &QComboBox::currentTextChanged, this, [this] { Show(); });
    connect(m_span, &QComboBox::currentIndexChanged, this,
            [this](int index) { SetSpan(static_cast<Span>(index)); });
    connect(m_earlier, &QPushButton::clicked, this, [this] { Move(-1); });
    connect(m_later, &QPushButton::clicked, this, [this] { Move(+1); });
    connect(exportTimeline, &QPushButton::clicked, this, [this] {
        SaveCsv(tr("Export timeline"), QStringLiteral("timeline.csv"), TimelineCsv());
    });
    connect(exportAlarms, &QPushButton::clicked, this,
            [this] { SaveCsv(tr("Export alarms"), QStringLiteral("alarms.csv"), AlarmsCsv()); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
}

int64_t CHistoryWindow::SpanMs() const {
    static constexpr int kDays[] = {1, 7, 30};
    return kDays[std::clamp(m_span->currentIndex(), 0, 2)] * history::kMsPerDay;
}

QString CHistoryWindow::Site() const {
    return m_sites->currentText();
}

void CHistoryWindow::Reload() {
    if (!m_reader.IsOpen() && !m_reader.Open(m_path)) {
        m_note->setText(tr("No history yet: %1 (%2).")
                            .arg(QString::fromLocal8Bit(m_path.c_str()), Utf8(m_reader.Error())));
        m_note->show();
    } else {
        m_note->hide();
    }
    const QString keep = m_sites->currentText();
    {
        const QSignalBlocker block(m_sites);
        m_sites->clear();
        for (const std::string& site : m_reader.Sites()) {
            m_sites->addItem(Utf8(site));
        }
        int index = m_sites->findText(keep.isEmpty() ? Utf8(m_preferredSite) : keep);
        m_sites->setCurrentIndex(index >= 0 ? index : 0);
    }
    m_to = SpanEndAfter(Now());
    m_from = m_to - SpanMs();
    Show();
}

void CHistoryWindow::SetSite(const QString& site) {
    const int index = m_sites->findText(site);
    if (index >= 0) {
        m_sites->setCurrentIndex(index);
    }
}

void CHistoryWindow::SetSpan(Span span) {
    if (m_span->currentIndex() != static_cast<int>(span)) {
        m_span->setCurrentIndex(static_cast<int>(span));  // comes back here
        return;
    }
    m_from = m_to - SpanMs();
    Show();
}

void CHistoryWindow::Move(int direction) {
    const int64_t step = SpanMs() * (direction < 0 ? -1 : 1);
    m_from += step;
    m_to += step;
    Show();
}

void CHistoryWindow::Show() {
    const std::string site = m_sites->currentText().toUtf8().toStdString();
    m_segments.clear();
    m_alarms.clear();
    const LocalMs now = Now();
    if (m_reader.IsOpen() && !site.empty()) {
        m_segments =
            history::SegmentsOf(m_reader.DryerChanges(site, m_from, m_to), m_from, m_to, now);
        m_alarms = m_reader.Alarms(site, m_from, m_to);
    }
    m_later->setEnabled(m_to < SpanEndAfter(now));
    m_range->setText(
        tr("%1 to %2").arg(Utf8(history::LocalText(m_from)), Utf8(history::LocalText(m_to))));
    DrawTimeline(*m_chartView->chart(), m_segments, m_from, m_to);
    m_chartView->chart()->setTitle(m_sites->currentText());
    FillTable();
}

void CHistoryWindow::FillTable() {
    m_table->setRowCount(static_cast<int>(m_alarms.size()));
    const LocalMs now = Now();
    for (int row = 0; row < static_cast<int>(m_alarms.size()); ++row) {
        const history::AlarmInterval& alarm = m_alarms[row];
        const LocalMs end = alarm.cleared.value_or(now);
        const QString texts[] = {QString::number(alarm.dryer),
                                 Utf8(history::LocalText(alarm.raised)),
                                 alarm.cleared ? Utf8(OptionalTime(alarm.cleared)) : tr("(active)"),
                                 Utf8(history::DurationText(end - alarm.raised)),
                                 Utf8(alarm.status),
                                 Utf8(OptionalTime(alarm.acknowledged))};
        for (int column = 0; column < 6; ++column) {
            m_table->setItem(row, column, new QTableWidgetItem(texts[column]));
        }
    }
}

std::string CHistoryWindow::TimelineCsv() const {
    std::vector<history::CsvRow> rows;
    for (const history::StateSegment& s : m_segments) {
        rows.push_back({std::to_string(s.dryer), history::LocalText(s.from),
                        history::LocalText(s.to), history::DryerStateName(s.state), s.status,
                        s.alarmTime});
    }
    return history::CsvText({"Dryer", "From", "To", "State", "Status", "Alarm date/time"}, rows);
}

std::string CHistoryWindow::AlarmsCsv() const {
    std::vector<history::CsvRow> rows;
    const LocalMs now = Now();
    for (const history::AlarmInterval& a : m_alarms) {
        rows.push_back({std::to_string(a.dryer), history::LocalText(a.raised),
                        OptionalTime(a.cleared),
                        history::DurationText(a.cleared.value_or(now) - a.raised), a.status,
                        OptionalTime(a.acknowledged), a.unitTime});
    }
    return history::CsvText(
        {"Dryer", "Raised", "Cleared", "Duration", "Status", "Acknowledged", "Unit alarm time"},
        rows);
}

QChart* CHistoryWindow::Chart() const {
    return m_chartView->chart();
}

void CHistoryWindow::SaveCsv(const QString& title, const QString& suggested,
                             const std::string& text) {
    const QString path = ChooseSaveFile(this, title, suggested);
    if (path.isEmpty()) {
        return;
    }
    std::string error;
    if (!history::WriteFileWhole(path.toLocal8Bit().toStdString(), text, &error)) {
        platform::MessageBox("The file was not saved: " + error + ".", platform::PromptButtons::Ok,
                             platform::PromptIcon::Warning);
    }
}
