#include "record/MonthChart.h"

#include <QBarCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>

extern "C" {

QWidget* KeluNewMonthChart(QWidget* pParent)
{
    auto* pView = new QChartView(pParent);
    pView->setRenderHint(QPainter::Antialiasing);
    return pView;
}

void KeluShowMonthChart(QWidget* pWidget, const CMonthChart& chart)
{
    auto* pView = qobject_cast<QChartView*>(pWidget);
    if (!pView)
        return;
    auto* pChart = new QChart;
    pChart->setTitle(chart.strTitle);
    QList<QLineSeries*> series;
    for (const CMonthChart::CLine& line : chart.lines) {
        auto* pSeries = new QLineSeries;
        pSeries->setName(line.strName);
        for (qsizetype i = 0; i < line.rates.size(); ++i)
            pSeries->append(static_cast<double>(i), line.rates[i]);
        pChart->addSeries(pSeries);
        series << pSeries;
    }
    auto* pMonths = new QBarCategoryAxis;
    pMonths->append(chart.months);
    auto* pRate = new QValueAxis;
    pRate->setRange(0, 100);
    pRate->setLabelFormat(QStringLiteral("%d%%"));
    pRate->setTitleText(chart.strAxisTitle);
    pChart->addAxis(pMonths, Qt::AlignBottom);
    pChart->addAxis(pRate, Qt::AlignLeft);
    for (QLineSeries* pSeries : series) {
        pSeries->setPointsVisible(true);
        pSeries->attachAxis(pMonths);
        pSeries->attachAxis(pRate);
    }
    QChart* pOld = pView->chart();
    pView->setChart(pChart);
    delete pOld;
}

} // extern "C"
