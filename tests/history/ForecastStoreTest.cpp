// The stored forecasts: a race's forecast reads nothing of its own day's results nor of any
// later day, it follows the days before it when they change, and every day is due once more
// when the model changes. A new model is fitted on the same days, held out or stopped.

#include "DayFixture.h"
#include "forecast/ModelFile.h"
#include "history/ForecastRow.h"
#include "history/ForecastTraining.h"
#include "history/HistoryIndexer.h"
#include "history/HistoryStore.h"
#include "model/KeluDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>

namespace {

namespace fs = std::filesystem;

// Days of three venues, four races each, ridden by sixty racers drawn anew each race, with
// rates of their own and a finishing order drawn at random: every racer has a history.
constexpr int kRacers = 60;
constexpr int kVenues[] = {3, 12, 24};

CTime Day(int n)
{
    return CTime(2021, 1, 1, 12, 0, 0).AddDays(n);
}

std::string Rate(double d)
{
    char sz[16];
    std::snprintf(sz, sizeof sz, "%.2f", d);
    return sz;
}

void WriteDay(int n, unsigned nResultSeed)
{
    std::mt19937 rng(static_cast<unsigned>(n) * 7919u);
    std::mt19937 results(nResultSeed);
    std::vector<fixture::ProgramVenue> programs;
    std::vector<fixture::ResultVenue> outcomes;
    for (int v : kVenues) {
        fixture::ProgramVenue program{.venue = v};
        fixture::ResultVenue result{.venue = v};
        for (int r = 1; r <= 4; ++r) {
            std::vector<int> racers(kRacers);
            std::iota(racers.begin(), racers.end(), 0);
            std::shuffle(racers.begin(), racers.end(), rng);
            std::vector<fixture::Boat> boats = fixture::StandardBoats(r);
            for (int b = 0; b < 6; ++b) {
                const int nRacer = racers[static_cast<size_t>(b)];
                boats[b].regNo = std::to_string(4000 + nRacer);
                boats[b].cls = nRacer < 15 ? "A1" : nRacer < 30 ? "A2" : "B1";
                boats[b].winRate = Rate(8.0 - nRacer / 10.0);
                boats[b].twoRate = Rate(60.0 - nRacer / 2.0);
                boats[b].motorNo = std::to_string(10 + nRacer % 40);
            }
            program.races.push_back({.race = r, .boats = boats});
            std::vector<int> order = {1, 2, 3, 4, 5, 6};
            std::shuffle(order.begin(), order.end(), results);
            fixture::ResultRace race{.race = r};
            for (int p = 0; p < 6; ++p) {
                const int b = order[static_cast<size_t>(p)];
                race.finishes.push_back({.place = "0" + std::to_string(p + 1), .boat = b, .regNo = boats[b - 1].regNo,
                                         .course = std::to_string(b)});
            }
            race.exacta.combo = std::to_string(order[0]) + "-" + std::to_string(order[1]);
            race.trifecta.combo = race.exacta.combo + "-" + std::to_string(order[2]);
            result.races.push_back(race);
        }
        programs.push_back(program);
        outcomes.push_back(result);
    }
    fixture::WriteProgramFile(Day(n), fixture::ProgramFile(programs));
    fixture::WriteResultFile(Day(n), fixture::ResultFile(outcomes));
}

int DateOfDay(int n)
{
    const CTime d = Day(n);
    return d.GetYear() * 10000 + d.GetMonth() * 100 + d.GetDay();
}

CIndexSummary Update(const CForecastModel& model)
{
    CHistoryStore store;
    EXPECT_TRUE(store.Open()) << store.LastError();
    const std::atomic<bool> bStop{false};
    return CHistoryIndexer(store, &model).Update(2, bStop);
}

// The day's forecasts as the store holds them, without how they fared.
std::vector<std::string> Forecasts(int n)
{
    CHistoryStore store;
    EXPECT_TRUE(store.Open());
    std::vector<CForecastRow> rows;
    EXPECT_TRUE(store.ReadForecasts(DateOfDay(n), 0, 0, rows)) << store.LastError();
    std::vector<std::string> texts;
    for (const CForecastRow& row : rows) {
        std::string s = std::to_string(row.nVenue) + "/" + std::to_string(row.nRace) +
                        (row.forecast.set == EFeatureSet::History ? " history" : " program");
        for (double d : row.forecast.win)
            s += " " + std::to_string(d);
        for (const CPick& p : row.forecast.trifecta)
            s += " " + std::to_string(p.lanes[0] * 100 + p.lanes[1] * 10 + p.lanes[2]);
        texts.push_back(s);
    }
    return texts;
}

} // namespace

TEST(ForecastStoreTest, AForecastReadsOnlyTheDaysBeforeItsOwn)
{
    const CForecastModel model = CModelFile::Shipped();
    ASSERT_TRUE(model.IsUsable());
    for (int n = 0; n < 40; ++n)
        WriteDay(n, static_cast<unsigned>(n));
    CIndexSummary summary = Update(model);
    ASSERT_TRUE(summary.bOk) << summary.strError;
    EXPECT_EQ(summary.nForecastDays, 40);
    const std::vector<std::string> before = Forecasts(35);
    ASSERT_EQ(before.size(), 12u);
    // Thirty days and more of history: the history's coefficients; before that the program's.
    EXPECT_NE(before[0].find(" history"), std::string::npos) << before[0];
    EXPECT_NE(Forecasts(10)[0].find(" program"), std::string::npos);

    // Later days come: nothing of day 35 changes, and only the new days are forecast.
    for (int n = 40; n < 45; ++n)
        WriteDay(n, static_cast<unsigned>(n));
    summary = Update(model);
    EXPECT_EQ(summary.nForecastDays, 5);
    EXPECT_EQ(Forecasts(35), before);

    // Day 35's own results change: its forecast does not, the later days' are made again.
    WriteDay(35, 999);
    summary = Update(model);
    EXPECT_EQ(summary.nForecastDays, 10);
    EXPECT_EQ(Forecasts(35), before);

    // The same day forecast in a store that never had its results nor any later day.
    fs::rename("data", "all");
    for (int n = 0; n <= 35; ++n) {
        fs::create_directories("data/prog");
        fs::create_directories("data/res");
        fs::copy_file("all/prog/" + fs::path(CKeluDoc::ProgramFileName(Day(n)).Str()).filename().string(),
                      CKeluDoc::ProgramFileName(Day(n)).Str());
        if (n < 35)
            fs::copy_file("all/res/" + fs::path(CKeluDoc::ResultFileName(Day(n)).Str()).filename().string(),
                          CKeluDoc::ResultFileName(Day(n)).Str());
    }
    ASSERT_TRUE(Update(model).bOk);
    EXPECT_EQ(Forecasts(35), before);
    fs::remove_all("data");
    fs::rename("all", "data");

    // An earlier day's results change: its later days follow, day 35 among them, which is read
    // back from the store.
    WriteDay(20, 12345);
    summary = Update(model);
    EXPECT_EQ(summary.nForecastDays, 25);
    const std::vector<std::string> after = Forecasts(35);
    EXPECT_NE(after, before);
    // Day 35 read again from its files, the same as they were: the same forecast as the one
    // made from the store.
    WriteDay(35, 999);
    fs::last_write_time(CKeluDoc::ResultFileName(Day(35)).Str(), fs::file_time_type::clock::now() + std::chrono::hours(1));
    summary = Update(model);
    ASSERT_EQ(summary.indexed.size(), 1u);
    EXPECT_EQ(summary.nForecastDays, 10);
    EXPECT_EQ(Forecasts(35), after);

    // Another model: every day once more, and then nothing.
    CForecastModel other = model;
    other.m_strFingerprint += "x";
    summary = Update(other);
    EXPECT_EQ(summary.nForecastDays, 45);
    summary = Update(other);
    EXPECT_EQ(summary.nForecastDays, 0);
    EXPECT_TRUE(summary.bOk);
}

TEST(ForecastStoreTest, FittingHoldsTheLastMonthOutOnlyFromTwoMonthsOnAndStopsWhenAsked)
{
    for (int n = 0; n < 45; ++n)
        WriteDay(n, static_cast<unsigned>(n));
    const CForecastModel model = CModelFile::Shipped();
    ASSERT_TRUE(Update(model).bOk);
    CHistoryStore store;
    ASSERT_TRUE(store.Open());
    const std::atomic<bool> bGo{false};
    // Forty-five days are too few to hold a month out of: all of them are fitted on, and the
    // history's coefficients from the thirtieth day on.
    CFitOutcome outcome = CForecastTraining::Fit(store, DateOfDay(0), DateOfDay(44), model, {}, bGo);
    ASSERT_TRUE(outcome.bOk) << outcome.strError;
    EXPECT_EQ(outcome.nHeldOutFrom, 0);
    EXPECT_EQ(outcome.nProgramRaces, 45 * 12);
    EXPECT_EQ(outcome.model.m_nFrom, DateOfDay(0));
    EXPECT_EQ(outcome.model.m_nTo, DateOfDay(44));
    EXPECT_EQ(outcome.model.m_figures.count("held_out_races"), 0u);

    // A stop while it fits ends it without a model; so does one while it reads.
    for (const auto stopAt : {CForecastTraining::EStage::Reading, CForecastTraining::EStage::Fitting}) {
        std::atomic<bool> bStop{false};
        outcome = CForecastTraining::Fit(store, DateOfDay(0), DateOfDay(44), model, {}, bStop,
                                         [&](CForecastTraining::EStage stage, int, int) { bStop = bStop || stage == stopAt; });
        EXPECT_FALSE(outcome.bOk);
        EXPECT_TRUE(outcome.bStopped);
        EXPECT_EQ(outcome.strError, "中止しました");
        EXPECT_FALSE(outcome.model.IsUsable());
    }
}
