#include "history/RacerCsv.h"

#include "platform/Sjis.h"

#include <charconv>
#include <cstdio>

std::string CRacerCsv::StartTiming(const std::optional<long long>& nHundredths)
{
    return nHundredths ? HundredthsText(*nHundredths) : std::string();
}

std::string CRacerCsv::HundredthsText(long long nHundredths)
{
    // Written digit by digit: a year of entries writes millions of these.
    char sz[32];
    char* p = sz;
    if (nHundredths < 0)
        *p++ = '-';
    const unsigned long long n = nHundredths < 0 ? 0ULL - static_cast<unsigned long long>(nHundredths)
                                                 : static_cast<unsigned long long>(nHundredths);
    p = std::to_chars(p, sz + sizeof sz - 3, n / 100).ptr;
    *p++ = '.';
    *p++ = static_cast<char>('0' + n / 10 % 10);
    *p++ = static_cast<char>('0' + n % 10);
    return std::string(sz, p);
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
