// The forecasts in the store: one row a race, the sums of the decided races by day and venue
// for the record, and which model made them and from which day on they must be made again.
//
// A race's forecast is one blob: a byte of the boats present; each boat's chances to win, to
// be in the first two and in the first three; then the count of exacta picks and each pick's
// boats in a byte, (first - 1) * 6 + second - 1, with its chance; then the trifecta picks the
// same way, (first - 1) * 36 + (second - 1) * 6 + third - 1. Chances are 16-bit fractions.
// A year holds some 55,000 races: the compact form keeps the store small.

#include "history/HistoryStore.h"

#include "history/ForecastRow.h"
#include "history/ForecastStatements.h"
#include "history/HistoryError.h"
#include "history/RowKeys.h"

#include <algorithm>
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

class CBlobReader {
public:
    explicit CBlobReader(std::string_view blob) : m_blob(blob) {}
    unsigned Byte()
    {
        Need(1);
        return static_cast<unsigned char>(m_blob[m_nPos++]);
    }
    double Chance()
    {
        Need(2);
        const unsigned n = static_cast<unsigned char>(m_blob[m_nPos]) | static_cast<unsigned char>(m_blob[m_nPos + 1]) << 8;
        m_nPos += 2;
        return n / kUnit;
    }

private:
    void Need(size_t n) const
    {
        if (m_nPos + n > m_blob.size())
            throw CHistoryError("a stored forecast is cut short");
    }
    std::string_view m_blob;
    size_t m_nPos = 0;
};

void PutPicks(std::string& blob, const std::vector<CPick>& picks, int nLanes)
{
    blob += static_cast<char>(picks.size());
    for (const CPick& pick : picks) {
        int nIndex = 0;
        for (int i = 0; i < nLanes; ++i)
            nIndex = nIndex * 6 + pick.lanes[static_cast<size_t>(i)] - 1;
        blob += static_cast<char>(nIndex);
        PutChance(blob, pick.dProbability);
    }
}

std::vector<CPick> GetPicks(CBlobReader& in, int nLanes)
{
    std::vector<CPick> picks(in.Byte());
    for (CPick& pick : picks) {
        int nIndex = static_cast<int>(in.Byte());
        for (int i = nLanes - 1; i >= 0; --i, nIndex /= 6)
            pick.lanes[static_cast<size_t>(i)] = nIndex % 6 + 1;
        pick.dProbability = in.Chance();
    }
    return picks;
}

std::string Blob(const CForecast& f)
{
    std::string blob;
    unsigned char mask = 0;
    for (int b = 0; b < 6; ++b)
        mask |= f.present[b] ? 1 << b : 0;
    blob += static_cast<char>(mask);
    for (const auto* p : {&f.win, &f.topTwo, &f.topThree})
        for (double d : *p)
            PutChance(blob, d);
    PutPicks(blob, f.exacta, 2);
    PutPicks(blob, f.trifecta, 3);
    return blob;
}

void ReadBlob(std::string_view blob, CForecast& f)
{
    CBlobReader in(blob);
    const unsigned mask = in.Byte();
    for (int b = 0; b < 6; ++b)
        f.present[b] = (mask >> b) & 1;
    for (auto* p : {&f.win, &f.topTwo, &f.topThree})
        for (double& d : *p)
            d = in.Chance();
    f.exacta = GetPicks(in, 2);
    f.trifecta = GetPicks(in, 3);
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
        CForecastStatements& w = ForecastStatements();
        w.transaction.Run([&] {
            w.removeForecasts.Bind(1, rowkey::FirstRace(nDate)).Bind(2, rowkey::EndRace(nDate)).Run();
            w.removeSums.Bind(1, nDate).Run();
            // The blobs stay where they are until their statement has run.
            std::vector<CString> blobs;
            blobs.reserve(rows.size());
            std::map<int, CVenueSums> sums;
            const int nColumns = w.forecasts.Columns();
            for (size_t i = 0; i < rows.size(); i += CBatchInsert::kRowsPerStatement) {
                const size_t n = std::min<size_t>(CBatchInsert::kRowsPerStatement, rows.size() - i);
                CSqliteStatement& insert = w.forecasts.Statement(static_cast<int>(n));
                for (size_t k = 0; k < n; ++k) {
                    const CForecastRow& row = rows[i + k];
                    const int p = static_cast<int>(k) * nColumns;
                    const CForecastJudgement j = row.judged.value_or(CForecastJudgement());
                    blobs.emplace_back(Blob(row.forecast));
                    insert.Bind(p + 1, nDay * rowkey::kRacesPerDay + rowkey::RaceOfDay(row.nVenue, row.nRace));
                    insert.Bind(p + 2, row.forecast.set == EFeatureSet::History ? 1 : 0).Bind(p + 3, blobs.back());
                    insert.Bind(p + 4, IfJudged(row, j.bExactaHit)).Bind(p + 5, IfJudged(row, j.bTrifectaHit));
                    insert.Bind(p + 6, IfJudged(row, j.nExactaReturn)).Bind(p + 7, IfJudged(row, j.nTrifectaReturn));
                    if (!row.judged)
                        continue;
                    CVenueSums& s = sums[row.nVenue];
                    ++s.nRaces;
                    s.nExactaHits += j.bExactaHit;
                    s.nTrifectaHits += j.bTrifectaHit;
                    s.nExactaReturn += j.nExactaReturn;
                    s.nTrifectaReturn += j.nTrifectaReturn;
                }
                insert.Run();
            }
            for (const auto& [nVenue, s] : sums) {
                w.sums.Bind(1, nDate).Bind(2, nVenue).Bind(3, s.nRaces).Bind(4, s.nExactaHits);
                w.sums.Bind(5, s.nTrifectaHits).Bind(6, s.nExactaReturn).Bind(7, s.nTrifectaReturn).Run();
            }
            // The next day is due unless a day was marked meanwhile, or another model took
            // over: then what was marked stands.
            const CString model(strModel);
            w.done.Bind(1, model).Bind(2, nDueFrom).Bind(3, nNextDate).Run();
        });
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
            "SELECT race, history, forecast, exacta_hit, trifecta_hit, exacta_return, trifecta_return "
            "FROM forecasts WHERE race >= ?1 AND race < ?2 ORDER BY race");
        stmt.Bind(1, nFirst).Bind(2, nEnd);
        while (stmt.Step()) {
            CForecastRow& row = rows.emplace_back();
            const long long nKey = stmt.Int(0);
            row.nVenue = rowkey::VenueOfRace(nKey);
            row.nRace = rowkey::NumberOfRace(nKey);
            row.forecast.set = stmt.Int(1) ? EFeatureSet::History : EFeatureSet::Program;
            ReadBlob(stmt.View(2), row.forecast);
            if (!stmt.IsNull(3))
                row.judged = CForecastJudgement{stmt.Int(3) != 0, stmt.Int(4) != 0, stmt.Int(5), stmt.Int(6)};
        }
        return true;
    } catch (const std::exception& e) {
        return Fail(e);
    }
}
