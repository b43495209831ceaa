// The forecasts in the store: one row a race, the sums of the decided races by day and venue
// for the record, and which model made them and from which day on they must be made again.
//
// A forecast's chances are kept as 16-bit fractions, a byte of the boats present first; its
// picks as their boats' digits, best first, as the picks table keeps the details page's.

#include "history/HistoryStore.h"

#include "history/ForecastRow.h"
#include "history/HistoryError.h"
#include "history/RowKeys.h"

#include <cmath>
#include <map>

namespace {

constexpr double kUnit = 65535.0;

void PutChance(std::string& blob, double d)
{
    const auto n = static_cast<unsigned>(std::lround(std::clamp(d, 0.0, 1.0) * kUnit));
    blob += static_cast<char>(n & 0xFF);
    blob += static_cast<char>(n >> 8);
}

double GetChance(std::string_view blob, size_t& nPos)
{
    if (nPos + 2 > blob.size())
        throw CHistoryError("a forecast's chances are cut short");
    const unsigned n = static_cast<unsigned char>(blob[nPos]) | static_cast<unsigned char>(blob[nPos + 1]) << 8;
    nPos += 2;
    return n / kUnit;
}

std::string Chances(const CForecast& f)
{
    std::string blob;
    unsigned char mask = 0;
    for (int b = 0; b < 6; ++b)
        mask |= f.present[b] ? 1 << b : 0;
    blob += static_cast<char>(mask);
    for (const auto* p : {&f.win, &f.topTwo, &f.topThree})
        for (double d : *p)
            PutChance(blob, d);
    for (const CPick& pick : f.exacta)
        PutChance(blob, pick.dProbability);
    for (const CPick& pick : f.trifecta)
        PutChance(blob, pick.dProbability);
    return blob;
}

std::string Digits(const std::vector<CPick>& picks, int nLanes)
{
    std::string s;
    for (const CPick& pick : picks)
        for (int i = 0; i < nLanes; ++i)
            s += static_cast<char>('0' + pick.lanes[static_cast<size_t>(i)]);
    return s;
}

std::vector<CPick> Picks(std::string_view digits, int nLanes, std::string_view chances, size_t& nPos)
{
    std::vector<CPick> picks;
    for (size_t i = 0; i + static_cast<size_t>(nLanes) <= digits.size(); i += static_cast<size_t>(nLanes)) {
        CPick pick;
        for (int l = 0; l < nLanes; ++l)
            pick.lanes[static_cast<size_t>(l)] = digits[i + static_cast<size_t>(l)] - '0';
        pick.dProbability = GetChance(chances, nPos);
        picks.push_back(pick);
    }
    return picks;
}

std::optional<long long> IfJudged(const CForecastRow& row, long long n)
{
    return row.judged ? std::optional<long long>(n) : std::nullopt;
}

struct CVenueSums {
    long long nRaces = 0, nExactaHits = 0, nTrifectaHits = 0, nExactaReturn = 0, nTrifectaReturn = 0;
};

} // namespace

bool CHistoryStore::ReadForecastState(std::string& strModel, int& nStaleFrom)
{
    try {
        CSqliteStatement stmt = m_db.Prepare("SELECT model, stale_from FROM forecast_state WHERE id = 0");
        strModel.clear();
        nStaleFrom = 0;
        if (stmt.Step()) {
            strModel = std::string(stmt.View(0));
            nStaleFrom = static_cast<int>(stmt.Int(1));
        }
        return true;
    } catch (const std::exception& e) {
        return Fail(e);
    }
}

bool CHistoryStore::RestartForecasts(const std::string& strModel)
{
    try {
        CSqliteStatement stmt = m_db.Prepare("UPDATE forecast_state SET model = ?1, stale_from = 0 WHERE id = 0");
        const CString model(strModel);
        stmt.Bind(1, model).Run();
        return true;
    } catch (const std::exception& e) {
        return Fail(e);
    }
}

bool CHistoryStore::WriteForecastDay(int nDate, const std::string& strModel, int nDueFrom,
                                    const std::vector<CForecastRow>& rows)
{
    const long long nDay = rowkey::DayNumber(nDate);
    const int nNextDate = rowkey::DateOfDayNumber(nDay + 1);
    try {
        m_db.Exec("BEGIN IMMEDIATE");
        try {
            CSqliteStatement remove = m_db.Prepare("DELETE FROM forecasts WHERE race >= ?1 AND race < ?2");
            remove.Bind(1, rowkey::FirstRace(nDate)).Bind(2, rowkey::EndRace(nDate)).Run();
            CSqliteStatement removeSums = m_db.Prepare("DELETE FROM forecast_days WHERE day = ?1");
            removeSums.Bind(1, nDate).Run();
            CSqliteStatement insert = m_db.Prepare("INSERT INTO forecasts VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
            std::map<int, CVenueSums> sums;
            for (const CForecastRow& row : rows) {
                const CString chances(Chances(row.forecast));
                const CString exacta(Digits(row.forecast.exacta, 2)), trifecta(Digits(row.forecast.trifecta, 3));
                const CForecastJudgement j = row.judged.value_or(CForecastJudgement());
                insert.Bind(1, nDay * rowkey::kRacesPerDay + rowkey::RaceOfDay(row.nVenue, row.nRace));
                insert.Bind(2, row.forecast.set == EFeatureSet::History ? 1 : 0);
                insert.Bind(3, chances).Bind(4, exacta).Bind(5, trifecta);
                insert.Bind(6, IfJudged(row, j.bExactaHit)).Bind(7, IfJudged(row, j.bTrifectaHit));
                insert.Bind(8, IfJudged(row, j.nExactaReturn)).Bind(9, IfJudged(row, j.nTrifectaReturn));
                insert.Run();
                if (!row.judged)
                    continue;
                CVenueSums& s = sums[row.nVenue];
                ++s.nRaces;
                s.nExactaHits += j.bExactaHit;
                s.nTrifectaHits += j.bTrifectaHit;
                s.nExactaReturn += j.nExactaReturn;
                s.nTrifectaReturn += j.nTrifectaReturn;
            }
            CSqliteStatement insertSums = m_db.Prepare("INSERT INTO forecast_days VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
            for (const auto& [nVenue, s] : sums) {
                insertSums.Bind(1, nDate).Bind(2, nVenue).Bind(3, s.nRaces).Bind(4, s.nExactaHits);
                insertSums.Bind(5, s.nTrifectaHits).Bind(6, s.nExactaReturn).Bind(7, s.nTrifectaReturn).Run();
            }
            // The next day is due unless a day was marked meanwhile, or another model took
            // over: then what was marked stands.
            CSqliteStatement done = m_db.Prepare(
                "UPDATE forecast_state SET stale_from = ?3 WHERE id = 0 AND stale_from = ?2 AND model = ?1");
            const CString model(strModel);
            done.Bind(1, model).Bind(2, nDueFrom).Bind(3, nNextDate).Run();
            m_db.Exec("COMMIT");
        } catch (...) {
            try {
                m_db.Exec("ROLLBACK");
            } catch (const std::exception&) {
            }
            throw;
        }
        return true;
    } catch (const std::exception& e) {
        return Fail(e);
    }
}

bool CHistoryStore::ReadForecasts(int nDate, int nVenue, int nRace, std::vector<CForecastRow>& rows)
{
    try {
        rows.clear();
        const long long nDay = rowkey::DayNumber(nDate);
        const long long nFirst = nVenue > 0 ? nDay * rowkey::kRacesPerDay + rowkey::RaceOfDay(nVenue, nRace)
                                            : rowkey::FirstRace(nDate);
        const long long nEnd = nVenue > 0 ? nFirst + 1 : rowkey::EndRace(nDate);
        CSqliteStatement stmt = m_db.Prepare(
            "SELECT race, history, chances, exacta, trifecta, exacta_hit, trifecta_hit, exacta_return, trifecta_return "
            "FROM forecasts WHERE race >= ?1 AND race < ?2 ORDER BY race");
        stmt.Bind(1, nFirst).Bind(2, nEnd);
        while (stmt.Step()) {
            CForecastRow& row = rows.emplace_back();
            const long long nKey = stmt.Int(0);
            row.nVenue = rowkey::VenueOfRace(nKey);
            row.nRace = rowkey::NumberOfRace(nKey);
            CForecast& f = row.forecast;
            f.set = stmt.Int(1) ? EFeatureSet::History : EFeatureSet::Program;
            const std::string_view chances = stmt.View(2);
            if (chances.empty())
                throw CHistoryError("a forecast without its chances");
            const auto mask = static_cast<unsigned char>(chances[0]);
            size_t nPos = 1;
            for (int b = 0; b < 6; ++b)
                f.present[b] = (mask >> b) & 1;
            for (auto* p : {&f.win, &f.topTwo, &f.topThree})
                for (double& d : *p)
                    d = GetChance(chances, nPos);
            f.exacta = Picks(stmt.View(3), 2, chances, nPos);
            f.trifecta = Picks(stmt.View(4), 3, chances, nPos);
            if (!stmt.IsNull(5))
                row.judged = CForecastJudgement{stmt.Int(5) != 0, stmt.Int(6) != 0, stmt.Int(7), stmt.Int(8)};
        }
        return true;
    } catch (const std::exception& e) {
        return Fail(e);
    }
}
