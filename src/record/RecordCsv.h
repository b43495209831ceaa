#pragma once
// The prediction record as CSV, for the record window's save and for kelu-history: UTF-8, LF
// as every CSV of kelu-history, a header row, then a row for each venue, each month and the
// total. A row is its kind (レース場, 月, 合計), its name (the venue's, "2020/01", empty for the
// total) and the figures: the details page's picks, the crowd's over the same races, then the
// forecast's. Rates are percentages with one decimal, written in the C locale whatever the
// desktop's.

#include "record/PredictionRecord.h"

#include <string>

class CRecordCsv {
public:
    static std::string Write(const CPredictionRecord& record);
    // "2020/01" of 202001.
    static std::string MonthName(int nMonth);
};
