#include "history/RacerCsv.h"

#include "platform/Sjis.h"

#include <cstdio>
#include <cstdlib>

std::string CRacerCsv::StartTiming(const std::optional<long long>& nHundredths)
{
    if (!nHundredths)
        return {};
    char sz[24];
    const long long n = std::llabs(*nHundredths);
    std::snprintf(sz, sizeof sz, "%s%lld.%02lld", *nHundredths < 0 ? "-" : "", n / 100, n % 100);
    return sz;
}

std::string CRacerCsv::Write(const CRacerRecord& record)
{
    std::string csv = "date,venue,race,boat,course,start,place,start_timing\n";
    char sz[64];
    for (auto it = record.m_races.rbegin(); it != record.m_races.rend(); ++it) {
        std::snprintf(sz, sizeof sz, "%04d-%02d-%02d,%02d,%d,%d,", it->nDate / 10000, it->nDate / 100 % 100,
                      it->nDate % 100, it->nVenue, it->nRace, it->nBoat);
        csv += sz;
        csv += SjisToUtf8(it->strCourse.Str()) + "," + SjisToUtf8(it->strStart.Str()) + "," +
               SjisToUtf8(it->strPlace.Str()) + "," + StartTiming(it->nStartTiming) + "\n";
    }
    return csv;
}
