#pragma once
// The charts' library, libkelu_chart.so, loaded the first time a window shows a chart. Its
// entry points are null when it cannot be loaded, and the windows go without their charts,
// saying so where the chart would be.

#include "record/MonthChart.h"

struct CChartLibrary {
    decltype(&KeluNewMonthChart) pfnNew = nullptr;
    decltype(&KeluShowMonthChart) pfnShowMonths = nullptr;
    decltype(&KeluShowPlaceChart) pfnShowPlaces = nullptr;
};

const CChartLibrary& ChartLibrary();

// A chart view of the library, or a label saying that the library is missing.
QWidget* NewChartView();
