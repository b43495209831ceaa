// Runs the benchmarks, then prints each registered measurement as a ratio of its baseline,
// using the median of the repetitions when there are several.

#include "BenchRatio.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace benchratio {

std::vector<Pair>& Registry()
{
    static std::vector<Pair> pairs;
    return pairs;
}

} // namespace benchratio

namespace {

class CCollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration)
                m_times[name].push_back(run.GetAdjustedRealTime());
            else if (run.aggregate_name == "median")
                m_medians[name] = run.GetAdjustedRealTime();
        }
    }

    // The median real time per iteration, in the reporter's time unit; 0 when not run.
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
        return v[v.size() / 2];
    }

private:
    std::map<std::string, std::vector<double>> m_times;
    std::map<std::string, double> m_medians;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    CCollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nRatios (median real time, measured / baseline):\n");
    for (const benchratio::Pair& p : benchratio::Registry()) {
        const double measured = reporter.Median(p.measured);
        const double baseline = reporter.Median(p.baseline);
        if (measured <= 0.0 || baseline <= 0.0) {
            std::printf("  %-48s not run\n", p.title.c_str());
            continue;
        }
        std::printf("  %-48s %6.2fx  (%s / %s)\n", p.title.c_str(), measured / baseline, p.measured.c_str(),
                    p.baseline.c_str());
    }
    return 0;
}
