// What the forecast costs:
// - forecasting every race of a published day (the features of its boats from the program and
//   the past form of the days before, the model's chances and picks, judged against the result)
//   against working out the details page's picks of the same races;
// - fitting a model on the published days of 2020-01-01..09-30 (some 41,000 races, read from
//   the store with their past form, fitted with the last month held out and again on all)
//   against indexing the same days into a new store, forecasts included.
// The nine months need ../shared/data/2020; without it they are not measured. A quick run
// takes their first month.

#include "BenchFolder.h"
#include "BenchRatio.h"
#include "download/Archive.h"
#include "forecast/ModelFile.h"
#include "forecast/PastForm.h"
#include "history/ForecastPass.h"
#include "history/ForecastTraining.h"
#include "history/HistoryIndexer.h"
#include "history/HistoryStore.h"
#include "history/RowKeys.h"
#include "history/StoredRace.h"
#include "model/KeluDoc.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;

const fs::path kArchives = fs::path(KELU_SHARED_DATA_DIR) / "2020";

// The published archives of 2020 unpacked with the program's own library, once; false without them.
class CNineMonths : public benchfolder::CBenchFolder {
public:
    CNineMonths() : CBenchFolder("kelu-bench-2020")
    {
        std::error_code ec;
        fs::create_directories("data/prog");
        fs::create_directories("data/res");
        for (fs::directory_iterator it(kArchives, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.size() != 11 || (name[0] != 'b' && name[0] != 'k') || name.substr(7) != ".lzh")
                continue;
            // A quick run takes January alone.
            if (benchratio::IsQuickRun() && name.substr(3, 2) != "01")
                continue;
            const std::string command = std::string("efw=data/") + (name[0] == 'b' ? "prog" : "res") + " " +
                                        it->path().string() + " " + static_cast<char>(name[0] - 'a' + 'A') +
                                        name.substr(1, 6) + ".TXT";
            if (ExtractArchive(command.c_str()).nCode == 0)
                ++m_nArchives;
        }
    }
    bool IsThere() const { return m_nArchives > 0; }

private:
    int m_nArchives = 0;
};

const CNineMonths& NineMonths()
{
    static const CNineMonths months;
    months.Enter();
    return months;
}

void RemoveStore()
{
    for (const char* pszSuffix : {"", "-wal", "-shm"})
        fs::remove(std::string("data/history.sqlite") + pszSuffix);
}

const CForecastModel& Shipped()
{
    static const CForecastModel model = CModelFile::Shipped();
    return model;
}

void Index()
{
    CHistoryStore store;
    if (!store.Open())
        throw std::runtime_error(store.LastError());
    const std::atomic<bool> bStop{false};
    const CIndexSummary summary = CHistoryIndexer(store, &Shipped()).Update(2, bStop);
    if (!summary.bOk)
        throw std::runtime_error(summary.strError);
}

void BM_IndexNineMonths(benchmark::State& state)
{
    if (!NineMonths().IsThere()) {
        state.SkipWithError("no archives of 2020");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        RemoveStore();
        state.ResumeTiming();
        Index();
    }
}
BENCHMARK(BM_IndexNineMonths)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->UseRealTime();

void BM_FitNineMonths(benchmark::State& state)
{
    if (!NineMonths().IsThere()) {
        state.SkipWithError("no archives of 2020");
        return;
    }
    if (!fs::exists("data/history.sqlite"))
        Index();
    CHistoryStore store;
    if (!store.Open())
        throw std::runtime_error(store.LastError());
    const std::atomic<bool> bStop{false};
    CForecastTraining::COptions options;
    options.nThreads = 2;
    int nRaces = 0;
    for (auto _ : state) {
        const CFitOutcome outcome =
            CForecastTraining::Fit(store, 20200101, benchratio::IsQuickRun() ? 20200131 : 20200930, Shipped(), options, bStop);
        if (!outcome.bOk)
            throw std::runtime_error(outcome.strError);
        nRaces = outcome.nProgramRaces;
    }
    state.counters["races"] = nRaces;
}
BENCHMARK(BM_FitNineMonths)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->UseRealTime();

// A published day in a store with the thirty days before it: the day's races as the forecast
// reads them, and the past form of those days.
struct CDayToForecast {
    std::unique_ptr<benchfolder::CBenchFolder> pFolder;
    std::vector<CStoredRace> races;
    CPastForm past;
    std::unique_ptr<CKeluDoc> pDoc = std::make_unique<CKeluDoc>();
};

const CDayToForecast& DayToForecast()
{
    static const CDayToForecast day = [] {
        CDayToForecast d;
        d.pFolder = std::make_unique<benchfolder::CBenchFolder>("kelu-bench-forecast");
        fs::create_directories("data/prog");
        fs::create_directories("data/res");
        // 5 January 2020 under the dates of the thirty-one days up to it, so that the racers have
        // a history; without the published days, a day of the fixture's.
        const fs::path shared(KELU_SHARED_DATA_DIR);
        for (int n = 0; n <= 30; ++n) {
            const CTime day = CTime(2021, 2, 1, 12, 0, 0).AddDays(n);
            fs::copy_file(shared / "B200105.TXT", CKeluDoc::ProgramFileName(day).Str());
            fs::copy_file(shared / "K200105.TXT", CKeluDoc::ResultFileName(day).Str());
        }
        CHistoryStore store;
        if (!store.Open())
            throw std::runtime_error(store.LastError());
        const std::atomic<bool> bStop{false};
        CHistoryIndexer(store).Update(2, bStop);
        bool bStopped = false;
        const int nLast = 20210303;
        CForecastPass::ReadDays(store, nLast, nLast, bStop, bStopped,
                                [&](int, const std::vector<CStoredRace>& races, const CPastForm& past) {
                                    d.races = races;
                                    d.past = past;
                                    return true;
                                });
        d.pDoc->LoadDay(CTime(2021, 3, 3, 12, 0, 0));
        return d;
    }();
    day.pFolder->Enter();
    return day;
}

void BM_ForecastDay(benchmark::State& state)
{
    if (!fs::exists(fs::path(KELU_SHARED_DATA_DIR) / "B200105.TXT")) {
        state.SkipWithError("no published day");
        return;
    }
    const CDayToForecast& day = DayToForecast();
    for (auto _ : state)
        for (const CStoredRace& race : day.races) {
            const CForecastRow row = CForecastPass::ForecastRace(Shipped(), race, day.past);
            benchmark::DoNotOptimize(row.forecast.exacta.data());
        }
    state.counters["races"] = static_cast<double>(day.races.size());
}
BENCHMARK(BM_ForecastDay)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_PicksDay(benchmark::State& state)
{
    if (!fs::exists(fs::path(KELU_SHARED_DATA_DIR) / "B200105.TXT")) {
        state.SkipWithError("no published day");
        return;
    }
    CKeluDoc& doc = *DayToForecast().pDoc;
    for (auto _ : state) {
        for (int v = 1; v < CKeluDoc::kVenues; ++v)
            for (int r = 1; r < CKeluDoc::kRaces && doc.HasRace(v, r); ++r) {
                doc.SetSelection(v, r);
                doc.ComputeExactaPicks();
                doc.ComputeTrifectaPicks();
                benchmark::DoNotOptimize(doc.m_dTrifectaPercent);
            }
    }
}
BENCHMARK(BM_PicksDay)->Unit(benchmark::kMicrosecond)->UseRealTime();

KELU_RATIO("Forecasting a day's races vs the details page's picks of them", "BM_ForecastDay", "BM_PicksDay", 2.0);
KELU_RATIO("Fitting nine months of 2020 vs indexing them with their forecasts", "BM_FitNineMonths",
           "BM_IndexNineMonths", 3.0);

} // namespace
