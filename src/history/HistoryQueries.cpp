// What the windows and kelu-history read from the store.

#include "history/HistoryStore.h"

#include "history/DayRows.h"
#include "history/RowKeys.h"

#include <vector>

static_assert(rowkey::kRacesPerDay == 400, "the racer query finds an entry's race by it");

bool CHistoryStore::QueryRacer(int nRegNo, CRacerRecord& record)
{
    try {
        record = CRacerRecord();
        record.m_nRegNo = nRegNo;
        std::vector<int> dates;
        CSqliteStatement days = m_db.Prepare("SELECT day FROM days WHERE state = ?1 ORDER BY day DESC");
        days.Bind(1, static_cast<int>(EDayState::Read));
        while (days.Step())
            dates.push_back(static_cast<int>(days.Int(0)));
        // One range of entry keys for every day, newest first: they are kept by day and racer,
        // then by race, so each day's races come without a sort.
        CSqliteStatement stmt = m_db.Prepare(
            "SELECT e.id, e.name, e.course, e.start, e.place, e.start_timing, r.technique, r.outcome "
            "FROM entries e JOIN races r ON r.id = ?3 + e.id / 8 % 400 WHERE e.id >= ?1 AND e.id < ?2 "
            "ORDER BY e.id DESC");
        for (int nDate : dates) {
            const long long nDay = rowkey::DayNumber(nDate);
            stmt.Bind(1, rowkey::FirstEntry(nDay, nRegNo)).Bind(2, rowkey::FirstEntry(nDay, nRegNo + 1));
            stmt.Bind(3, nDay * rowkey::kRacesPerDay);
            ReadRacerRaces(stmt, nDate, record);
        }
        return true;
    } catch (const std::exception& e) {
        return Fail(e);
    }
}

void CHistoryStore::ReadRacerRaces(CSqliteStatement& stmt, int nDate, CRacerRecord& record)
{
    while (stmt.Step()) {
        const long long nEntry = stmt.Int(0);
        if (record.m_strName.IsEmpty())
            record.m_strName = stmt.Text(1);
        CRacerRace race;
        race.nDate = nDate;
        race.nVenue = rowkey::VenueOfRace(rowkey::RaceOfDayOfEntry(nEntry));
        race.nRace = rowkey::NumberOfRace(rowkey::RaceOfDayOfEntry(nEntry));
        race.nBoat = rowkey::BoatOfEntry(nEntry);
        race.strCourse = stmt.Text(2);
        race.strStart = stmt.Text(3);
        race.strPlace = stmt.Text(4);
        race.nStartTiming = stmt.MaybeInt(5);
        race.strTechnique = stmt.Text(6);
        race.outcome = static_cast<EOutcome>(stmt.Int(7));
        record.Add(std::move(race));
    }
    stmt.Reset();
}

bool CHistoryStore::ReadEntries(int nDate, const std::function<void(const CEntryRow&)>& row)
{
    try {
        const long long nDay = rowkey::DayNumber(nDate);
        CSqliteStatement stmt = m_db.Prepare(
            "SELECT id, name, class, win_rate, two_rate, local_win_rate, local_two_rate, motor, motor_rate, hull, "
            "hull_rate, course, start, place, start_timing, time, age, weight, home, meet, early, exhibition, "
            "motor_rate_full, hull_rate_full FROM entries WHERE id >= ?1 AND id < ?2");
        stmt.Bind(1, rowkey::FirstEntry(nDay, 0)).Bind(2, rowkey::FirstEntry(nDay + 1, 0));
        // One row reused: its texts keep their buffers from one entry to the next.
        CEntryRow e;
        while (stmt.Step()) {
            const long long nEntry = stmt.Int(0);
            const int nOfDay = rowkey::RaceOfDayOfEntry(nEntry);
            e.nVenue = rowkey::VenueOfRace(nOfDay);
            e.nRace = rowkey::NumberOfRace(nOfDay);
            e.nBoat = rowkey::BoatOfEntry(nEntry);
            e.nRegNo = rowkey::RegNoOfEntry(nEntry);
            e.strName = stmt.View(1);
            e.strClass = stmt.View(2);
            // Columns 3 to 10, in this order.
            std::optional<long long>* const figures[] = {&e.nWinRate, &e.nTwoRate, &e.nLocalWinRate, &e.nLocalTwoRate,
                                                         &e.nMotor,   &e.nMotorRate, &e.nHull, &e.nHullRate};
            for (int i = 0; i < 8; ++i)
                *figures[i] = stmt.MaybeInt(3 + i);
            e.strCourse = stmt.View(11);
            e.strStart = stmt.View(12);
            e.strPlace = stmt.View(13);
            e.nStartTiming = stmt.MaybeInt(14);
            e.nTime = stmt.MaybeInt(15);
            e.nAge = stmt.MaybeInt(16);
            e.nWeight = stmt.MaybeInt(17);
            e.bHome = stmt.Int(18) != 0;
            e.strMeet = stmt.View(19);
            e.nEarlyRace = stmt.MaybeInt(20);
            e.nExhibition = stmt.MaybeInt(21);
            e.nMotorRateFull = stmt.MaybeInt(22);
            e.nHullRateFull = stmt.MaybeInt(23);
            row(e);
        }
        return true;
    } catch (const std::exception& e) {
        return Fail(e);
    }
}

bool CHistoryStore::ReadPayouts(int nDate, const std::function<void(const CPayoutRow&)>& row)
{
    try {
        CSqliteStatement stmt =
            m_db.Prepare("SELECT id, combo, pay, popularity FROM payouts WHERE id >= ?1 AND id < ?2");
        stmt.Bind(1, rowkey::FirstRace(nDate) * rowkey::kPayoutsPerRace)
            .Bind(2, rowkey::EndRace(nDate) * rowkey::kPayoutsPerRace);
        CPayoutRow p;
        while (stmt.Step()) {
            const long long nPayout = stmt.Int(0);
            const long long nRace = nPayout / rowkey::kPayoutsPerRace;
            p.nVenue = rowkey::VenueOfRace(nRace);
            p.nRace = rowkey::NumberOfRace(nRace);
            p.nBet = static_cast<int>(nPayout % rowkey::kPayoutsPerRace / rowkey::kPayoutLinesPerBet);
            p.nLine = static_cast<int>(nPayout % rowkey::kPayoutLinesPerBet);
            p.strCombo = stmt.View(1);
            p.nPay = stmt.MaybeInt(2);
            p.nPopularity = stmt.MaybeInt(3);
            row(p);
        }
        return true;
    } catch (const std::exception& e) {
        return Fail(e);
    }
}

bool CHistoryStore::QueryRecord(const CRecordQuery& query, CPredictionRecord& record)
{
    try {
        record = CPredictionRecord();
        // A row a venue and day, of the decided races only: twenty years are some 100,000 rows.
        CSqliteStatement sums = m_db.Prepare(
            "SELECT venue, day / 100, sum(races), sum(exacta_hits), sum(trifecta_hits), sum(exacta_return), "
            "sum(trifecta_return), sum(crowd_exacta_hits), sum(crowd_trifecta_hits), sum(crowd_exacta_return), "
            "sum(crowd_trifecta_return) FROM venue_days WHERE day BETWEEN ?1 AND ?2 AND (?3 = 0 OR venue = ?3) "
            "GROUP BY venue, day / 100");
        sums.Bind(1, query.nFrom).Bind(2, query.nTo).Bind(3, query.nVenue);
        while (sums.Step()) {
            SRecordCount c;
            c.nRaces = static_cast<int>(sums.Int(2));
            c.nExactaHits = static_cast<int>(sums.Int(3));
            c.nTrifectaHits = static_cast<int>(sums.Int(4));
            c.nExactaReturn = sums.Int(5);
            c.nTrifectaReturn = sums.Int(6);
            c.nCrowdExactaHits = static_cast<int>(sums.Int(7));
            c.nCrowdTrifectaHits = static_cast<int>(sums.Int(8));
            c.nCrowdExactaReturn = sums.Int(9);
            c.nCrowdTrifectaReturn = sums.Int(10);
            record.m_byVenue[static_cast<int>(sums.Int(0))].Add(c);
            record.m_byMonth[static_cast<int>(sums.Int(1))].Add(c);
            record.m_total.Add(c);
        }
        // The forecast's figures over the same races, summed the same way.
        CSqliteStatement forecasts = m_db.Prepare(
            "SELECT venue, day / 100, sum(exacta_hits), sum(trifecta_hits), sum(exacta_return), sum(trifecta_return) "
            "FROM forecast_days WHERE day BETWEEN ?1 AND ?2 AND (?3 = 0 OR venue = ?3) GROUP BY venue, day / 100");
        forecasts.Bind(1, query.nFrom).Bind(2, query.nTo).Bind(3, query.nVenue);
        while (forecasts.Step()) {
            SRecordCount c;
            c.nForecastExactaHits = static_cast<int>(forecasts.Int(2));
            c.nForecastTrifectaHits = static_cast<int>(forecasts.Int(3));
            c.nForecastExactaReturn = forecasts.Int(4);
            c.nForecastTrifectaReturn = forecasts.Int(5);
            record.m_byVenue[static_cast<int>(forecasts.Int(0))].Add(c);
            record.m_byMonth[static_cast<int>(forecasts.Int(1))].Add(c);
            record.m_total.Add(c);
        }
        // The days read are counted; those left out are listed, as the window names them. A
        // day whose results are not out yet is neither.
        CSqliteStatement days = m_db.Prepare(
            "SELECT state, day, result_size FROM days WHERE day BETWEEN ?1 AND ?2 ORDER BY day");
        days.Bind(1, query.nFrom).Bind(2, query.nTo);
        while (days.Step()) {
            const auto state = static_cast<EDayState>(days.Int(0));
            const auto nDate = static_cast<int>(days.Int(1));
            const CTime day(nDate / 10000, nDate / 100 % 100, nDate % 100, 12, 0, 0);
            if (state == EDayState::Read && days.Int(2) != CDayFiles::kNoFile)
                ++record.m_nDays;
            else if (state == EDayState::Damaged)
                record.m_skippedDays.push_back(day);
            else if (state == EDayState::Demo)
                record.m_demoDays.push_back(day);
        }
        return true;
    } catch (const std::exception& e) {
        return Fail(e);
    }
}
