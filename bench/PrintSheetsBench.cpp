// Writing both data sheets of a printed page (three races' values into the program and result
// templates) against copying the same two templates line by line with the same text files:
// the ratio is what finding and formatting the values costs on top of the file work.

#include "BenchRatio.h"
#include "PrintBenchDay.h"
#include "platform/TextFile.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace printbench;

void BM_WriteSheets(benchmark::State& state)
{
    EnterPrintDay();
    auto doc = std::make_unique<CKeluDoc>();
    if (!doc->LoadDay(kDay) || !doc->HasRace(kVenue, 12)) {
        state.SkipWithError("the synthetic day did not load");
        return;
    }
    doc->SetSelection(kVenue, 5);
    for (auto _ : state) {
        doc->WriteProgramSheet(kVenue, 4);
        doc->WriteResultSheet(kVenue, 4);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_WriteSheets);

void BM_CopyTemplates(benchmark::State& state)
{
    EnterPrintDay();
    const char* const kFiles[][2] = {{"data/ydtpl.txt", "data/yddat.txt"}, {"data/kdtpl.txt", "data/kddat.txt"}};
    for (auto _ : state) {
        for (const auto& f : kFiles) {
            CTextFile in;
            CTextFile out;
            if (!in.Open(f[0], CTextFile::modeRead) || !out.Open(f[1], CTextFile::modeWrite)) {
                state.SkipWithError("cannot copy the templates");
                return;
            }
            CString strLine;
            while (in.ReadString(strLine))
                out.WriteLine(strLine);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyTemplates);

KELU_RATIO("both sheets of a page vs copying the templates", "BM_WriteSheets", "BM_CopyTemplates", 3.0);

} // namespace
