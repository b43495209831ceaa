#include "record/MonthChart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFontMetricsF>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>

namespace {

// A month's place on its axis: months since the start of year 0, so that one month follows
// another one apart, whatever their lengths, and a missing month keeps its room.
int MonthX(int nMonth)
{
    return nMonth / 100 * 12 + nMonth % 100 - 1;
}

// The year above the month, "2020" over "10月": a label as narrow as four digits, so that a
// year's twelve fit side by side where "2020/10" did not.
QString MonthLabel(int nX)
{
    return QStringLiteral("%1<br>%2月").arg(nX / 12).arg(nX % 12 + 1);
}

qreal DayX(int nDate)
{
    const QDateTime noon(QDate(nDate / 10000, nDate / 100 % 100, nDate % 100), QTime(12, 0), Qt::UTC);
    return static_cast<qreal>(noon.toMSecsSinceEpoch());
}

// A time axis with no more labels than fit, readable over years. Its ticks are evenly spaced
// in time: an axis of days names the day, so that no two labels read alike.
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

// Names the months from nFirst to nLast (MonthX) on the axis, each label and its tick on the
// month's own x, where the month's points are. Every month is named when the labels fit side
// by side in dWidth pixels; else every second, third, sixth or twelfth month, counted from
// January, and over many years every so many Januaries.
void NameMonths(QCategoryAxis* pAxis, int nFirst, int nLast, qreal dWidth)
{
    // The chart cuts a label to its share of the axis less a padding on either side; a line
    // height covers those paddings.
    const QFontMetricsF metrics(pAxis->labelsFont());
    const qreal slot = std::max(metrics.horizontalAdvance(QString::number(nLast / 12)),
                                metrics.horizontalAdvance(QStringLiteral("12月"))) +
                       metrics.height();
    const auto Named = [&](int nStep) { return nLast / nStep - (nFirst + nStep - 1) / nStep + 1; };
    int nStep = 1;
    for (const int nNext : {2, 3, 6, 12}) {
        if ((Named(nStep) + 1) * slot <= dWidth)
            break;
        nStep = nNext;
    }
    while ((Named(nStep) + 1) * slot > dWidth && nStep < nLast - nFirst + 1)
        nStep += 12;
    for (const QString& strLabel : pAxis->categoriesLabels())
        pAxis->remove(strLabel);
    pAxis->setStartValue(pAxis->min());
    for (int x = (nFirst + nStep - 1) / nStep * nStep; x <= nLast; x += nStep)
        pAxis->append(MonthLabel(x), x);
}

// The months' axis, half a month beyond the first and the last. Its months are named once the
// chart is laid out and the plot's width known, and again whenever that width changes: a label
// drawn before would be one that may not fit.
QCategoryAxis* MonthAxis(QChart* pChart, int nFirst, int nLast)
{
    auto* pAxis = new QCategoryAxis;
    pAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    pAxis->setRange(nFirst - 0.5, nLast + 0.5);
    QObject::connect(pChart, &QChart::plotAreaChanged, pAxis,
                     [pAxis, nFirst, nLast, namedWidth = qreal(0)](const QRectF& plot) mutable {
                         // A new height alone (the labels' own, once named) changes nothing.
                         if (qAbs(plot.width() - namedWidth) < 1)
                             return;
                         namedWidth = plot.width();
                         NameMonths(pAxis, nFirst, nLast, namedWidth);
                     });
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
    QCategoryAxis* pMonths = MonthAxis(pChart, MonthX(chart.months.front()), MonthX(chart.months.back()));
    pChart->addAxis(pMonths, Qt::AlignBottom);
    for (const CMonthChart::CLine& line : chart.lines) {
        // A run of months that follow each other is one series; a missing month starts
        // another, in the same pen, and only the first is named in the legend.
        QList<QLineSeries*> runs;
        for (qsizetype i = 0; i < chart.months.size() && i < line.rates.size(); ++i) {
            if (runs.isEmpty() || MonthX(chart.months[i - 1]) + 1 != MonthX(chart.months[i])) {
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
