// The predictions' record over a year of days on disk (BenchYear.h), counted on two threads,
// against merely loading the same days one after the other.

#include "BenchRatio.h"
#include "BenchYear.h"
#include "model/KeluDoc.h"
#include "record/PredictionRecord.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using benchyear::CYearOfDays;
using benchyear::Year;

void BM_RecordYear(benchmark::State& state)
{
    const CYearOfDays& year = Year();
    std::atomic<bool> bStop{false};
    int nRaces = 0;
    const double dCpu = benchyear::ProcessCpuMs();
    for (auto _ : state) {
        const CPredictionRecord record = RecordDays(year.Days(), 2, bStop);
        nRaces = record.m_total.nRaces;
        benchmark::DoNotOptimize(nRaces);
    }
    state.counters["races"] = nRaces;
    state.counters["cpu_ms"] = (benchyear::ProcessCpuMs() - dCpu) / static_cast<double>(state.iterations());
    state.counters["days"] = static_cast<double>(year.Days().size());
}
BENCHMARK(BM_RecordYear)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(7)->UseRealTime();

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
