// The history store over the year of days of BenchYear.h:
// - indexing the whole year into a new store on two threads with its forecasts, against the same
//   without them, and against the record count of the same days on two threads
//   (RecordBench.cpp), which loads them and works out the same picks;
// - a racer's record over ten years, and the predictions' record over twenty, each held to a
//   time of its own. The years are the indexed year copied with its days moved on 365 days at a
//   time: indexing ten and twenty years for every run would take minutes, and a query only sees
//   rows, not where they came from;
// - kelu-history's entries of the year, against SQLite's own shell writing the store's entries
//   table as CSV (sqlite3 -csv): both as processes of their own, as a script would run them,
//   writing to /dev/null, on the store brought up to date first.

#include "BenchRatio.h"
#include "BenchYear.h"
#include "forecast/ModelFile.h"
#include "history/HistoryIndexer.h"
#include "history/HistoryStore.h"
#include "history/RowKeys.h"
#include "history/SqliteDb.h"
#include "platform/Time.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using benchyear::Year;

constexpr const char* kStore = "data/history.sqlite";

void RemoveStore(const std::string& strPath)
{
    for (const char* pszSuffix : {"", "-wal", "-shm"})
        fs::remove(strPath + pszSuffix);
}

// Indexes the year into a new store at the default place, where no store is, with the
// forecasts of the shipped model or without any; the number of races it read.
int IndexYear(bool bForecasts = true)
{
    static const CForecastModel model = CModelFile::Shipped();
    CHistoryStore store;
    if (!store.Open())
        throw std::runtime_error(store.LastError());
    const std::atomic<bool> bStop{false};
    const CIndexSummary summary = CHistoryIndexer(store, bForecasts ? &model : nullptr).Update(2, bStop);
    if (!summary.bOk)
        throw std::runtime_error(summary.strError);
    int nRaces = 0;
    for (const CIndexedDay& d : summary.indexed)
        nRaces += d.nRaces;
    return nRaces;
}

void IndexYearInto(benchmark::State& state, bool bForecasts)
{
    Year();
    int nRaces = 0;
    double dCpu = 0;
    for (auto _ : state) {
        // The store of the run before goes first: deleting a file of 40 MB is no part of
        // indexing, and the record count it is held against deletes nothing.
        state.PauseTiming();
        RemoveStore(kStore);
        const double dCpuBefore = benchyear::ProcessCpuMs();
        state.ResumeTiming();
        nRaces = IndexYear(bForecasts);
        dCpu += benchyear::ProcessCpuMs() - dCpuBefore;
    }
    state.counters["races"] = nRaces;
    state.counters["cpu_ms"] = dCpu / static_cast<double>(state.iterations());
    state.counters["MB"] = static_cast<double>(fs::file_size(kStore)) / (1024.0 * 1024.0);
}

// As the program indexes: the days, then every race's forecast.
void BM_IndexYear(benchmark::State& state)
{
    IndexYearInto(state, true);
}
BENCHMARK(BM_IndexYear)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(7)->UseRealTime();

// The days alone, as the store was indexed before it kept forecasts (with its columns of now).
void BM_IndexYearWithoutForecasts(benchmark::State& state)
{
    IndexYearInto(state, false);
}
BENCHMARK(BM_IndexYearWithoutForecasts)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(7)->UseRealTime();

// The indexed year copied into a store of nYears years, at strPath: every table the queries
// read, each copy with its days moved on by 365 days more.
class CYears {
public:
    CYears(const char* pszPath, int nYears) : m_strPath(pszPath)
    {
        Year();
        if (!fs::exists(kStore)) {
            RemoveStore(kStore);
            IndexYear();
        }
        RemoveStore(m_strPath);
        fs::copy_file(kStore, m_strPath);
        CSqliteDb db;
        db.Open(m_strPath);
        std::vector<int> dates;
        for (CSqliteStatement days = db.Prepare("SELECT day FROM days"); days.Step();)
            dates.push_back(static_cast<int>(days.Int(0)));
        db.Exec("BEGIN");
        for (int k = 1; k < nYears; ++k)
            CopyYear(db, dates, 365LL * k);
        db.Exec("COMMIT");
        static_assert(rowkey::kRacesPerDay * 8 == 3200 && rowkey::kRacers == 10000, "an entry's racer is in its key");
        m_nRegNo = static_cast<int>(
            db.QueryInt("SELECT id / 3200 % 10000 AS regno FROM entries GROUP BY regno ORDER BY count(*) DESC LIMIT 1"));
    }

    const std::string& Path() const { return m_strPath; }
    // The racer with the most races.
    int BusiestRacer() const { return m_nRegNo; }

private:
    static void CopyYear(CSqliteDb& db, const std::vector<int>& dates, long long nDays)
    {
        CSqliteStatement day = db.Prepare(
            "INSERT INTO days SELECT ?2, program_size, program_time, result_size, result_time, state, damage, "
            "damage_file, damage_line, damage_venue FROM days WHERE day = ?1");
        CSqliteStatement venueDays = db.Prepare(
            "INSERT INTO venue_days SELECT ?2, venue, races, exacta_hits, trifecta_hits, exacta_return, "
            "trifecta_return, crowd_exacta_hits, crowd_trifecta_hits, crowd_exacta_return, crowd_trifecta_return "
            "FROM venue_days WHERE day = ?1");
        CSqliteStatement forecastDays = db.Prepare(
            "INSERT INTO forecast_days SELECT ?2, venue, races, exacta_hits, trifecta_hits, exacta_return, "
            "trifecta_return FROM forecast_days WHERE day = ?1");
        for (int nDate : dates) {
            const int nMoved = rowkey::DateOfDayNumber(rowkey::DayNumber(nDate) + nDays);
            day.Bind(1, nDate).Bind(2, nMoved).Run();
            venueDays.Bind(1, nDate).Bind(2, nMoved).Run();
            forecastDays.Bind(1, nDate).Bind(2, nMoved).Run();
        }
        const long long nEnd = rowkey::EndRace(*std::max_element(dates.begin(), dates.end()));
        CSqliteStatement races = db.Prepare(
            "INSERT INTO races SELECT id + ?1, distance, title, weather, wind_direction, wind_speed, wave, technique, "
            "outcome FROM races WHERE id < ?2");
        races.Bind(1, nDays * rowkey::kRacesPerDay).Bind(2, nEnd).Run();
        CSqliteStatement entries = db.Prepare(
            "INSERT INTO entries SELECT id + ?1, name, class, win_rate, two_rate, local_win_rate, local_two_rate, "
            "motor, motor_rate, hull, hull_rate, course, start, place, start_timing, time, age, weight, home, meet, "
            "early, exhibition, motor_rate_full, hull_rate_full FROM entries WHERE id < ?2");
        entries.Bind(1, rowkey::FirstEntry(nDays, 0)).Bind(2, rowkey::FirstEntry(nEnd / rowkey::kRacesPerDay, 0)).Run();
    }

    std::string m_strPath;
    int m_nRegNo = 0;
};

void Open(CHistoryStore& store, const CYears& years)
{
    Year();
    if (!store.Open(years.Path()))
        throw std::runtime_error(store.LastError());
}

void BM_RacerTenYears(benchmark::State& state)
{
    static const CYears years("data/ten-years.sqlite", 10);
    CHistoryStore store;
    Open(store, years);
    size_t nRaces = 0;
    for (auto _ : state) {
        CRacerRecord record;
        store.QueryRacer(years.BusiestRacer(), record);
        nRaces = record.m_races.size();
        benchmark::DoNotOptimize(record.m_total.nStarts);
    }
    state.counters["races"] = static_cast<double>(nRaces);
}
BENCHMARK(BM_RacerTenYears)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RecordTwentyYears(benchmark::State& state)
{
    static const CYears years("data/twenty-years.sqlite", 20);
    CHistoryStore store;
    Open(store, years);
    int nRaces = 0;
    for (auto _ : state) {
        CPredictionRecord record;
        store.QueryRecord(CRecordQuery(), record);
        nRaces = record.m_total.nRaces;
        benchmark::DoNotOptimize(nRaces);
    }
    state.counters["races"] = nRaces;
}
BENCHMARK(BM_RecordTwentyYears)->Unit(benchmark::kMillisecond)->UseRealTime();

// Runs the program (found on the PATH when named without a folder) with its output and its
// messages thrown away; false when it cannot be run or fails.
bool RunQuietly(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int nStatus = 0;
    const bool bRun = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
                      waitpid(pid, &nStatus, 0) == pid && WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return bRun;
}

// The year's entries as a script asks for them: all of it, or January in a quick run.
class CEntriesRun {
public:
    CEntriesRun()
    {
        Year();
        if (!fs::exists(kStore))
            IndexYear();
        // kelu-history is built into the program folder, beside the benchmarks' own.
        std::error_code ec;
        const fs::path build = fs::read_symlink("/proc/self/exe", ec).parent_path().parent_path();
        const int nTo = benchratio::IsQuickRun() ? 20210131 : 20211231;
        m_tool = {(build / "kelu" / "kelu-history").string(), "entries", "--to", DateText(nTo, '-')};
        m_sqlite = {"sqlite3", "-csv", kStore,
                    "SELECT * FROM entries WHERE id < " +
                        std::to_string(rowkey::FirstEntry(rowkey::DayNumber(nTo) + 1, 0))};
        // Once untimed: the store is brought up to date (an indexing without forecasts may have
        // been the last to write it), and both read it into the system's file cache.
        m_bReady = !ec && RunQuietly(m_tool) && RunQuietly(m_sqlite);
    }

    // Runs one of them each iteration; one that cannot be run or fails ends the measurement with
    // an error, and the table shows it as not run.
    void Measure(benchmark::State& state, bool bTool) const
    {
        Year();
        if (!m_bReady) {
            state.SkipWithError("kelu-history or sqlite3 is not there, or failed");
            return;
        }
        for (auto _ : state) {
            if (!RunQuietly(bTool ? m_tool : m_sqlite)) {
                state.SkipWithError("the run failed");
                return;
            }
        }
    }

private:
    std::vector<std::string> m_tool, m_sqlite;
    bool m_bReady = false;
};

const CEntriesRun& EntriesRun()
{
    static const CEntriesRun run;
    return run;
}

void BM_EntriesYear(benchmark::State& state)
{
    EntriesRun().Measure(state, true);
}
BENCHMARK(BM_EntriesYear)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->UseRealTime();

void BM_SqliteEntriesYear(benchmark::State& state)
{
    EntriesRun().Measure(state, false);
}
BENCHMARK(BM_SqliteEntriesYear)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->UseRealTime();

// The forecasts may add half of what the days cost; against the record count, the days alone
// stood at 1.40 before the store kept forecasts and the columns their features read, and
// 1.5 times that is 2.1.
KELU_RATIO("Indexing a year with its forecasts vs without them (2 threads)", "BM_IndexYear",
           "BM_IndexYearWithoutForecasts", 1.5);
KELU_RATIO("Indexing a year with its forecasts vs its record count (2 threads)", "BM_IndexYear", "BM_RecordYear",
           2.1);
KELU_LIMIT("A racer's record over ten years from the store", "BM_RacerTenYears", 100.0);
KELU_LIMIT("The predictions' record over twenty years from the store", "BM_RecordTwentyYears", 1000.0);
// Against what the same questions would cost without the store, one year of the span only:
// finding a racer's races means loading every day's files, and the record counts from them.
KELU_RATIO("A racer's record over ten years vs loading one year of files", "BM_RacerTenYears", "BM_LoadYear");
KELU_RATIO("The record over twenty years vs counting one year from the files", "BM_RecordTwentyYears",
           "BM_RecordYear");
KELU_RATIO("kelu-history entries of a year vs sqlite3 -csv of the entries table", "BM_EntriesYear",
           "BM_SqliteEntriesYear", 2.0);

} // namespace
