#pragma once
// The keys of the store's rows. A race is its day, venue and race in one number that sorts as
// they do; its payout lines extend that number, so the rows of a day are one range of each
// table, in the order they are written, and a key fits SQLite's four- or five-byte integers (a
// year of rows takes megabytes less than with dates written out):
//   race   = day number * 400 + venue * 16 + race   (day number: days since 1970-01-01)
//   payout = race * 128 + bet * 16 + line
//   entry  = ((day number * 10000 + racer) * 400 + venue * 16 + race) * 8 + boat
// An entry's key puts a day's entries in the order of racer, race and boat: a racer's races of
// a day are one range of keys, and a day's entries, written in that order, fill pages of their
// own. Kept by racer first, a day would put an entry into almost every page of the table.

#include <chrono>

namespace rowkey {

constexpr long long kRacesPerDay = 400;
constexpr long long kPayoutsPerRace = 128;
constexpr int kPayoutLinesPerBet = 16;
constexpr int kRacers = 10000; // registration numbers have four digits

// YYYYMMDD to days since 1970-01-01, and back.
inline long long DayNumber(int nDate)
{
    using namespace std::chrono;
    const year_month_day ymd{year(nDate / 10000), month(static_cast<unsigned>(nDate / 100 % 100)),
                             day(static_cast<unsigned>(nDate % 100))};
    return sys_days(ymd).time_since_epoch().count();
}

inline int DateOfDayNumber(long long nDay)
{
    using namespace std::chrono;
    const year_month_day ymd{sys_days(days(nDay))};
    return static_cast<int>(ymd.year()) * 10000 + static_cast<int>(static_cast<unsigned>(ymd.month())) * 100 +
           static_cast<int>(static_cast<unsigned>(ymd.day()));
}

// The race within its day.
inline int RaceOfDay(int nVenue, int nRace)
{
    return nVenue * 16 + nRace;
}

inline long long Race(int nDate, int nVenue, int nRace)
{
    return DayNumber(nDate) * kRacesPerDay + RaceOfDay(nVenue, nRace);
}

inline long long Entry(long long nDay, int nRegNo, int nRaceOfDay, int nBoat)
{
    return ((nDay * kRacers + nRegNo) * kRacesPerDay + nRaceOfDay) * 8 + nBoat;
}
// The first key of the racer's entries of the day; the racer after them starts where they end.
inline long long FirstEntry(long long nDay, int nRegNo)
{
    return Entry(nDay, nRegNo, 0, 0);
}
inline int RegNoOfEntry(long long nEntry)
{
    return static_cast<int>(nEntry / 8 / kRacesPerDay % kRacers);
}
inline int RaceOfDayOfEntry(long long nEntry)
{
    return static_cast<int>(nEntry / 8 % kRacesPerDay);
}
inline int BoatOfEntry(long long nEntry)
{
    return static_cast<int>(nEntry % 8);
}

// The first race key of the day, and the first of the day after.
inline long long FirstRace(int nDate)
{
    return DayNumber(nDate) * kRacesPerDay;
}
inline long long EndRace(int nDate)
{
    return (DayNumber(nDate) + 1) * kRacesPerDay;
}

inline int DateOfRace(long long nRace)
{
    return DateOfDayNumber(nRace / kRacesPerDay);
}
inline int VenueOfRace(long long nRace)
{
    return static_cast<int>(nRace % kRacesPerDay / 16);
}
inline int NumberOfRace(long long nRace)
{
    return static_cast<int>(nRace % 16);
}

inline long long Payout(long long nRace, int nBet, int nLine)
{
    return nRace * kPayoutsPerRace + nBet * kPayoutLinesPerBet + nLine;
}

} // namespace rowkey
