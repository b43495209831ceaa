#include "record/ChartLibrary.h"

#include "platform/Plugin.h"
#include "platform/gui/QtText.h"

#include <QLabel>

#include <dlfcn.h>

const CChartLibrary& ChartLibrary()
{
    static const CChartLibrary library = [] {
        CChartLibrary entries;
        void* pHandle = OpenBesideProgram("libkelu_chart.so");
        if (!pHandle)
            return entries;
        entries.pfnNew = reinterpret_cast<decltype(&KeluNewMonthChart)>(dlsym(pHandle, "KeluNewMonthChart"));
        entries.pfnShowMonths = reinterpret_cast<decltype(&KeluShowMonthChart)>(dlsym(pHandle, "KeluShowMonthChart"));
        entries.pfnShowPlaces = reinterpret_cast<decltype(&KeluShowPlaceChart)>(dlsym(pHandle, "KeluShowPlaceChart"));
        if (!entries.pfnNew || !entries.pfnShowMonths || !entries.pfnShowPlaces)
            entries = CChartLibrary();
        return entries;
    }();
    return library;
}

QWidget* NewChartView()
{
    if (ChartLibrary().pfnNew)
        return ChartLibrary().pfnNew(nullptr);
    auto* pMissing = new QLabel(Utf8("グラフを描く部品 libkelu_chart.so が見つかりません。"));
    pMissing->setTextFormat(Qt::PlainText);
    pMissing->setAlignment(Qt::AlignCenter);
    return pMissing;
}
