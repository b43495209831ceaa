#pragma once
// A racer's races as CSV, for kelu-history and for the racer's window alike: UTF-8, a header
// row, LF, oldest first. The columns are those scripts have read from the start, with the start
// timing in seconds last:
//   date,venue,race,boat,course,start,place,start_timing
// start is the two digits the results page shows ("15"); start_timing is "0.15", "-0.01" for a
// flying start, empty for a late start or none.

#include "history/RacerRecord.h"

#include <string>

class CRacerCsv {
public:
    static std::string Write(const CRacerRecord& record);
    // "0.15", "-0.01"; empty without a timing.
    static std::string StartTiming(const std::optional<long long>& nHundredths);
    // A figure kept in hundredths, written as the day files write it: "0.15", "-0.01", "45.94".
    static std::string HundredthsText(long long nHundredths);
};
