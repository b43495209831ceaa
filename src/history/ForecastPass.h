#pragma once
// Makes the stored forecasts follow the store and the model: from the first day due (a day
// written or removed since, or every day for another model) to the last stored day, each day's
// races are forecast from their program and the days before them, judged once decided, and
// written in one transaction a day. The past form is read from the store, starting a window's
// length before the first day due, so a forecast is the same however it came to be made.
//
// Fitting reads the same way (history/ForecastTraining.h).

#include "forecast/ForecastModel.h"
#include "history/ForecastRow.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

class CHistoryStore;
class CPastForm;
struct CStoredRace;

struct CForecastSummary {
    bool bOk = true;
    std::string strError;
    bool bStopped = false;
    int nDays = 0; // days forecast
};

class CForecastPass {
public:
    // A race is forecast with the history's coefficients only after this many stored days.
    static constexpr int kHistoryDays = 30;

    CForecastPass(CHistoryStore& store, const CForecastModel& model) : m_store(store), m_model(model) {}

    // progress(done, total) after each day written; bStop ends it after that day, and the rest
    // is due at the next run.
    CForecastSummary Run(const std::atomic<bool>& bStop, const std::function<void(int nDone, int nTotal)>& progress = {});

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
    CHistoryStore& m_store;
    const CForecastModel& m_model;
};
