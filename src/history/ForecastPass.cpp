#include "history/ForecastPass.h"

#include "forecast/Features.h"
#include "forecast/PastForm.h"
#include "history/HistoryStore.h"
#include "history/RowKeys.h"
#include "history/StoredRace.h"

#include <algorithm>

namespace {

// "1-2" or "1-2-3", as the result file writes a combination.
std::string Combination(const CPick& pick, int nLanes)
{
    std::string s;
    for (int i = 0; i < nLanes; ++i) {
        if (i > 0)
            s += '-';
        s += static_cast<char>('0' + pick.lanes[static_cast<size_t>(i)]);
    }
    return s;
}

// What a flat bet on the picks made of the winning lines: each winning line among the picks is
// paid, and in a dead heat two may be.
void JudgeBet(const std::vector<CPick>& picks, int nLanes, const std::vector<CWinningLine>& lines, bool& bHit,
              long long& nReturn)
{
    bHit = false;
    nReturn = 0;
    for (const CPick& pick : picks) {
        const std::string combo = Combination(pick, nLanes);
        for (const CWinningLine& line : lines)
            if (line.strCombo == combo) {
                bHit = true;
                nReturn += line.nPay;
            }
    }
}

std::vector<CForecastRace> Races(const std::vector<CStoredRace>& stored)
{
    std::vector<CForecastRace> races;
    races.reserve(stored.size());
    for (const CStoredRace& s : stored)
        races.push_back(s.race);
    return races;
}

} // namespace

CForecastJudgement CForecastPass::Judge(const CForecast& forecast, const CStoredRace& race)
{
    CForecastJudgement j;
    JudgeBet(forecast.exacta, 2, race.exacta, j.bExactaHit, j.nExactaReturn);
    JudgeBet(forecast.trifecta, 3, race.trifecta, j.bTrifectaHit, j.nTrifectaReturn);
    return j;
}

CForecastRow CForecastPass::ForecastRace(const CForecastModel& model, const CStoredRace& race, const CPastForm& past)
{
    std::vector<double> rows(6 * CFeatures::Names().size());
    const bool bHistory = past.Days() >= kHistoryDays && model.HasSet(EFeatureSet::History);
    CFeatures::Compute(race.race, bHistory ? &past : nullptr, rows.data());
    CForecastRow row;
    row.nVenue = race.race.nVenue;
    row.nRace = race.race.nRace;
    row.forecast = model.Forecast(race.race, rows.data(), bHistory ? EFeatureSet::History : EFeatureSet::Program);
    if (race.outcome == EOutcome::Decided)
        row.judged = Judge(row.forecast, race);
    return row;
}

bool CForecastPass::ReadDays(CHistoryStore& store, int nFrom, int nTo, const std::atomic<bool>& bStop,
                             bool& bStopped,
                             const std::function<bool(int, const std::vector<CStoredRace>&, const CPastForm&)>& visit)
{
    bStopped = false;
    const long long nFirstDay = rowkey::DayNumber(std::max(nFrom, 19700101)) - CPastForm::kWindowDays;
    std::vector<int> dates;
    if (!store.ReadDates(rowkey::DateOfDayNumber(std::max(nFirstDay, 0LL)), nTo, dates))
        return false;
    CPastForm past;
    std::vector<CStoredRace> races;
    for (const int nDate : dates) {
        if (bStop) {
            bStopped = true;
            return true;
        }
        if (!store.ReadStoredRaces(nDate, races))
            return false;
        const int nDay = static_cast<int>(rowkey::DayNumber(nDate));
        past.MoveTo(nDay);
        if (nDate >= nFrom && !visit(nDate, races, past))
            return false;
        past.AddDay(nDay, Races(races));
    }
    return true;
}

CForecastSummary CForecastPass::Run(const std::atomic<bool>& bStop, const std::function<void(int, int)>& progress)
{
    CForecastSummary summary;
    auto fail = [&] {
        summary.bOk = false;
        summary.strError = m_store.LastError();
        return summary;
    };
    std::string strModel;
    int nStaleFrom = 0;
    if (!m_store.ReadForecastState(strModel, nStaleFrom))
        return fail();
    if (strModel != m_model.m_strFingerprint) {
        if (!m_store.RestartForecasts(m_model.m_strFingerprint))
            return fail();
        nStaleFrom = 0;
    }
    std::vector<int> due;
    if (!m_store.ReadDates(nStaleFrom, 99991231, due))
        return fail();
    if (due.empty())
        return summary;
    std::vector<CForecastRow> rows;
    bool bStopped = false;
    const bool bRead = ReadDays(m_store, due.front(), due.back(), bStop, bStopped,
                                [&](int nDate, const std::vector<CStoredRace>& races, const CPastForm& past) {
                                    rows.clear();
                                    for (const CStoredRace& race : races)
                                        rows.push_back(ForecastRace(m_model, race, past));
                                    if (!m_store.WriteForecastDay(nDate, m_model.m_strFingerprint, nStaleFrom, rows))
                                        return false;
                                    nStaleFrom = rowkey::DateOfDayNumber(rowkey::DayNumber(nDate) + 1);
                                    ++summary.nDays;
                                    if (progress)
                                        progress(summary.nDays, static_cast<int>(due.size()));
                                    return true;
                                });
    if (!bRead)
        return fail();
    summary.bStopped = bStopped;
    return summary;
}
