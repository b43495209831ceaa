#include "history/ForecastTraining.h"

#include "forecast/Features.h"
#include "forecast/Fitter.h"
#include "forecast/PastForm.h"
#include "forecast/TrainingSet.h"
#include "history/ForecastPass.h"
#include "history/HistoryStore.h"
#include "history/RowKeys.h"
#include "history/StoredRace.h"
#include "platform/Number.h"

#include <chrono>

namespace {

// A decided race of the held-out month, with what its forecast needs.
struct CHeldOutRace {
    CStoredRace race;
    bool bHistory = false;
    std::vector<double> rows;
};

void AddFigures(CForecastFigures& figures, const CForecast& f, const CForecastJudgement& j)
{
    ++figures.nRaces;
    figures.nExactaHits += j.bExactaHit;
    figures.nTrifectaHits += j.bTrifectaHit;
    figures.nExactaReturn += j.nExactaReturn;
    figures.nTrifectaReturn += j.nTrifectaReturn;
    for (const CPick& p : f.exacta)
        figures.dExactaChances += p.dProbability;
    for (const CPick& p : f.trifecta)
        figures.dTrifectaChances += p.dProbability;
}

CForecastFigures Judge(const CForecastModel& model, const std::vector<CHeldOutRace>& races)
{
    CForecastFigures figures;
    for (const CHeldOutRace& r : races) {
        const CForecast f = model.Forecast(r.race.race, r.rows.data(),
                                           r.bHistory ? EFeatureSet::History : EFeatureSet::Program);
        AddFigures(figures, f, CForecastPass::Judge(f, r.race));
    }
    return figures;
}

// The first day of the last month of the period: a month before its last day, so that the
// held-out days are the ones a user would forecast next.
int HeldOutFrom(int nFrom, int nTo)
{
    const long long nLast = rowkey::DayNumber(nTo);
    const long long nFirst = nLast - 30;
    // A month out of less than two leaves too little to learn from.
    return nFirst - rowkey::DayNumber(nFrom) >= 30 ? rowkey::DateOfDayNumber(nFirst) : 0;
}

} // namespace

double CForecastFigures::ExactaHitRate() const { return Percent(nExactaHits, nRaces); }
double CForecastFigures::TrifectaHitRate() const { return Percent(nTrifectaHits, nRaces); }
double CForecastFigures::ExactaReturnRate() const
{
    return Percent(static_cast<double>(nExactaReturn), 100.0 * CForecast::kExactaPicks * nRaces);
}
double CForecastFigures::TrifectaReturnRate() const
{
    return Percent(static_cast<double>(nTrifectaReturn), 100.0 * CForecast::kTrifectaPicks * nRaces);
}
double CForecastFigures::ExactaExpectedRate() const { return Percent(dExactaChances, nRaces); }
double CForecastFigures::TrifectaExpectedRate() const { return Percent(dTrifectaChances, nRaces); }

CFitOutcome CForecastTraining::Fit(CHistoryStore& store, int nFrom, int nTo, const CForecastModel& current,
                                   const COptions& options, const std::atomic<bool>& bStop, const CProgress& progress)
{
    const auto start = std::chrono::steady_clock::now();
    CFitOutcome outcome;
    const int nHeldOutFrom = HeldOutFrom(nFrom, nTo);
    std::vector<int> dates;
    if (!store.ReadDates(nFrom, nTo, dates)) {
        outcome.strError = store.LastError();
        return outcome;
    }
    // Races in date order, so those of the held-out month come last in each set.
    CTrainingSet sets[2] = {CTrainingSet(CFeatures::ProgramCount()), CTrainingSet(static_cast<int>(CFeatures::Names().size()))};
    size_t nTraining[2] = {0, 0};
    std::vector<CHeldOutRace> heldOut;
    std::vector<double> rows(6 * CFeatures::Names().size());
    int nDone = 0;
    const bool bRead = CForecastPass::ReadDays(
        store, nFrom, nTo, bStop, outcome.bStopped,
        [&](int nDate, const std::vector<CStoredRace>& races, const CPastForm& past) {
            const bool bHistory = past.Days() >= CForecastPass::kHistoryDays;
            const bool bHeldOut = nHeldOutFrom != 0 && nDate >= nHeldOutFrom;
            for (const CStoredRace& race : races) {
                if (race.outcome != EOutcome::Decided || !race.race.IsDecided())
                    continue;
                CFeatures::Compute(race.race, bHistory ? &past : nullptr, rows.data());
                if (sets[0].Add(race.race, rows.data()))
                    nTraining[0] += !bHeldOut;
                if (bHistory && sets[1].Add(race.race, rows.data()))
                    nTraining[1] += !bHeldOut;
                if (bHeldOut)
                    heldOut.push_back({race, bHistory, rows});
            }
            if (progress)
                progress(EStage::Reading, ++nDone, static_cast<int>(dates.size()));
            return true;
        });
    if (!bRead || outcome.bStopped) {
        outcome.strError = bRead ? "中止しました" : store.LastError();
        return outcome;
    }

    CForecastModel fitted;
    fitted.m_nFrom = nFrom;
    fitted.m_nTo = nTo;
    CFitter::COptions fit;
    fit.dPenalty = options.dPenalty;
    fit.nThreads = options.nThreads;
    // First without the held-out month, to judge it; then on everything, from there.
    for (const bool bWhole : {false, true}) {
        if (bWhole && heldOut.empty())
            break;
        for (int s = 0; s < 2; ++s) {
            const auto set = static_cast<EFeatureSet>(s);
            CTrainingSet& data = sets[s];
            fit.nRaces = bWhole || heldOut.empty() ? data.Races().size() : nTraining[s];
            // Too few races with history make no set of their own: the program's serves them.
            if (set == EFeatureSet::History && fit.nRaces < 500) {
                fitted.Set(set) = CCoefficientSet();
                continue;
            }
            // Scaled once, on the races of the first fit it takes part in.
            if (data.Mean().empty())
                data.Standardise(fit.nRaces);
            const EStage stage = bWhole ? EStage::Refitting : EStage::Fitting;
            if (!CFitter::Fit(data, fit, bStop, [&](int k) { if (progress) progress(stage, k, 0); },
                              fitted.Set(set), outcome.strError)) {
                outcome.bStopped = bStop;
                return outcome;
            }
        }
        if (!fitted.Resolve(outcome.strError))
            return outcome;
        if (!bWhole && !heldOut.empty()) {
            outcome.nHeldOutFrom = nHeldOutFrom;
            outcome.nHeldOutTo = nTo;
            outcome.heldOut = Judge(fitted, heldOut);
            outcome.current = Judge(current, heldOut);
        }
    }
    outcome.nProgramRaces = static_cast<int>(sets[0].Races().size());
    outcome.nHistoryRaces = fitted.HasSet(EFeatureSet::History) ? static_cast<int>(sets[1].Races().size()) : 0;
    outcome.dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.model = std::move(fitted);
    Record(outcome, outcome.model);
    outcome.bOk = true;
    return outcome;
}

void CForecastTraining::Record(const CFitOutcome& outcome, CForecastModel& model)
{
    auto& f = model.m_figures;
    f.clear();
    f["program_races"] = outcome.nProgramRaces;
    f["history_races"] = outcome.nHistoryRaces;
    if (outcome.nHeldOutFrom == 0)
        return;
    f["held_out_from"] = outcome.nHeldOutFrom;
    f["held_out_to"] = outcome.nHeldOutTo;
    const CForecastFigures& h = outcome.heldOut;
    f["held_out_races"] = h.nRaces;
    f["held_out_exacta_hit_rate"] = h.ExactaHitRate();
    f["held_out_exacta_return_rate"] = h.ExactaReturnRate();
    f["held_out_exacta_expected_rate"] = h.ExactaExpectedRate();
    f["held_out_trifecta_hit_rate"] = h.TrifectaHitRate();
    f["held_out_trifecta_return_rate"] = h.TrifectaReturnRate();
    f["held_out_trifecta_expected_rate"] = h.TrifectaExpectedRate();
}
