#include "history/ForecastPass.h"

#include "forecast/Features.h"
#include "forecast/PastForm.h"
#include "history/HistoryStore.h"
#include "history/RowKeys.h"
#include "history/StoredRace.h"

#include <algorithm>
#include <thread>

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
    // A race's rows are worked out anew for every race: the buffer stays with the thread.
    thread_local std::vector<double> rows;
    rows.resize(6 * CFeatures::Names().size());
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
        for (const CStoredRace& race : races)
            past.AddRace(nDay, race.race);
        past.EndDay(nDay);
    }
    return true;
}

void CForecastPass::ForecastDay(const std::vector<CStoredRace>& races, const CPastForm& past,
                                std::vector<CForecastRow>& rows) const
{
    // The races of a day are forecast apart from each other: a second thread takes the later
    // half, while the past form stays as it is.
    rows.resize(races.size());
    auto part = [&](size_t nBegin, size_t nEnd) {
        for (size_t i = nBegin; i < nEnd; ++i)
            rows[i] = ForecastRace(m_model, races[i], past);
    };
    const size_t nHalf = races.size() / 2;
    std::thread second;
    if (m_nThreads > 1 && nHalf > 0)
        second = std::thread(part, nHalf, races.size());
    part(0, second.joinable() ? nHalf : races.size());
    if (second.joinable())
        second.join();
}
