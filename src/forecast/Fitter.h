#pragma once
// Fits one coefficient set by maximum likelihood of the training races' orders with an L2
// penalty, with liblbfgs. The likelihood is convex: the optimiser finds its one minimum.

#include "forecast/ForecastModel.h"
#include "forecast/TrainingSet.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class CFitter {
public:
    struct COptions {
        double dPenalty = 1.0;
        int nThreads = 1;
        int nMaxIterations = 300;
        // The relative improvement of the value over ten iterations below which it stops.
        double dTolerance = 1e-5;
        // The races of the data to fit on: the first ones, as many as there are by default.
        size_t nRaces = SIZE_MAX;
    };

    // Fits the set on the data (standardised), starting from the set's coefficients when it
    // has the same features, else from zero. progress(iteration) after each iteration; bStop ends it
    // early and the fit fails. False with the reason otherwise.
    static bool Fit(const CTrainingSet& data, const COptions& options, const std::atomic<bool>& bStop,
                    const std::function<void(int nIteration)>& progress, CCoefficientSet& set, std::string& strError);
};
