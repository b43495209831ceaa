// The record windows' charts, drawn by libkelu_chart.so: months by year and month with a gap
// where a month is missing, and a racer's places over time.

#include "record/ChartLibrary.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QSet>

#include <gtest/gtest.h>

#include <memory>

namespace {

QDate DateOfX(qreal x)
{
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(x), Qt::UTC).date();
}

// The labels the axis draws: its ticks are evenly spaced from its start to its end.
QStringList TickLabels(const QDateTimeAxis& axis)
{
    QStringList labels;
    const qint64 nFirst = axis.min().toMSecsSinceEpoch();
    const qint64 nSpan = axis.max().toMSecsSinceEpoch() - nFirst;
    for (int i = 0; i < axis.tickCount(); ++i)
        labels << QDateTime::fromMSecsSinceEpoch(nFirst + nSpan * i / (axis.tickCount() - 1), Qt::UTC)
                      .toString(axis.format());
    return labels;
}

QDateTimeAxis* TimeAxisOf(QWidget* pView)
{
    const auto axes = qobject_cast<QChartView*>(pView)->chart()->axes(Qt::Horizontal);
    return axes.size() == 1 ? qobject_cast<QDateTimeAxis*>(axes[0]) : nullptr;
}

} // namespace

TEST(ChartTest, MonthsAreNamedOnceEachAMissingMonthIsAGapAndPlacesGoByDay)
{
    ASSERT_NE(ChartLibrary().pfnNew, nullptr);
    std::unique_ptr<QWidget> pView(NewChartView());
    // Two years and a half of months, without March and April of 2020.
    CMonthChart chart;
    CMonthChart::CLine mine{QStringLiteral("mine"), {}};
    for (int y = 2019; y <= 2021; ++y)
        for (int m = 1; m <= 12; ++m) {
            if ((y == 2020 && (m == 3 || m == 4)) || (y == 2021 && m > 6))
                continue;
            chart.months << y * 100 + m;
            mine.rates << m * 5.0;
        }
    chart.lines = {mine};
    ChartLibrary().pfnShowMonths(pView.get(), chart);
    QChart* pChart = qobject_cast<QChartView*>(pView.get())->chart();
    QDateTimeAxis* pAxis = TimeAxisOf(pView.get());
    ASSERT_NE(pAxis, nullptr);
    EXPECT_EQ(pAxis->format(), QStringLiteral("yyyy/MM"));
    // 28 months on the axis: few enough labels to read.
    EXPECT_LE(pAxis->tickCount(), 8);
    EXPECT_LT(pAxis->min().date(), QDate(2019, 1, 15));
    EXPECT_GT(pAxis->max().date(), QDate(2021, 6, 15));

    // The line breaks at the gap: two runs, one name in the legend, the points on their months.
    const auto series = pChart->series();
    ASSERT_EQ(series.size(), 2);
    auto* pFirst = qobject_cast<QLineSeries*>(series[0]);
    auto* pSecond = qobject_cast<QLineSeries*>(series[1]);
    ASSERT_TRUE(pFirst && pSecond);
    EXPECT_EQ(pFirst->count(), 14);  // January 2019 to February 2020
    EXPECT_EQ(pSecond->count(), 14); // May 2020 to June 2021
    EXPECT_EQ(DateOfX(pFirst->points().back().x()), QDate(2020, 2, 15));
    EXPECT_EQ(DateOfX(pSecond->points().front().x()), QDate(2020, 5, 15));
    EXPECT_EQ(pSecond->points().front().y(), 25.0);
    int nVisibleMarkers = 0;
    for (QLegendMarker* pMarker : pChart->legend()->markers())
        nVisibleMarkers += pMarker->isVisible() ? 1 : 0;
    EXPECT_EQ(nVisibleMarkers, 1);
    EXPECT_EQ(pSecond->pen().color(), pFirst->pen().color());

    // Five months across a new year: a label a month, each the month of its point.
    CMonthChart months;
    months.months = {201909, 201910, 201911, 201912, 202001};
    months.lines = {{QStringLiteral("mine"), {10, 20, 30, 40, 50}}};
    ChartLibrary().pfnShowMonths(pView.get(), months);
    pAxis = TimeAxisOf(pView.get());
    ASSERT_NE(pAxis, nullptr);
    EXPECT_EQ(TickLabels(*pAxis),
              (QStringList{QStringLiteral("2019/09"), QStringLiteral("2019/10"), QStringLiteral("2019/11"),
                           QStringLiteral("2019/12"), QStringLiteral("2020/01")}));

    // A racer's starts over four months: a point a start, one without a place below the sixth,
    // and every label a different day.
    CPlaceChart places;
    for (int nMonth : {201909, 201910, 201911, 201912})
        for (int nDay : {2, 10, 18, 26}) {
            places.dates << nMonth * 100 + nDay;
            places.places << (nDay == 10 ? 0 : nDay == 18 ? 6 : 1);
        }
    ChartLibrary().pfnShowPlaces(pView.get(), places);
    pChart = qobject_cast<QChartView*>(pView.get())->chart();
    ASSERT_EQ(pChart->series().size(), 1);
    auto* pPoints = qobject_cast<QScatterSeries*>(pChart->series()[0]);
    ASSERT_NE(pPoints, nullptr);
    ASSERT_EQ(pPoints->count(), 16);
    EXPECT_EQ(pPoints->points()[0].y(), 1.0);
    EXPECT_EQ(pPoints->points()[1].y(), 7.0);
    EXPECT_EQ(pPoints->points()[2].y(), 6.0);
    EXPECT_EQ(DateOfX(pPoints->points()[15].x()), QDate(2019, 12, 26));
    pAxis = TimeAxisOf(pView.get());
    ASSERT_NE(pAxis, nullptr);
    const QStringList labels = TickLabels(*pAxis);
    EXPECT_EQ(QSet<QString>(labels.begin(), labels.end()).size(), labels.size())
        << labels.join(QLatin1Char(0x20)).toStdString();
    EXPECT_LE(pAxis->min().date(), QDate(2019, 9, 2));
    EXPECT_GE(pAxis->max().date(), QDate(2019, 12, 26));
}
