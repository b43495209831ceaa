#include "forecast/Likelihood.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// -log of the chance of row nChosen among the rows in the mask, softmax of v; the rows' share
// less their indicator goes into c (0 outside the mask).
double Stage(const double* v, const bool* mask, int nRows, int nChosen, double* c)
{
    double dMax = -INFINITY;
    for (int r = 0; r < nRows; ++r)
        if (mask[r])
            dMax = std::max(dMax, v[r]);
    double dSum = 0;
    for (int r = 0; r < nRows; ++r) {
        c[r] = mask[r] ? std::exp(v[r] - dMax) : 0.0;
        dSum += c[r];
    }
    for (int r = 0; r < nRows; ++r)
        c[r] /= dSum;
    const double dLoss = -(v[nChosen] - dMax - std::log(dSum));
    c[nChosen] -= 1.0;
    return dLoss;
}

// The three places' weights of a feature side by side, with a fourth lane unused: a boat's
// three scores, and the three gradients, then take one vector operation a feature, in whatever
// order the compiler likes, and wide vector units take them at once where the processor has
// them. Most of a fit's time is spent here.
using CPlaces = double __attribute__((vector_size(32)));

__attribute__((target_clones("avx2", "default"))) double EvaluateRange(const CTrainingSet& data, size_t nBegin,
                                                                         size_t nEnd, const double* x, double* g)
{
    constexpr int kPairValues = CLikelihood::kPairValues;
    const int nWidth = data.Width();
    // On the stack, where a vector type gets its alignment.
    CPlaces w[CLikelihood::kMaxWidth], gw[CLikelihood::kMaxWidth];
    for (int f = 0; f < nWidth; ++f) {
        w[f] = CPlaces{x[f], x[nWidth + f], x[2 * nWidth + f], 0.0};
        gw[f] = CPlaces{0, 0, 0, 0};
    }
    const double* pairs = x + 3 * nWidth;
    double* gPairs = g + 3 * nWidth;
    double dLoss = 0;
    for (size_t i = nBegin; i < nEnd; ++i) {
        const CTrainingSet::CRace& race = data.Races()[i];
        const int n = race.nBoats;
        double s[3][6] = {}, c[3][6] = {}, v[6] = {};
        for (int r = 0; r < n; ++r) {
            const double* z = data.Row(race.nFirstRow + static_cast<size_t>(r));
            CPlaces sum = {0, 0, 0, 0};
            for (int f = 0; f < nWidth; ++f)
                sum += z[f] * w[f];
            s[0][r] = sum[0], s[1][r] = sum[1], s[2][r] = sum[2];
        }
        bool mask[6] = {};
        std::fill(mask, mask + n, true);
        const int o1 = race.order[0], o2 = race.order[1], o3 = race.order[2];
        const auto& lanes = race.lanes;
        dLoss += Stage(s[0], mask, n, o1, c[0]);

        mask[o1] = false;
        for (int r = 0; r < n; ++r)
            v[r] = s[1][r] + pairs[lanes[o1] * 6 + lanes[r]];
        dLoss += Stage(v, mask, n, o2, c[1]);
        for (int r = 0; r < n; ++r)
            gPairs[lanes[o1] * 6 + lanes[r]] += c[1][r];

        if (o3 >= 0) {
            mask[o2] = false;
            for (int r = 0; r < n; ++r)
                v[r] = s[2][r] + pairs[kPairValues + lanes[o1] * 6 + lanes[r]] +
                       pairs[2 * kPairValues + lanes[o2] * 6 + lanes[r]];
            dLoss += Stage(v, mask, n, o3, c[2]);
            for (int r = 0; r < n; ++r) {
                gPairs[kPairValues + lanes[o1] * 6 + lanes[r]] += c[2][r];
                gPairs[2 * kPairValues + lanes[o2] * 6 + lanes[r]] += c[2][r];
            }
        }
        for (int r = 0; r < n; ++r) {
            const double* z = data.Row(race.nFirstRow + static_cast<size_t>(r));
            const CPlaces share = {c[0][r], c[1][r], c[2][r], 0.0};
            for (int f = 0; f < nWidth; ++f)
                gw[f] += z[f] * share;
        }
    }
    for (int f = 0; f < nWidth; ++f)
        for (int p = 0; p < 3; ++p)
            g[p * nWidth + f] += gw[f][p];
    return dLoss;
}

} // namespace

CLikelihood::CLikelihood(const CTrainingSet& data, size_t nRaces, double dPenalty, int nThreads)
    : m_data(data), m_nRaces(std::min(nRaces, data.Races().size())), m_dPenalty(dPenalty),
      m_nThreads(std::max(1, nThreads))
{
    if (data.Width() > kMaxWidth)
        throw std::length_error("too many features for the likelihood");
}

double CLikelihood::EvaluateRaces(size_t nBegin, size_t nEnd, const double* x, double* g) const
{
    return EvaluateRange(m_data, nBegin, nEnd, x, g);
}

double CLikelihood::Evaluate(const double* x, double* g) const
{
    // The races are summed in a fixed number of parts, each on its own and then in order, so
    // the value and the fitted model are the same whatever the number of threads.
    constexpr size_t kParts = 16;
    const size_t nParameters = static_cast<size_t>(Parameters());
    std::vector<std::vector<double>> grads(kParts, std::vector<double>(nParameters));
    std::vector<double> losses(kParts);
    std::atomic<size_t> nNext{0};
    auto work = [&] {
        for (size_t p = nNext++; p < kParts; p = nNext++)
            losses[p] = EvaluateRaces(m_nRaces * p / kParts, m_nRaces * (p + 1) / kParts, x, grads[p].data());
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < m_nThreads && m_nRaces >= 2000; ++t)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();

    double dLoss = 0;
    for (double d : losses)
        dLoss += d;
    for (size_t i = 0; i < nParameters; ++i)
        dLoss += 0.5 * m_dPenalty * x[i] * x[i];
    if (g) {
        for (size_t i = 0; i < nParameters; ++i) {
            double d = m_dPenalty * x[i];
            for (const auto& part : grads)
                d += part[i];
            g[i] = d;
        }
    }
    return dLoss;
}
