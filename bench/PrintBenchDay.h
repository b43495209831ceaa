#pragma once
// The working folder of the print benchmarks: a synthetic day of one venue, twelve races with
// programs and results, and the shipped print templates in data/. Made once, removed at exit.

#include "BenchFolder.h"
#include "DayFixture.h"
#include "model/KeluDoc.h"

#include <filesystem>
#include <stdexcept>
#include <string>

#include <stdlib.h>

namespace printbench {

inline const CTime kDay(2020, 3, 3, 12, 0, 0);
constexpr int kVenue = 12;

class CPrintDay : public benchfolder::CBenchFolder {
public:
    CPrintDay() : CBenchFolder("kelu-print-bench")
    {
        fixture::ProgramVenue p;
        fixture::ResultVenue r;
        p.venue = r.venue = kVenue;
        for (int n = 1; n <= 12; ++n) {
            p.races.emplace_back().race = n;
            r.races.emplace_back().race = n;
            // Meets half run, so that the meet cells and marks have something to show.
            for (fixture::Boat& b : p.races.back().boats = fixture::StandardBoats(n))
                b.meet = "1 2 3 4 5 6";
        }
        fixture::WriteProgramFile(kDay, fixture::ProgramFile({p}));
        fixture::WriteResultFile(kDay, fixture::ResultFile({r}));
        for (const char* pszName : {"yftpl.txt", "ydtpl.txt", "kftpl.txt", "kdtpl.txt"})
            std::filesystem::copy_file(std::filesystem::path(KELU_TEMPLATE_DIR) / pszName,
                                       std::filesystem::path("data") / pszName);
    }
};

inline void EnterPrintDay()
{
    static const CPrintDay day;
    day.Enter();
}

} // namespace printbench
