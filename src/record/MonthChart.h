#pragma once
// The charts of the record windows. They live in a library of their own, libkelu_chart.so,
// which a window loads when it first shows a chart (record/ChartLibrary.h): linked into the
// program, Qt's chart library and the OpenGL libraries under it were loaded at every start, a
// megabyte of memory and a millisecond for windows most runs never open.

#include <QColor>
#include <QList>
#include <QString>
#include <Qt>

class QWidget;

// The predictions' record by month: a line per bet, a rate in percent per month.
struct CMonthChart {
    struct CLine {
        QString strName;
        QList<double> rates; // one a month of `months`
        Qt::PenStyle penStyle = Qt::SolidLine;
        QColor color; // the chart's own colour when not given
    };
    QString strTitle;
    QString strAxisTitle;
    // YYYYMM of each point, oldest first. A month missing between two of them is a gap in the
    // lines, and the axis keeps its place.
    QList<int> months;
    QList<CLine> lines;
};

// A racer's places over time: a point a start, oldest first.
struct CPlaceChart {
    QString strTitle;
    QList<int> dates;  // YYYYMMDD
    QList<int> places; // 1..6; 0 for a start without a place (F, L, S)
};

// The library's entry points, looked up by these names.
extern "C" {
// An empty chart view, for either chart.
QWidget* KeluNewMonthChart(QWidget* pParent);
// Shows the chart in a view that KeluNewMonthChart made, in place of the one it showed.
void KeluShowMonthChart(QWidget* pView, const CMonthChart& chart);
void KeluShowPlaceChart(QWidget* pView, const CPlaceChart& chart);
}
