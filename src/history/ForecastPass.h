#pragma once
// A day's forecasts: each race's from its program and the past form of the days before it,
// judged once the race is decided. The indexer makes them as it writes the days
// (history/HistoryIndexer.h); fitting reads the days the same way (history/ForecastTraining.h),
// so that a model learns from the figures it will forecast with.

#include "forecast/ForecastModel.h"
#include "history/ForecastRow.h"

#include <atomic>
#include <functional>
#include <vector>

class CHistoryStore;
class CPastForm;
struct CStoredRace;

class CForecastPass {
public:
    // A race is forecast with the history's coefficients only after this many stored days.
    static constexpr int kHistoryDays = 30;

    // The races of a day are forecast on up to two threads.
    explicit CForecastPass(const CForecastModel& model, int nThreads = 2) : m_model(model), m_nThreads(nThreads) {}

    // The forecasts of a day's races, with the past form moved to the day.
    void ForecastDay(const std::vector<CStoredRace>& races, const CPastForm& past, std::vector<CForecastRow>& rows) const;

    // The forecast of a stored race with the past form moved to its day, and how it fared.
    static CForecastRow ForecastRace(const CForecastModel& model, const CStoredRace& race, const CPastForm& past);
    static CForecastJudgement Judge(const CForecast& forecast, const CStoredRace& race);

    // Reads the stored days from nFrom's window on up to nTo, in date order, with the past form
    // of the days before each: visit(date, races, past) for the days from nFrom on. False with
    // the store's error; bStop ends it early (true, with bStopped set).
    static bool ReadDays(CHistoryStore& store, int nFrom, int nTo, const std::atomic<bool>& bStop, bool& bStopped,
                         const std::function<bool(int nDate, const std::vector<CStoredRace>& races,
                                                  const CPastForm& past)>& visit);

private:
    const CForecastModel& m_model;
    int m_nThreads;
};
