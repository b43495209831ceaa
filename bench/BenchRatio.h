#pragma once
// Each measurement is reported as a ratio against a baseline measured in the same run, so that
// a noisy, shared machine still gives comparable figures. Register a pair with KELU_RATIO; the
// main prints every ratio after the run.

#include <string>
#include <vector>

namespace benchratio {

struct Pair {
    std::string title;
    std::string measured;  // benchmark name, as Google Benchmark reports it
    std::string baseline;
};

std::vector<Pair>& Registry();

struct Registrar {
    Registrar(std::string title, std::string measured, std::string baseline)
    {
        Registry().push_back({std::move(title), std::move(measured), std::move(baseline)});
    }
};

} // namespace benchratio

#define KELU_RATIO_CAT2(a, b) a##b
#define KELU_RATIO_CAT(a, b) KELU_RATIO_CAT2(a, b)
#define KELU_RATIO(title, measured, baseline) \
    static ::benchratio::Registrar KELU_RATIO_CAT(kRatio_, __LINE__)(title, measured, baseline)
