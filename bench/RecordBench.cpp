// The predictions' record over a year of days on disk, counted on two threads, against merely
// loading the same days one after the other. The year is made of the published days (when
// ../shared/data is there) copied to 365 dates, about 60,000 races; else of a synthetic day of
// 13 venues of 12 races.

#include "BenchFolder.h"
#include "BenchRatio.h"
#include "DayFixture.h"
#include "model/KeluDoc.h"
#include "record/PredictionRecord.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class CYearOfDays : public benchfolder::CBenchFolder {
public:
    CYearOfDays() : CBenchFolder("kelu-bench-year")
    {
        const std::vector<std::string> published = PublishedDays();
        for (int i = 0; i < 365; ++i) {
            const CTime day = CTime(2021, 1, 1, 12, 0, 0).AddDays(i);
            if (published.empty()) {
                fixture::WriteStandardDay(day, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
                continue;
            }
            const std::string& tag = published[static_cast<size_t>(i) % published.size()];
            fs::create_directories("data/prog");
            fs::create_directories("data/res");
            fs::copy_file(fs::path(KELU_SHARED_DATA_DIR) / ("B" + tag + ".TXT"), CKeluDoc::ProgramFileName(day).Str());
            fs::copy_file(fs::path(KELU_SHARED_DATA_DIR) / ("K" + tag + ".TXT"), CKeluDoc::ResultFileName(day).Str());
        }
        m_days = FindRecordedDays();
    }

    const std::vector<CTime>& Days() const { return m_days; }

private:
    static std::vector<std::string> PublishedDays()
    {
        std::vector<std::string> tags;
        for (const char* tag : {"200101", "200105", "200106", "200108"})
            if (fs::exists(fs::path(KELU_SHARED_DATA_DIR) / (std::string("B") + tag + ".TXT")))
                tags.push_back(tag);
        return tags;
    }

    std::vector<CTime> m_days;
};

const CYearOfDays& Year()
{
    static const CYearOfDays year;
    year.Enter();
    return year;
}

void BM_RecordYear(benchmark::State& state)
{
    const CYearOfDays& year = Year();
    std::atomic<bool> bStop{false};
    int nRaces = 0;
    for (auto _ : state) {
        const CPredictionRecord record = RecordDays(year.Days(), 2, bStop);
        nRaces = record.m_total.nRaces;
        benchmark::DoNotOptimize(nRaces);
    }
    state.counters["races"] = nRaces;
    state.counters["days"] = static_cast<double>(year.Days().size());
}
BENCHMARK(BM_RecordYear)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();

void BM_LoadYear(benchmark::State& state)
{
    const CYearOfDays& year = Year();
    auto doc = std::make_unique<CKeluDoc>();
    for (auto _ : state) {
        for (const CTime& day : year.Days()) {
            bool bLoaded = doc->LoadDay(day);
            benchmark::DoNotOptimize(bLoaded);
        }
    }
}
BENCHMARK(BM_LoadYear)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();

KELU_RATIO("Record of a year (2 threads) vs loading it", "BM_RecordYear", "BM_LoadYear");
// A year of days is counted within five seconds on two cores.
KELU_LIMIT("Record of a year (2 threads)", "BM_RecordYear", 5000.0);

} // namespace
