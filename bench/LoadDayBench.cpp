// Loading a full day (24 venues of 12 races, every result published) against merely reading
// the same two files line by line with the same text file class: the ratio is what the readers
// themselves cost on top of the disk and the line splitting.

#include "BenchFolder.h"
#include "BenchRatio.h"
#include "DayFixture.h"
#include "model/KeluDoc.h"
#include "platform/TextFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

const CTime kDay(2020, 2, 2, 12, 0, 0);

// A temporary folder holding data/prog and data/res of the synthetic day, written once.
class CSyntheticDay : public benchfolder::CBenchFolder {
public:
    CSyntheticDay() : CBenchFolder("kelu-bench")
    {
        std::vector<int> venues;
        for (int v = 1; v <= 24; ++v)
            venues.push_back(v);
        fixture::WriteStandardDay(kDay, venues);
    }
};

const CSyntheticDay& Day()
{
    static const CSyntheticDay day;
    day.Enter();
    return day;
}

void BM_LoadDay(benchmark::State& state)
{
    Day();
    auto doc = std::make_unique<CKeluDoc>();
    for (auto _ : state) {
        bool bLoaded = doc->LoadDay(kDay);
        benchmark::DoNotOptimize(bLoaded);
        benchmark::ClobberMemory();
    }
    if (!doc->HasRace(24, 12))
        state.SkipWithError("the synthetic day did not load");
}
BENCHMARK(BM_LoadDay);

void BM_ReadAndSplit(benchmark::State& state)
{
    Day();
    const CString names[] = {CKeluDoc::ProgramFileName(kDay), CKeluDoc::ResultFileName(kDay)};
    for (auto _ : state) {
        long long nBytes = 0;
        for (const CString& name : names) {
            CTextFile file;
            if (!file.Open(name.GetString(), CTextFile::modeRead)) {
                state.SkipWithError("cannot open the synthetic day");
                return;
            }
            CString line;
            while (file.ReadString(line))
                nBytes += line.GetLength();
        }
        benchmark::DoNotOptimize(nBytes);
    }
}
BENCHMARK(BM_ReadAndSplit);

KELU_RATIO("LoadDay vs reading and splitting", "BM_LoadDay", "BM_ReadAndSplit", 1.2);

} // namespace
