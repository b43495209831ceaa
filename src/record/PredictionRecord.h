#pragma once
// How the ranked predictions fared over the days on disk: for every decided race, whether the
// real exacta was among the six best exacta picks and the real trifecta among the twelve best,
// and what a flat bet of 100 yen on each of those picks would have paid back. Counted by venue
// and by month. Plain C++: it runs on worker threads, each with a document of its own.

#include "platform/Time.h"

#include <atomic>
#include <functional>
#include <map>
#include <vector>

class CKeluDoc;

struct SRecordCount {
    static constexpr int kExactaPicks = 6;
    static constexpr int kTrifectaPicks = 12;
    static constexpr int kStake = 100; // yen a pick; payouts are published per 100 yen

    int nRaces = 0;
    int nExactaHits = 0;
    int nTrifectaHits = 0;
    long long nExactaReturn = 0;   // yen paid back on the exacta picks
    long long nTrifectaReturn = 0; // and on the trifecta picks
    // The crowd's picks over the same races: the six most popular exactas and the twelve most
    // popular trifectas, by the popularity (人気) the result file gives each winning line.
    int nCrowdExactaHits = 0;
    int nCrowdTrifectaHits = 0;
    long long nCrowdExactaReturn = 0;
    long long nCrowdTrifectaReturn = 0;
    // The forecast's six exactas and twelve trifectas over the same races: kept by the history
    // store, so a count straight from the day files has none.
    int nForecastExactaHits = 0;
    int nForecastTrifectaHits = 0;
    long long nForecastExactaReturn = 0;
    long long nForecastTrifectaReturn = 0;

    void Add(const SRecordCount& other);
    // Percentages; 0 without races.
    double ExactaHitRate() const;
    double TrifectaHitRate() const;
    double ExactaReturnRate() const;
    double TrifectaReturnRate() const;
    double CrowdExactaHitRate() const;
    double CrowdTrifectaHitRate() const;
    double CrowdExactaReturnRate() const;
    double CrowdTrifectaReturnRate() const;
    double ForecastExactaHitRate() const;
    double ForecastTrifectaHitRate() const;
    double ForecastExactaReturnRate() const;
    double ForecastTrifectaReturnRate() const;
    friend bool operator==(const SRecordCount&, const SRecordCount&) = default;
};

class CPredictionRecord {
public:
    // Counts every decided race of the loaded day (its exacta has a winning line); the month is
    // the day's. Returns the number of races counted.
    int AddDay(CKeluDoc& doc, const CTime& day);
    void Merge(const CPredictionRecord& other);
    // The record of the selected race alone: no races when it was not decided.
    static SRecordCount RaceRecord(CKeluDoc& doc);

    std::map<int, SRecordCount> m_byVenue; // venue code 1..24
    std::map<int, SRecordCount> m_byMonth; // year * 100 + month
    SRecordCount m_total;
    int m_nDays = 0; // days counted
    // Days left out of the count, oldest first: those whose files could not be read whole, and
    // the demo days, whose racers and results are made up.
    std::vector<CTime> m_skippedDays;
    std::vector<CTime> m_demoDays;
};

// The days that have a program file in data/prog, oldest first.
std::vector<CTime> FindProgramDays();
// The days that have both a program file in data/prog and a result file in data/res, oldest
// first.
std::vector<CTime> FindRecordedDays();

// Loads the days on up to nThreads threads and counts them. A day whose files cannot be read
// whole is skipped, a demo day left out, and each is listed as such. progress(done) is called
// from the worker threads after each day; bStop ends the work after the day each thread is on.
CPredictionRecord RecordDays(const std::vector<CTime>& days, int nThreads, const std::atomic<bool>& bStop,
                             const std::function<void(int nDone)>& progress = {});
