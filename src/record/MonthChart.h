#pragma once
// The record window's chart of the months. It lives in a library of its own, libkelu_chart.so,
// which the window loads when it first opens: linked into the program, Qt's chart library and
// the OpenGL libraries under it were loaded at every start, a megabyte of memory and a
// millisecond for a window most runs never open.

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// What the chart shows: a line per bet, a rate in percent per month.
struct CMonthChart {
    struct CLine {
        QString strName;
        QList<double> rates;
    };
    QString strTitle;
    QString strAxisTitle;
    QStringList months;
    QList<CLine> lines;
};

// The library's entry points, looked up by these names.
extern "C" {
// An empty chart view.
QWidget* KeluNewMonthChart(QWidget* pParent);
// Shows the chart in a view that KeluNewMonthChart made, in place of the one it showed.
void KeluShowMonthChart(QWidget* pView, const CMonthChart& chart);
}
