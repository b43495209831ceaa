// A racer's record from the store against the published days read here straight from their
// bytes: every racer's races, newest first, with what the results page shows of their finishing
// line, and the figures a bettor reads first, in total and by course.

#include "PublishedDays.h"
#include "TestDir.h"
#include "history/HistoryIndexer.h"
#include "history/HistoryStore.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>

namespace {

using published::Field;

struct CFigures {
    int nStarts = 0, nWins = 0, nTopTwo = 0, nTopThree = 0, nTimed = 0, nTimingSum = 0;
};

// What the files say of one racer.
struct CExpected {
    std::vector<std::string> races; // "date venue race boat course start place", oldest first
    CFigures total;
    std::array<CFigures, 7> byCourse;
};

void Count(CFigures& f, const std::string& place, const std::string& timing)
{
    ++f.nStarts;
    const int nPlace = place.size() == 2 && place[0] == '0' ? place[1] - '0' : 0;
    f.nWins += nPlace == 1;
    f.nTopTwo += nPlace >= 1 && nPlace <= 2;
    f.nTopThree += nPlace >= 1 && nPlace <= 3;
    // " 0.18": a timed start; "F0.03", "L1.04", "K .  " are not.
    if (timing.size() == 5 && timing[0] == ' ' && timing[2] == '.') {
        ++f.nTimed;
        f.nTimingSum += (timing[1] - '0') * 100 + std::stoi(timing.substr(3, 2));
    }
}

std::map<int, CExpected> ExpectedRacers(const published::CRaces& races, std::set<std::string>& places)
{
    std::map<int, CExpected> racers;
    for (const auto& [key, race] : races) {
        const auto& [nDate, nVenue, nRace] = key;
        for (const auto& [nBoat, nRegNo] : race.boats) {
            std::string course, start, place, timing;
            for (const std::string& line : race.finishes) {
                if (line.size() > 12 && std::stoi(line.substr(8, 4)) == nRegNo) {
                    course = Field(line, 46, 1);
                    start = Field(line, 53, 2);
                    place = Field(line, 2, 2);
                    timing = line.substr(50, 5);
                }
            }
            CExpected& e = racers[nRegNo];
            e.races.push_back(std::to_string(nDate) + " " + std::to_string(nVenue) + " " + std::to_string(nRace) + " " +
                              std::to_string(nBoat) + " " + course + " " + start + " " + place);
            places.insert(place);
            if (race.exacta.empty() || place.empty() || place[0] == 'K')
                continue;
            Count(e.total, place, timing);
            Count(e.byCourse[course.size() == 1 && course >= "1" && course <= "6" ? course[0] - '0' : 0], place, timing);
        }
    }
    return racers;
}

void ExpectFigures(const CRacerFigures& got, const CFigures& want, const std::string& what)
{
    EXPECT_EQ(got.nStarts, want.nStarts) << what;
    EXPECT_EQ(got.nWins, want.nWins) << what;
    EXPECT_EQ(got.nTopTwo, want.nTopTwo) << what;
    EXPECT_EQ(got.nTopThree, want.nTopThree) << what;
    if (want.nStarts > 0) {
        EXPECT_DOUBLE_EQ(got.TopTwoRate(), 100.0 * want.nTopTwo / want.nStarts) << what;
        EXPECT_DOUBLE_EQ(got.TopThreeRate(), 100.0 * want.nTopThree / want.nStarts) << what;
    }
    if (want.nTimed > 0)
        EXPECT_DOUBLE_EQ(got.AverageStart().value_or(-1), static_cast<double>(want.nTimingSum) / want.nTimed / 100)
            << what;
    else
        EXPECT_FALSE(got.AverageStart()) << what;
}

} // namespace

TEST(RacerRecordTest, EveryRacerOfThePublishedDaysAsTheFilesGiveThem)
{
    if (!published::CopyDays())
        GTEST_SKIP() << testsupport::NoSharedDataReason();
    CHistoryStore store;
    ASSERT_TRUE(store.Open());
    ASSERT_TRUE(CHistoryIndexer(store).Update(2, false).bOk);

    const published::CRaces races = published::ReadDays();
    std::set<std::string> places;
    const std::map<int, CExpected> racers = ExpectedRacers(races, places);
    // The days have wins and the codes that are no place: flying, late, absent, disqualified.
    for (const char* place : {"01", "06", "F", "L0", "K0", "K1", "S1", ""})
        EXPECT_TRUE(places.count(place)) << place;
    ASSERT_GT(racers.size(), 1000u);

    for (const auto& [nRegNo, want] : racers) {
        const std::string what = "racer " + std::to_string(nRegNo);
        CRacerRecord record;
        ASSERT_TRUE(store.QueryRacer(nRegNo, record)) << store.LastError();
        std::vector<std::string> got;
        for (auto it = record.m_races.rbegin(); it != record.m_races.rend(); ++it)
            got.push_back(std::to_string(it->nDate) + " " + std::to_string(it->nVenue) + " " + std::to_string(it->nRace) +
                          " " + std::to_string(it->nBoat) + " " + it->strCourse.Str() + " " + it->strStart.Str() + " " +
                          it->strPlace.Str());
        ASSERT_EQ(got, want.races) << what;
        ExpectFigures(record.m_total, want.total, what);
        for (int c = 1; c <= 6; ++c)
            ExpectFigures(record.m_byCourse[c], want.byCourse[c], what + " from course " + std::to_string(c));
        // The chart has a point for every start, oldest first.
        const std::vector<CPlacePoint> points = record.PlacesOverTime();
        ASSERT_EQ(static_cast<int>(points.size()), want.total.nStarts) << what;
        EXPECT_TRUE(std::is_sorted(points.begin(), points.end(),
                                   [](const CPlacePoint& a, const CPlacePoint& b) { return a.nDate < b.nDate; }))
            << what;
    }
    CRacerRecord nobody;
    ASSERT_TRUE(store.QueryRacer(1, nobody));
    EXPECT_TRUE(nobody.m_races.empty());
    EXPECT_EQ(nobody.m_total.nStarts, 0);
}
