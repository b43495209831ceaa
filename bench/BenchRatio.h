#pragma once
// Each measurement is reported as a ratio against a baseline measured in the same run, so that
// a noisy, shared machine still gives comparable figures. Register a pair with KELU_RATIO, with
// the ratio it is to stay within as its target (leave it out where none was set), or hold one
// measurement to a time of its own with KELU_LIMIT. The main prints one table of them all.

#include <string>
#include <vector>

namespace benchratio {

struct Pair {
    std::string title;
    std::string measured;  // benchmark name, as Google Benchmark reports it
    std::string baseline;  // empty: the measurement is held to dLimitMs instead
    double dTarget = 0;    // measured / baseline must stay within it; 0: none set
    double dLimitMs = 0;   // the measured median must stay under it; 0: none set
};

std::vector<Pair>& Registry();

// True for the quick run that only checks that the benchmarks still work (a --benchmark_min_time
// under a tenth of a second, as scripts/test gives): the slowest measurements then do a small
// part of their work.
bool IsQuickRun();
void SetQuickRun(bool bQuick);

struct Registrar {
    Registrar(std::string title, std::string measured, std::string baseline, double dTarget = 0)
    {
        Registry().push_back({std::move(title), std::move(measured), std::move(baseline), dTarget, 0});
    }
};

struct LimitRegistrar {
    LimitRegistrar(std::string title, std::string measured, double dLimitMs)
    {
        Registry().push_back({std::move(title), std::move(measured), std::string(), 0, dLimitMs});
    }
};

} // namespace benchratio

#define KELU_RATIO_CAT2(a, b) a##b
#define KELU_RATIO_CAT(a, b) KELU_RATIO_CAT2(a, b)
// KELU_RATIO(title, measured, baseline [, target ratio])
#define KELU_RATIO(...) static ::benchratio::Registrar KELU_RATIO_CAT(kRatio_, __LINE__)(__VA_ARGS__)
// KELU_LIMIT(title, measured, limit in milliseconds)
#define KELU_LIMIT(title, measured, limit) \
    static ::benchratio::LimitRegistrar KELU_RATIO_CAT(kLimit_, __LINE__)(title, measured, limit)
