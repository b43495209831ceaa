#pragma once
// The negative log-likelihood of the observed orders of a training set under the per-place
// model (forecast/ForecastModel.h), with an L2 penalty, and its gradient. Convex in the
// parameters, which are laid out as
//   [ weights of place 1 | of place 2 | of place 3 | second | thirdAfterFirst | thirdAfterSecond ]
// with Width() weights a place and 36 values a pair table, [lane before][lane].

#include "forecast/TrainingSet.h"

class CLikelihood {
public:
    static constexpr int kPairValues = 36;
    // The most features a set can have.
    static constexpr int kMaxWidth = 128;

    // Over the first nRaces races of the data.
    CLikelihood(const CTrainingSet& data, size_t nRaces, double dPenalty, int nThreads = 1);

    int Parameters() const { return 3 * m_data.Width() + 3 * kPairValues; }
    // The value at x; the gradient into g when it is not null.
    double Evaluate(const double* x, double* g) const;

private:
    double EvaluateRaces(size_t nBegin, size_t nEnd, const double* x, double* g) const;

    const CTrainingSet& m_data;
    size_t m_nRaces;
    double m_dPenalty;
    int m_nThreads;
};
