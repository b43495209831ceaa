// The record windows' charts, drawn by libkelu_chart.so: a month a step with a gap where a month
// is missing, and a racer's places over time.

#include "record/ChartLibrary.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QSet>
#include <QTest>

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

QCategoryAxis* MonthAxisOf(QWidget* pView)
{
    const auto axes = qobject_cast<QChartView*>(pView)->chart()->axes(Qt::Horizontal);
    return axes.size() == 1 ? qobject_cast<QCategoryAxis*>(axes[0]) : nullptr;
}

} // namespace

TEST(ChartTest, MonthsAreNamedOnceEachAMissingMonthIsAGapAndPlacesGoByDay)
{
    ASSERT_NE(ChartLibrary().pfnNew, nullptr);
    std::unique_ptr<QWidget> pView(NewChartView());
    pView->resize(640, 400);
    pView->show();
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
    QCategoryAxis* pAxis = MonthAxisOf(pView.get());
    ASSERT_NE(pAxis, nullptr);

    // The line breaks at the gap: two runs, one name in the legend.
    const auto series = pChart->series();
    ASSERT_EQ(series.size(), 2);
    auto* pFirst = qobject_cast<QLineSeries*>(series[0]);
    auto* pSecond = qobject_cast<QLineSeries*>(series[1]);
    ASSERT_TRUE(pFirst && pSecond);
    EXPECT_EQ(pFirst->count(), 14);  // January 2019 to February 2020
    EXPECT_EQ(pSecond->count(), 14); // May 2020 to June 2021
    EXPECT_EQ(pSecond->points().front().y(), 25.0);
    int nVisibleMarkers = 0;
    for (QLegendMarker* pMarker : pChart->legend()->markers())
        nVisibleMarkers += pMarker->isVisible() ? 1 : 0;
    EXPECT_EQ(nVisibleMarkers, 1);
    EXPECT_EQ(pSecond->pen().color(), pFirst->pen().color());
    // A month is a month wide, February as wide as March; the two missing months keep their room.
    QList<QPointF> points = pFirst->points() + pSecond->points();
    const qreal month = points[1].x() - points[0].x();
    ASSERT_GT(month, 0);
    for (qsizetype i = 1; i < points.size(); ++i)
        EXPECT_EQ(points[i].x() - points[i - 1].x(), i == 14 ? 3 * month : month) << i;
    EXPECT_LT(pAxis->min(), points.front().x());
    EXPECT_GT(pAxis->max(), points.back().x());

    // Five months across a new year, once laid out: a label a month, each where its point is.
    CMonthChart months;
    months.months = {201909, 201910, 201911, 201912, 202001};
    months.lines = {{QStringLiteral("mine"), {10, 20, 30, 40, 50}}};
    ChartLibrary().pfnShowMonths(pView.get(), months);
    pAxis = MonthAxisOf(pView.get());
    ASSERT_NE(pAxis, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pAxis->count() == 5; }));
    auto* pLine = qobject_cast<QLineSeries*>(qobject_cast<QChartView*>(pView.get())->chart()->series().value(0));
    ASSERT_TRUE(pLine && pLine->count() == 5);
    const QStringList kNames = {QStringLiteral("2019<br>9月"), QStringLiteral("2019<br>10月"),
                                QStringLiteral("2019<br>11月"), QStringLiteral("2019<br>12月"),
                                QStringLiteral("2020<br>1月")};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(pAxis->endValue(kNames[i]), pLine->at(i).x()) << i;

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
    QDateTimeAxis* pTime = TimeAxisOf(pView.get());
    ASSERT_NE(pTime, nullptr);
    const QStringList labels = TickLabels(*pTime);
    EXPECT_EQ(QSet<QString>(labels.begin(), labels.end()).size(), labels.size())
        << labels.join(QLatin1Char(0x20)).toStdString();
    EXPECT_LE(pTime->min().date(), QDate(2019, 9, 2));
    EXPECT_GE(pTime->max().date(), QDate(2019, 12, 26));
}
