#include "record/MonthChart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>

namespace {

// A month's point stands in its middle; the axis is time, so a missing month keeps its room.
qreal MonthX(int nMonth)
{
    const QDateTime middle(QDate(nMonth / 100, nMonth % 100, 15), QTime(12, 0), Qt::UTC);
    return static_cast<qreal>(middle.toMSecsSinceEpoch());
}

qreal DayX(int nDate)
{
    const QDateTime noon(QDate(nDate / 10000, nDate / 100 % 100, nDate % 100), QTime(12, 0), Qt::UTC);
    return static_cast<qreal>(noon.toMSecsSinceEpoch());
}

int NextMonth(int nMonth)
{
    return nMonth % 100 == 12 ? (nMonth / 100 + 1) * 100 + 1 : nMonth + 1;
}

// A time axis with no more labels than fit, readable over years. Its ticks are evenly spaced
// in time, not on month boundaries: an axis of months keeps them near the middle of each month
// (the points' places, padded by a few days) so that no label names the month before, and an
// axis of days names the day, as two ticks within a month would read as one month twice.
QDateTimeAxis* TimeAxis(qreal xFirst, qreal xLast, int nPoints, const QString& strFormat, int nMaxTicks,
                        qreal padDays)
{
    auto* pAxis = new QDateTimeAxis;
    pAxis->setFormat(strFormat);
    pAxis->setTickCount(std::clamp(nPoints, 2, nMaxTicks));
    const qreal pad = padDays * 24 * 3600 * 1000;
    pAxis->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(xFirst - pad), Qt::UTC),
                    QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(xLast + pad), Qt::UTC));
    return pAxis;
}

void ReplaceChart(QWidget* pWidget, QChart* pChart)
{
    auto* pView = qobject_cast<QChartView*>(pWidget);
    if (!pView) {
        delete pChart;
        return;
    }
    QChart* pOld = pView->chart();
    pView->setChart(pChart);
    delete pOld;
}

} // namespace

extern "C" {

QWidget* KeluNewMonthChart(QWidget* pParent)
{
    auto* pView = new QChartView(pParent);
    pView->setRenderHint(QPainter::Antialiasing);
    return pView;
}

void KeluShowMonthChart(QWidget* pWidget, const CMonthChart& chart)
{
    auto* pChart = new QChart;
    pChart->setTitle(chart.strTitle);
    auto* pRate = new QValueAxis;
    pRate->setRange(0, 100);
    pRate->setLabelFormat(QStringLiteral("%d%%"));
    pRate->setTitleText(chart.strAxisTitle);
    pChart->addAxis(pRate, Qt::AlignLeft);
    if (chart.months.isEmpty()) {
        ReplaceChart(pWidget, pChart);
        return;
    }
    QDateTimeAxis* pMonths = TimeAxis(MonthX(chart.months.front()), MonthX(chart.months.back()),
                                      static_cast<int>(chart.months.size()), QStringLiteral("yyyy/MM"), 8, 3);
    pChart->addAxis(pMonths, Qt::AlignBottom);
    for (const CMonthChart::CLine& line : chart.lines) {
        // A run of months that follow each other is one series; a missing month starts
        // another, in the same pen, and only the first is named in the legend.
        QList<QLineSeries*> runs;
        for (qsizetype i = 0; i < chart.months.size() && i < line.rates.size(); ++i) {
            if (runs.isEmpty() || NextMonth(chart.months[i - 1]) != chart.months[i]) {
                auto* pRun = new QLineSeries;
                pRun->setName(line.strName);
                pRun->setPointsVisible(true);
                pChart->addSeries(pRun);
                pRun->attachAxis(pMonths);
                pRun->attachAxis(pRate);
                if (!runs.isEmpty()) {
                    QPen pen = runs.front()->pen();
                    pRun->setPen(pen);
                    for (QLegendMarker* pMarker : pChart->legend()->markers(pRun))
                        pMarker->setVisible(false);
                } else {
                    QPen pen = pRun->pen();
                    pen.setStyle(line.penStyle);
                    if (line.color.isValid())
                        pen.setColor(line.color);
                    pRun->setPen(pen);
                    if (line.color.isValid())
                        pRun->setColor(line.color);
                }
                runs << pRun;
            }
            runs.back()->append(MonthX(chart.months[i]), line.rates[i]);
        }
    }
    ReplaceChart(pWidget, pChart);
}

void KeluShowPlaceChart(QWidget* pWidget, const CPlaceChart& chart)
{
    auto* pChart = new QChart;
    pChart->setTitle(chart.strTitle);
    pChart->legend()->hide();
    // First place at the top; a start without a place below the sixth.
    auto* pPlaces = new QCategoryAxis;
    pPlaces->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    for (int p = 1; p <= 6; ++p)
        pPlaces->append(QStringLiteral("%1着").arg(p), p);
    pPlaces->append(QStringLiteral("F/L/S"), 7);
    pPlaces->setRange(0.5, 7.5);
    pPlaces->setReverse(true);
    pChart->addAxis(pPlaces, Qt::AlignLeft);
    if (!chart.dates.isEmpty()) {
        QDateTimeAxis* pTime = TimeAxis(DayX(chart.dates.front()), DayX(chart.dates.back()),
                                        static_cast<int>(chart.dates.size()), QStringLiteral("yyyy/MM/dd"), 6, 2);
        pChart->addAxis(pTime, Qt::AlignBottom);
        auto* pPoints = new QScatterSeries;
        pPoints->setMarkerSize(7);
        for (qsizetype i = 0; i < chart.dates.size() && i < chart.places.size(); ++i)
            pPoints->append(DayX(chart.dates[i]), chart.places[i] >= 1 ? chart.places[i] : 7);
        pChart->addSeries(pPoints);
        pPoints->attachAxis(pTime);
        pPoints->attachAxis(pPlaces);
    }
    ReplaceChart(pWidget, pChart);
}

} // extern "C"
