// What the forecast reads from the store: the stored days, and each day's races with the
// figures of their boats.

#include "history/HistoryStore.h"

#include "history/ForecastStatements.h"
#include "history/RowKeys.h"
#include "history/StoredRace.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"

#include <algorithm>
#include <map>

namespace {

using EBet = CKeluDoc::EBet;

int ClassOf(std::string_view s)
{
    static const char* const kClasses[] = {"A1", "A2", "B1", "B2"};
    for (int i = 0; i < 4; ++i)
        if (s == kClasses[i])
            return i;
    return -1;
}

// "01".."06", "F", "L0", "K1", "S2" as the result file writes them.
void ReadFinish(std::string_view place, CForecastBoat& b)
{
    if (place.empty())
        return;
    switch (place[0]) {
    case 'F':
        b.finish = EFinish::Flying;
        return;
    case 'L':
        b.finish = EFinish::Late;
        return;
    case 'K':
        b.finish = EFinish::Absent;
        return;
    case 'S':
        b.finish = EFinish::Disqualified;
        return;
    default:
        break;
    }
    const int n = place.size() == 2 && IsDigit(place[0]) && IsDigit(place[1]) ? (place[0] - '0') * 10 + (place[1] - '0') : 0;
    if (n >= 1 && n <= 6) {
        b.finish = EFinish::Placed;
        b.nPlace = n;
    }
}

// What a boat's forecast reads, from the store's columns or from a day's rows on their way to
// them alike: a forecast must be the same whichever it was made from. A value the store keeps
// as NULL reads as 0.

// Rates in hundredths, as stored: win, two, local win, local two, motor, hull.
using CRates = std::array<long long, 6>;

void SetProgram(CForecastBoat& b, int nRegNo, std::string_view cls, const CRates& rates, long long nMotor,
                long long nAge, long long nWeight, bool bHome, std::string_view meet, bool bEarly)
{
    b.bPresent = true;
    b.nRegNo = nRegNo;
    b.nClass = ClassOf(cls);
    double* const pRates[] = {&b.dWinRate, &b.dTwoRate, &b.dLocalWinRate, &b.dLocalTwoRate, &b.dMotorRate, &b.dHullRate};
    for (size_t i = 0; i < rates.size(); ++i)
        *pRates[i] = static_cast<double>(rates[i]) / 100.0;
    b.nMotor = static_cast<int>(nMotor);
    b.dAge = static_cast<double>(nAge);
    b.dWeight = static_cast<double>(nWeight);
    b.bHome = bHome;
    b.SetMeet(meet);
    b.bEarly = bEarly;
}

void SetResult(CForecastBoat& b, std::string_view course, std::string_view place, std::optional<long long> nTiming,
               std::optional<long long> nExhibition)
{
    b.nCourse = course.size() == 1 && course[0] >= '1' && course[0] <= '6' ? course[0] - '0' : 0;
    ReadFinish(place, b);
    b.bTimed = nTiming.has_value();
    b.nStartTiming = static_cast<int>(nTiming.value_or(0));
    b.bExhibited = nExhibition.has_value();
    b.nExhibition = static_cast<int>(nExhibition.value_or(0));
}

// The payout lines the picks are judged by: the exacta's and the trifecta's, with a payout.
void AddWinningLine(CStoredRace& race, EBet bet, std::string_view combo, long long nPay)
{
    if (bet == EBet::Exacta)
        race.exacta.push_back({std::string(combo), nPay});
    else if (bet == EBet::Trifecta)
        race.trifecta.push_back({std::string(combo), nPay});
}

} // namespace

void StoredRacesOf(const CDayRows& day, std::vector<CStoredRace>& races)
{
    races.clear();
    if (day.m_state.state != EDayState::Read)
        return;
    const int nDay = static_cast<int>(rowkey::DayNumber(day.m_state.nDate));
    std::array<int, rowkey::kRacesPerDay> index;
    index.fill(-1);
    for (const CRaceRow& row : day.m_races) {
        index[static_cast<size_t>(rowkey::RaceOfDay(row.nVenue, row.nRace))] = static_cast<int>(races.size());
        CStoredRace& s = races.emplace_back();
        s.race.nDay = nDay;
        s.race.nVenue = row.nVenue;
        s.race.nRace = row.nRace;
        s.outcome = row.outcome;
    }
    for (const CEntryRow& e : day.m_entries) {
        const int nIndex = index[static_cast<size_t>(rowkey::RaceOfDay(e.nVenue, e.nRace))];
        if (nIndex < 0 || e.nBoat < 1 || e.nBoat > 6)
            continue;
        CStoredRace& s = races[static_cast<size_t>(nIndex)];
        CForecastBoat& b = s.race.boats[static_cast<size_t>(e.nBoat - 1)];
        auto zero = [](const std::optional<long long>& n) { return n.value_or(0); };
        SetProgram(b, e.nRegNo, e.strClass.Str(),
                   {zero(e.nWinRate), zero(e.nTwoRate), zero(e.nLocalWinRate), zero(e.nLocalTwoRate),
                    zero(e.nMotorRate), zero(e.nHullRate)},
                   zero(e.nMotor), zero(e.nAge), zero(e.nWeight), e.bHome, e.strMeet.Str(), e.nEarlyRace.has_value());
        if (s.outcome == EOutcome::Decided)
            SetResult(b, e.strCourse.Str(), e.strPlace.Str(), e.nStartTiming, e.nExhibition);
    }
    for (const CPayoutRow& p : day.m_payouts) {
        const int nIndex = index[static_cast<size_t>(rowkey::RaceOfDay(p.nVenue, p.nRace))];
        if (nIndex >= 0 && p.nPay)
            AddWinningLine(races[static_cast<size_t>(nIndex)], static_cast<EBet>(p.nBet), p.strCombo.Str(), *p.nPay);
    }
}

CForecastStatements& CHistoryStore::ForecastStatements()
{
    if (!m_pForecast)
        m_pForecast = std::make_unique<CForecastStatements>(m_db);
    return *m_pForecast;
}

bool CHistoryStore::ReadDates(int nFrom, int nTo, std::vector<int>& dates)
{
    try {
        dates.clear();
        CSqliteStatement stmt = m_db.Prepare("SELECT day FROM days WHERE day BETWEEN ?1 AND ?2 AND state = ?3 ORDER BY day");
        stmt.Bind(1, nFrom).Bind(2, nTo).Bind(3, static_cast<int>(EDayState::Read));
        while (stmt.Step())
            dates.push_back(static_cast<int>(stmt.Int(0)));
        return true;
    } catch (const std::exception& e) {
        return Fail(e);
    }
}

bool CHistoryStore::ReadStoredRaces(int nDate, std::vector<CStoredRace>& races)
{
    try {
        races.clear();
        const long long nDay = rowkey::DayNumber(nDate);
        CForecastStatements& r = ForecastStatements();
        // The races of the day in venue and race order; a race's place in the list by its
        // number within the day.
        std::array<int, rowkey::kRacesPerDay> index;
        index.fill(-1);
        // A read cut short by an error left its statements where they stopped.
        for (CSqliteStatement* p : {&r.races, &r.entries, &r.payouts})
            p->Reset();
        r.races.Bind(1, rowkey::FirstRace(nDate)).Bind(2, rowkey::EndRace(nDate));
        while (r.races.Step()) {
            const long long nRace = r.races.Int(0);
            const int nOfDay = static_cast<int>(nRace % rowkey::kRacesPerDay);
            index[static_cast<size_t>(nOfDay)] = static_cast<int>(races.size());
            CStoredRace& s = races.emplace_back();
            s.race.nDay = static_cast<int>(nDay);
            s.race.nVenue = rowkey::VenueOfRace(nRace);
            s.race.nRace = rowkey::NumberOfRace(nRace);
            s.outcome = static_cast<EOutcome>(r.races.Int(1));
        }
        r.races.Reset();

        r.entries.Bind(1, rowkey::FirstEntry(nDay, 0)).Bind(2, rowkey::FirstEntry(nDay + 1, 0));
        while (r.entries.Step()) {
            const long long nEntry = r.entries.Int(0);
            const int nIndex = index[static_cast<size_t>(rowkey::RaceOfDayOfEntry(nEntry))];
            const int nBoat = rowkey::BoatOfEntry(nEntry);
            if (nIndex < 0 || nBoat < 1 || nBoat > 6)
                continue;
            CStoredRace& s = races[static_cast<size_t>(nIndex)];
            const CSqliteStatement& e = r.entries;
            CForecastBoat& b = s.race.boats[static_cast<size_t>(nBoat - 1)];
            SetProgram(b, rowkey::RegNoOfEntry(nEntry), e.View(1),
                       {e.Int(2), e.Int(3), e.Int(4), e.Int(5), e.Int(7), e.Int(8)}, e.Int(6), e.Int(9), e.Int(10),
                       e.Int(11) != 0, e.View(12), !e.IsNull(13));
            // Only a decided race's result is one to learn from.
            if (s.outcome == EOutcome::Decided)
                SetResult(b, e.View(14), e.View(15), e.MaybeInt(16), e.MaybeInt(17));
        }
        r.entries.Reset();

        r.payouts.Bind(1, rowkey::FirstRace(nDate) * rowkey::kPayoutsPerRace)
            .Bind(2, rowkey::EndRace(nDate) * rowkey::kPayoutsPerRace);
        while (r.payouts.Step()) {
            const long long nPayout = r.payouts.Int(0);
            const long long nRace = nPayout / rowkey::kPayoutsPerRace;
            const auto bet = static_cast<EBet>(nPayout % rowkey::kPayoutsPerRace / rowkey::kPayoutLinesPerBet);
            const int nIndex = index[static_cast<size_t>(nRace % rowkey::kRacesPerDay)];
            if (nIndex < 0 || r.payouts.IsNull(2))
                continue;
            AddWinningLine(races[static_cast<size_t>(nIndex)], bet, r.payouts.View(1), r.payouts.Int(2));
        }
        r.payouts.Reset();
        return true;
    } catch (const std::exception& e) {
        return Fail(e);
    }
}
