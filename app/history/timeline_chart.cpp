#include "app/history/timeline_chart.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <array>

namespace {

using history::DryerState;

constexpr int kStates = 4;
constexpr double kBandLow = 0.15;
constexpr double kBandHigh = 0.85;

QColor ColourOf(DryerState state) {
    switch (state) {
        case DryerState::Alarm:
            return QColor(220, 0, 0);
        case DryerState::Online:
            return QColor(0, 128, 0);
        case DryerState::Standby:
            return QColor(255, 165, 0);
        case DryerState::Off:
            break;
    }
    return QColor(190, 190, 190);
}

// Dryer 1 is the top band.
double BandBase(int dryer) {
    return 8 - dryer;
}

}  // namespace

qint64 ChartTimeOf(history::LocalMs local) {
    const platform::LocalTime t = history::FromLocalMs(local);
    const QDateTime at(QDate(t.year, t.month, t.day),
                       QTime(t.hour, t.minute, t.second, t.millisecond));
    return at.toMSecsSinceEpoch();
}

void DrawTimeline(QChart& chart, const std::vector<history::StateSegment>& segments,
                  history::LocalMs from, history::LocalMs to) {
    chart.removeAllSeries();
    for (QAbstractAxis* axis : chart.axes()) {
        chart.removeAxis(axis);
        delete axis;
    }
    const qint64 start = ChartTimeOf(from);
    const qint64 end = ChartTimeOf(to);

    // upper[dryer][state]: a step line that rises to the band's top over each segment of that
    // state and lies on the band's bottom elsewhere.
    std::array<std::array<QList<QPointF>, kStates>, 8> upper;
    for (const history::StateSegment& segment : segments) {
        const int k = segment.dryer - 1;
        const int s = static_cast<int>(segment.state);
        if (k < 0 || k >= 8 || s < 0 || s >= kStates) {
            continue;
        }
        const double low = BandBase(segment.dryer) + kBandLow;
        const double high = BandBase(segment.dryer) + kBandHigh;
        const double a = double(ChartTimeOf(segment.from));
        const double b = double(ChartTimeOf(segment.to));
        QList<QPointF>& points = upper[k][s];
        points << QPointF(a, low) << QPointF(a, high) << QPointF(b, high) << QPointF(b, low);
    }

    auto* timeAxis = new QDateTimeAxis;
    const qint64 span = end - start;
    timeAxis->setFormat(span <= 2LL * 86400000 ? QStringLiteral("HH:mm")
                                               : QStringLiteral("dd MMM"));
    timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(start), QDateTime::fromMSecsSinceEpoch(end));
    timeAxis->setTickCount(span <= 2LL * 86400000 ? 9 : 8);
    chart.addAxis(timeAxis, Qt::AlignBottom);

    auto* dryerAxis = new QCategoryAxis;
    dryerAxis->setRange(0, 8);
    dryerAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    for (int dryer = 8; dryer >= 1; --dryer) {
        dryerAxis->append(QStringLiteral("Dryer %1").arg(dryer), BandBase(dryer) + 1);
    }
    chart.addAxis(dryerAxis, Qt::AlignLeft);

    std::array<bool, kStates> named{};
    for (int k = 0; k < 8; ++k) {
        const double low = BandBase(k + 1) + kBandLow;
        for (int s = 0; s < kStates; ++s) {
            if (upper[k][s].isEmpty()) {
                continue;
            }
            auto* top = new QLineSeries;
            top->replace(upper[k][s]);
            auto* bottom = new QLineSeries;
            bottom->append(double(start), low);
            bottom->append(double(end), low);
            auto* area = new QAreaSeries(top, bottom);
            const auto state = static_cast<DryerState>(s);
            area->setName(QString::fromLatin1(history::DryerStateName(state)));
            area->setBrush(ColourOf(state));
            area->setPen(Qt::NoPen);
            chart.addSeries(area);
            area->attachAxis(timeAxis);
            area->attachAxis(dryerAxis);
            // One legend entry per state.
            const bool first = !named[s];
            named[s] = true;
            for (QLegendMarker* marker : chart.legend()->markers(area)) {
                marker->setVisible(first);
            }
        }
    }
}
