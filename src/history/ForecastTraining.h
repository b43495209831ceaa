#pragma once
// Fits a new forecast model on the store's decided races of a period: reads the days with the
// past form of each, as the stored forecasts are made, then fits both coefficient sets. The
// last month of the period is first held out: a model fitted without it is judged on it, beside
// the current model, and the model kept is then fitted again on the whole period, starting from
// the first fit. Run it off the window thread.

#include "forecast/ForecastModel.h"

#include <atomic>
#include <functional>
#include <string>

class CHistoryStore;

// How a model's picks fared on the decided races of a period.
struct CForecastFigures {
    int nRaces = 0;
    int nExactaHits = 0, nTrifectaHits = 0;
    long long nExactaReturn = 0, nTrifectaReturn = 0;
    // The summed chances the model gave its picks: what it expected to hit.
    double dExactaChances = 0, dTrifectaChances = 0;

    // Percentages; 0 without races.
    double ExactaHitRate() const;
    double TrifectaHitRate() const;
    double ExactaReturnRate() const;
    double TrifectaReturnRate() const;
    double ExactaExpectedRate() const;
    double TrifectaExpectedRate() const;
};

struct CFitOutcome {
    bool bOk = false;
    std::string strError;
    bool bStopped = false;
    CForecastModel model; // fitted on the whole period, resolved
    int nProgramRaces = 0, nHistoryRaces = 0;
    double dSeconds = 0;
    // The held-out month: its days, and how the model fitted without it and the current model
    // fared there. No days when the period was too short to hold a month out.
    int nHeldOutFrom = 0, nHeldOutTo = 0;
    CForecastFigures heldOut, current;
};

class CForecastTraining {
public:
    enum class EStage { Reading, Fitting, Refitting };
    // stage, done, total (total 0 when it is not known: the fitting's iterations).
    using CProgress = std::function<void(EStage stage, int nDone, int nTotal)>;

    struct COptions {
        double dPenalty = 1.0;
        int nThreads = 1;
    };

    // nFrom and nTo are YYYYMMDD, both included; the current model is judged beside the new.
    static CFitOutcome Fit(CHistoryStore& store, int nFrom, int nTo, const CForecastModel& current,
                           const COptions& options, const std::atomic<bool>& bStop, const CProgress& progress = {});
    // The figures' names as the model file keeps them.
    static void Record(const CFitOutcome& outcome, CForecastModel& model);
};
