// What showing one race costs, and what the watched-racer menu costs on a full day.
//
// The race: every document call the program grid and the details page make for one race (the
// upper grid's 6 x 12 values with both marks, then the 6 exacta and 12 trifecta picks with
// entry 1 first), against merely copying the race's seven program lines out of the document.
// The menu: FindRacerOfDay for 256 watched racers, against one walk over every boat of the day.

#include "BenchRatio.h"
#include "DayFixture.h"
#include "model/KeluDoc.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <stdlib.h>

namespace {

const CTime kDay(2020, 1, 1, 12, 0, 0);
constexpr int kVenueCount = 24;
constexpr int kRaceCount = 12;
constexpr int kDecidedRaces = 6; // the day is half run: results up to race 6

// Each racer rides twice at one venue, in races r and r + 6, like a real meet day.
int RegNo(int v, int r, int b)
{
    return 3000 + v * 40 + ((r - 1) % 6) * 6 + b;
}

fixture::Boat BenchBoat(int v, int r, int b)
{
    static const char* const kClasses[] = {"A1", "A2", "B1", "B1", "B2", "A1"};
    static const char* const kMeets[] = {"1 2 3 ", "4 5 6 F", "2 2 1", "", "6 6 5 L", "3 1 4 2 5"};
    const int n = (v + r + b) % 6;
    fixture::Boat boat;
    boat.boat = b;
    boat.regNo = std::to_string(RegNo(v, r, b));
    boat.cls = kClasses[n];
    boat.winRate = std::to_string(3 + n) + ".2" + std::to_string(b);
    boat.twoRate = std::to_string(20 + 5 * n) + ".1" + std::to_string(b);
    boat.meet = kMeets[(n + b) % 6];
    return boat;
}

fixture::ResultRace BenchResult(int v, int r)
{
    fixture::ResultRace race;
    race.race = r;
    // Boats finish in a rotated order, so every racer's place and course differ.
    for (int p = 1; p <= 6; ++p) {
        const int b = (p + r) % 6 + 1;
        fixture::Finish f;
        f.place = "0" + std::to_string(p);
        f.boat = b;
        f.regNo = std::to_string(RegNo(v, r, b));
        f.course = std::to_string(b);
        race.finishes.push_back(f);
    }
    return race;
}

void WriteFullDay()
{
    std::vector<fixture::ProgramVenue> programs;
    std::vector<fixture::ResultVenue> results;
    for (int v = 1; v <= kVenueCount; ++v) {
        fixture::ProgramVenue pv;
        pv.venue = v;
        fixture::ResultVenue rv;
        rv.venue = v;
        for (int r = 1; r <= kRaceCount; ++r) {
            fixture::ProgramRace race;
            race.race = r;
            for (int b = 1; b <= 6; ++b)
                race.boats.push_back(BenchBoat(v, r, b));
            pv.races.push_back(race);
            if (r <= kDecidedRaces)
                rv.races.push_back(BenchResult(v, r));
        }
        programs.push_back(pv);
        results.push_back(rv);
    }
    fixture::WriteProgramFile(kDay, fixture::ProgramFile(programs));
    fixture::WriteResultFile(kDay, fixture::ResultFile(results));
}

// The day is written and read in a folder of its own, then the working directory comes back.
std::unique_ptr<CKeluDoc> LoadFullDay()
{
    namespace fs = std::filesystem;
    const fs::path old = fs::current_path();
    std::string dir = (fs::temp_directory_path() / "kelu-bench-XXXXXX").string();
    if (!mkdtemp(dir.data()))
        throw std::runtime_error("cannot make a temporary directory");
    fs::current_path(dir);
    WriteFullDay();
    auto doc = std::make_unique<CKeluDoc>();
    const bool bLoaded = doc->LoadDay(kDay);
    fs::current_path(old);
    fs::remove_all(dir);
    if (!bLoaded || !doc->HasRace(kVenueCount, kRaceCount))
        throw std::runtime_error("the benchmark day did not load");
    return doc;
}

CKeluDoc& FullDay()
{
    static const std::unique_ptr<CKeluDoc> doc = LoadFullDay();
    return *doc;
}

// Half of a watched list races today, spread over all venues; the other half does not.
std::vector<int> WatchedRacers()
{
    std::vector<int> numbers;
    for (int i = 0; i < 256; ++i)
        numbers.push_back(i % 2 ? 5000 + i : RegNo(i / 2 % kVenueCount + 1, i / 2 % kRaceCount + 1, i % 6 + 1));
    return numbers;
}

void BM_RaceRender(benchmark::State& state)
{
    CKeluDoc& doc = FullDay();
    doc.SetSelection(12, 8);
    for (auto _ : state) {
        for (int b = 1; b <= 6; ++b) {
            benchmark::DoNotOptimize(doc.GetBoatNo(b));
            benchmark::DoNotOptimize(doc.GetMeetMark(b) + doc.GetIndexMark(b));
            benchmark::DoNotOptimize(doc.GetRacerName(b));
            benchmark::DoNotOptimize(doc.GetClass(b));
            benchmark::DoNotOptimize(doc.GetWinRate(b));
            benchmark::DoNotOptimize(doc.GetTwoRate(b));
            benchmark::DoNotOptimize(doc.GetLocalWinRate(b));
            benchmark::DoNotOptimize(doc.GetLocalTwoRate(b));
            benchmark::DoNotOptimize(doc.GetMotorRate(b));
            benchmark::DoNotOptimize(doc.GetBoatRate(b));
            benchmark::DoNotOptimize(doc.GetMeetResults(b));
            benchmark::DoNotOptimize(doc.GetEarlyRace(b));
        }
        for (int k = 1; k <= 6; ++k)
            benchmark::DoNotOptimize(doc.GetExactaPick(k));
        for (int k = 1; k <= 12; ++k)
            benchmark::DoNotOptimize(doc.GetTrifectaPick(k));
    }
}
BENCHMARK(BM_RaceRender)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_RaceLinesCopy(benchmark::State& state)
{
    CKeluDoc& doc = FullDay();
    doc.SetSelection(12, 8);
    for (auto _ : state) {
        for (int n = 0; n < CKeluDoc::kBoats; ++n)
            benchmark::DoNotOptimize(doc.GetProgramLine(n));
    }
}
BENCHMARK(BM_RaceLinesCopy)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_FindRacer256(benchmark::State& state)
{
    CKeluDoc& doc = FullDay();
    const std::vector<int> numbers = WatchedRacers();
    for (auto _ : state) {
        for (int n : numbers)
            benchmark::DoNotOptimize(doc.FindRacerOfDay(n));
    }
}
BENCHMARK(BM_FindRacer256)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_DayWalk(benchmark::State& state)
{
    CKeluDoc& doc = FullDay();
    for (auto _ : state) {
        for (int v = 1; v < CKeluDoc::kVenues; ++v) {
            for (int r = 1; r < CKeluDoc::kRaces && doc.HasRace(v, r); ++r) {
                doc.SetSelection(v, r);
                for (int b = 1; b <= 6; ++b)
                    benchmark::DoNotOptimize(doc.GetRegNo(b));
            }
        }
    }
}
BENCHMARK(BM_DayWalk)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

KELU_RATIO("race render: its document calls / its 7 lines", "BM_RaceRender", "BM_RaceLinesCopy");
// A race's whole set of document calls stays under a millisecond.
KELU_LIMIT("race render: its document calls", "BM_RaceRender", 1.0);
KELU_RATIO("256 racer searches / one walk over the day", "BM_FindRacer256", "BM_DayWalk");
