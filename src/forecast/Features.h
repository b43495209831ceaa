#pragma once
// The figures the forecast weighs for each boat of a race, by name. Those of the program come
// from the race's own program lines; those of the history from the past form, the days before
// the race. The model file names the features it was fitted on, and the names here are how its
// coefficients find their figures.

#include "forecast/ForecastRace.h"

#include <string>
#include <vector>

class CPastForm;

// The two coefficient sets of a model: from the program alone, and with the racers' and
// motors' history.
enum class EFeatureSet { Program = 0, History = 1 };

class CFeatures {
public:
    // Every feature, the program's first: the program set is the first ProgramCount() of them.
    static const std::vector<std::string>& Names();
    static int ProgramCount();
    static int Count(EFeatureSet set);

    // The raw features of each boat of the race, by lane, into six rows of Names().size()
    // values; a boat without a program line gets zeros. With a null past only the program's
    // are worked out and the rest are 0. The past form must have been moved to the race's day.
    static void Compute(const CForecastRace& race, const CPastForm* pPast, double* pRows);
};
