#pragma once
// A year of day files on disk for the benchmarks that read many days: the published days (when
// ../shared/data is there) copied to the 365 dates of 2021, about 60,000 races; else a
// synthetic day of 13 venues of 12 races on each date. Made once, on first use, in a folder of
// its own that Year() steps into.

#include "BenchFolder.h"
#include "platform/Time.h"

#include <vector>

namespace benchyear {

class CYearOfDays : public benchfolder::CBenchFolder {
public:
    CYearOfDays();
    const std::vector<CTime>& Days() const { return m_days; }

private:
    std::vector<CTime> m_days;
};

const CYearOfDays& Year();

// The CPU time of the whole process so far, all threads, in milliseconds: on a shared machine
// the wall time of work on several threads depends on what else runs, its CPU time much less.
double ProcessCpuMs();

} // namespace benchyear
