// Runs the benchmarks, then prints the table of every registered measurement: its median, its
// baseline's median, their ratio and its target, using the median of the repetitions when
// there are several. Two flags of our own:
//   --kelu_rows=FILE    also shows the rows of FILE (the start-up measurements, which run as
//                       processes of their own), before the benchmarks' rows
//   --kelu_table_only   prints nothing but the table
// A --benchmark_min_time under 0.1 s marks a quick run (benchratio::IsQuickRun).

#include "BenchRatio.h"
#include "BenchTable.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace benchratio {

std::vector<Pair>& Registry()
{
    static std::vector<Pair> pairs;
    return pairs;
}

namespace {
bool g_bQuickRun = false;
} // namespace

bool IsQuickRun()
{
    return g_bQuickRun;
}

void SetQuickRun(bool bQuick)
{
    g_bQuickRun = bQuick;
}

} // namespace benchratio

namespace {

// Real time in milliseconds, whatever unit each benchmark reports in.
double Milliseconds(const benchmark::BenchmarkReporter::Run& run)
{
    return run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
}

class CCollectingReporter : public benchmark::ConsoleReporter {
public:
    explicit CCollectingReporter(bool bQuiet) : m_bQuiet(bQuiet) {}

    bool ReportContext(const Context& context) override
    {
        return m_bQuiet || ConsoleReporter::ReportContext(context);
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        if (!m_bQuiet)
            ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration)
                m_times[name].push_back(Milliseconds(run));
            else if (run.aggregate_name == "median")
                m_medians[name] = Milliseconds(run);
        }
    }

    // The median real time per iteration in milliseconds; 0 when not run.
    double Median(const std::string& name) const
    {
        // With aggregates only, the library's own median is all there is.
        if (auto m = m_medians.find(name); m != m_medians.end())
            return m->second;
        auto it = m_times.find(name);
        if (it == m_times.end() || it->second.empty())
            return 0.0;
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }

private:
    bool m_bQuiet;
    std::map<std::string, std::vector<double>> m_times;
    std::map<std::string, double> m_medians;
};

// Takes our own flags out of argv, so that the library sees only its own.
void TakeOwnFlags(int& argc, char** argv, std::string& strRows, bool& bTableOnly)
{
    int nKept = 1;
    for (int i = 1; i < argc; ++i) {
        const char* psz = argv[i];
        if (std::strncmp(psz, "--kelu_rows=", 12) == 0)
            strRows = psz + 12;
        else if (std::strcmp(psz, "--kelu_table_only") == 0)
            bTableOnly = true;
        else
            argv[nKept++] = argv[i];
        // Left for the library, but a minimum time this short is a run that checks, not measures.
        if (std::strncmp(psz, "--benchmark_min_time=", 21) == 0)
            benchratio::SetQuickRun(std::strtod(psz + 21, nullptr) < 0.1);
    }
    argc = nKept;
    argv[argc] = nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    std::string strRows;
    bool bTableOnly = false;
    TakeOwnFlags(argc, argv, strRows, bTableOnly);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    CCollectingReporter reporter(bTableOnly);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::vector<benchtable::CRow> rows;
    if (!strRows.empty() && !benchtable::ReadRows(strRows, rows))
        std::fprintf(stderr, "kelu_bench: cannot read %s\n", strRows.c_str());
    for (const benchratio::Pair& p : benchratio::Registry()) {
        const double dBaseline = p.baseline.empty() ? 0.0 : reporter.Median(p.baseline);
        rows.push_back({p.title, reporter.Median(p.measured), dBaseline, "ms", p.dTarget, p.dLimitMs});
    }
    if (!bTableOnly)
        std::printf("\n");
    benchtable::PrintTable(rows, stdout);
    return 0;
}
