// What the forecast reads from the store: the stored days, and each day's races with the
// figures of their boats.

#include "history/HistoryStore.h"

#include "forecast/HomeBranch.h"
#include "history/RowKeys.h"
#include "history/StoredRace.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"

#include <algorithm>
#include <map>

namespace {

using EBet = CKeluDoc::EBet;

// "6.50" was stored as 650.
double Rate(const CSqliteStatement& stmt, int nColumn)
{
    return static_cast<double>(stmt.Int(nColumn)) / 100.0;
}

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

struct CForecastReader {
    explicit CForecastReader(CSqliteDb& db)
        : races(db.Prepare("SELECT id, outcome FROM races WHERE id >= ?1 AND id < ?2 ORDER BY id")),
          entries(db.Prepare("SELECT id, class, win_rate, two_rate, local_win_rate, local_two_rate, motor, motor_rate, "
                             "hull_rate, age, weight, branch, meet, early, course, place, start_timing, exhibition "
                             "FROM entries WHERE id >= ?1 AND id < ?2")),
          payouts(db.Prepare("SELECT id, combo, pay FROM payouts WHERE id >= ?1 AND id < ?2 AND id / 16 % 8 IN (2, 5)"))
    {
    }
    CSqliteStatement races, entries, payouts;
};

} // namespace

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
        // Prepared for each day: a day's rows take far longer to read than three statements
        // to prepare.
        CForecastReader r(m_db);
        // The races of the day in venue and race order; a race's place in the list by its
        // number within the day.
        std::array<int, rowkey::kRacesPerDay> index;
        index.fill(-1);
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
            CForecastBoat& b = s.race.boats[static_cast<size_t>(nBoat - 1)];
            b.bPresent = true;
            b.nRegNo = rowkey::RegNoOfEntry(nEntry);
            b.nClass = ClassOf(r.entries.View(1));
            b.dWinRate = Rate(r.entries, 2);
            b.dTwoRate = Rate(r.entries, 3);
            b.dLocalWinRate = Rate(r.entries, 4);
            b.dLocalTwoRate = Rate(r.entries, 5);
            b.nMotor = static_cast<int>(r.entries.Int(6));
            b.dMotorRate = Rate(r.entries, 7);
            b.dHullRate = Rate(r.entries, 8);
            b.dAge = static_cast<double>(r.entries.Int(9));
            b.dWeight = static_cast<double>(r.entries.Int(10));
            b.bHome = IsHomeBranch(s.race.nVenue, r.entries.View(11));
            b.strMeet = r.entries.View(12);
            b.bEarly = !r.entries.IsNull(13);
            // Only a decided race's result is one to learn from.
            if (s.outcome != EOutcome::Decided)
                continue;
            const std::string_view course = r.entries.View(14);
            b.nCourse = course.size() == 1 && course[0] >= '1' && course[0] <= '6' ? course[0] - '0' : 0;
            ReadFinish(r.entries.View(15), b);
            b.bTimed = !r.entries.IsNull(16);
            b.nStartTiming = static_cast<int>(r.entries.Int(16));
            b.bExhibited = !r.entries.IsNull(17);
            b.nExhibition = static_cast<int>(r.entries.Int(17));
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
            CStoredRace& s = races[static_cast<size_t>(nIndex)];
            CWinningLine line{std::string(r.payouts.View(1)), r.payouts.Int(2)};
            if (bet == EBet::Exacta)
                s.exacta.push_back(std::move(line));
            else if (bet == EBet::Trifecta)
                s.trifecta.push_back(std::move(line));
        }
        r.payouts.Reset();
        return true;
    } catch (const std::exception& e) {
        return Fail(e);
    }
}
