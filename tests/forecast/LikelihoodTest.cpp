// The likelihood of the per-place model and its fitting: the gradient against finite
// differences, and races drawn from known coefficients giving those coefficients back.

#include "forecast/Features.h"
#include "forecast/Fitter.h"
#include "forecast/Likelihood.h"
#include "forecast/TrainingSet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

constexpr int kWidth = 3; // the first three features of a row: lane2, lane3, lane4

// A race of six boats whose first three features are the given values; the rest are zero.
struct CDrawnRace {
    CForecastRace race;
    std::vector<double> rows;
};

// The chance of each boat among those still in, softmax of their scores.
std::vector<double> Chances(const std::vector<double>& scores, const std::vector<bool>& in)
{
    double dSum = 0;
    std::vector<double> p(scores.size(), 0.0);
    for (size_t i = 0; i < scores.size(); ++i)
        if (in[i])
            dSum += p[i] = std::exp(scores[i]);
    for (double& d : p)
        d /= dSum;
    return p;
}

size_t Draw(const std::vector<double>& p, std::mt19937& rng)
{
    double u = std::uniform_real_distribution<double>(0, 1)(rng);
    for (size_t i = 0; i < p.size(); ++i) {
        if (u < p[i] && p[i] > 0)
            return i;
        u -= p[i];
    }
    size_t nLast = 0;
    for (size_t i = 0; i < p.size(); ++i)
        if (p[i] > 0)
            nLast = i;
    return nLast;
}

// Races whose boats have random features, and whose first three home are drawn as the model
// says: by place, each among those not home yet, with the lane-pair terms for the boats before.
// Written here on its own, from the model's definition.
std::vector<CDrawnRace> DrawRaces(int nRaces, const double (&w)[3][kWidth], const double (&second)[6][6],
                                  const double (&third1)[6][6], const double (&third2)[6][6], std::mt19937& rng)
{
    std::normal_distribution<double> normal(0, 1);
    const size_t nStride = CFeatures::Names().size();
    std::vector<CDrawnRace> races;
    for (int n = 0; n < nRaces; ++n) {
        CDrawnRace d;
        d.rows.assign(6 * nStride, 0.0);
        std::vector<double> u[3];
        for (int b = 0; b < 6; ++b) {
            d.race.boats[b].bPresent = true;
            for (int f = 0; f < kWidth; ++f)
                d.rows[b * nStride + f] = normal(rng);
            for (int p = 0; p < 3; ++p) {
                double s = 0;
                for (int f = 0; f < kWidth; ++f)
                    s += w[p][f] * d.rows[b * nStride + f];
                u[p].push_back(s);
            }
        }
        std::vector<bool> in(6, true);
        const size_t j = Draw(Chances(u[0], in), rng);
        in[j] = false;
        std::vector<double> v(6);
        for (int b = 0; b < 6; ++b)
            v[b] = u[1][b] + second[j][b];
        const size_t k = Draw(Chances(v, in), rng);
        in[k] = false;
        for (int b = 0; b < 6; ++b)
            v[b] = u[2][b] + third1[j][b] + third2[k][b];
        const size_t c = Draw(Chances(v, in), rng);
        int nPlace = 4;
        for (int b = 0; b < 6; ++b) {
            CForecastBoat& boat = d.race.boats[b];
            boat.finish = EFinish::Placed;
            boat.nPlace = b == static_cast<int>(j) ? 1 : b == static_cast<int>(k) ? 2 : b == static_cast<int>(c) ? 3 : nPlace++;
        }
        races.push_back(std::move(d));
    }
    return races;
}

CTrainingSet Training(const std::vector<CDrawnRace>& races)
{
    CTrainingSet set(kWidth);
    for (const CDrawnRace& d : races)
        EXPECT_TRUE(set.Add(d.race, d.rows.data()));
    // Standardising would rescale the features: the coefficients are compared as drawn.
    return set;
}

} // namespace

TEST(LikelihoodTest, TheGradientIsTheSlopeOfTheValueInEveryParameter)
{
    std::mt19937 rng(7);
    const double w[3][kWidth] = {{0.5, -0.3, 0.8}, {0.2, 0.1, -0.4}, {-0.1, 0.3, 0.2}};
    double second[6][6] = {}, third1[6][6] = {}, third2[6][6] = {};
    std::vector<CDrawnRace> races = DrawRaces(200, w, second, third1, third2, rng);
    // A boat out at the start and a race of five: rows the likelihood must pass over.
    races[0].race.boats[4].finish = EFinish::Flying;
    races[1].race.boats[5].bPresent = false;
    races[1].race.boats[5].nPlace = 0;
    const CTrainingSet set = Training(races);
    for (const int nThreads : {1, 3}) {
        const CLikelihood likelihood(set, set.Races().size(), 0.7, nThreads);
        const int n = likelihood.Parameters();
        ASSERT_EQ(n, 3 * kWidth + 108);
        std::vector<double> x(static_cast<size_t>(n)), g(static_cast<size_t>(n));
        std::normal_distribution<double> normal(0, 0.5);
        for (double& d : x)
            d = normal(rng);
        likelihood.Evaluate(x.data(), g.data());
        for (int i = 0; i < n; ++i) {
            const double h = 1e-5;
            std::vector<double> plus = x, minus = x;
            plus[static_cast<size_t>(i)] += h;
            minus[static_cast<size_t>(i)] -= h;
            const double dSlope = (likelihood.Evaluate(plus.data(), nullptr) - likelihood.Evaluate(minus.data(), nullptr)) / (2 * h);
            EXPECT_NEAR(g[static_cast<size_t>(i)], dSlope, 1e-5 * std::max(1.0, std::abs(dSlope))) << "parameter " << i;
        }
    }
}

TEST(LikelihoodTest, RacesDrawnFromKnownCoefficientsGiveThemBack)
{
    std::mt19937 rng(11);
    const double w[3][kWidth] = {{1.0, -0.5, 0.3}, {0.6, 0.2, -0.4}, {0.1, -0.3, 0.5}};
    double second[6][6] = {}, third1[6][6] = {}, third2[6][6] = {};
    // After boat 1 wins, boat 2 comes second more often; after boat 4, boat 5.
    second[0][1] = 0.8;
    second[3][4] = 0.6;
    third1[0][2] = 0.5;
    const std::vector<CDrawnRace> races = DrawRaces(20000, w, second, third1, third2, rng);
    const CTrainingSet set = Training(races);
    CFitter::COptions options;
    options.dPenalty = 0.01;
    options.nThreads = 2;
    options.dTolerance = 1e-9;
    CCoefficientSet fitted;
    std::string strError;
    const std::atomic<bool> bStop{false};
    int nIterations = 0;
    ASSERT_TRUE(CFitter::Fit(set, options, bStop, [&](int k) { nIterations = k; }, fitted, strError)) << strError;
    EXPECT_GT(nIterations, 1);
    ASSERT_EQ(fitted.names, (std::vector<std::string>{"lane2", "lane3", "lane4"}));
    ASSERT_EQ(fitted.nRaces, 20000);
    // Some thousands of races a coefficient: within a few hundredths.
    for (int p = 0; p < 3; ++p)
        for (int f = 0; f < kWidth; ++f)
            EXPECT_NEAR(fitted.weights[p][f], w[p][f], 0.06) << "place " << p + 1 << ", feature " << f;
    // A pair term is fitted only up to a constant of its row, which the softmax cancels: what
    // the races tell is the difference between two boats after the same winner.
    EXPECT_NEAR(fitted.pairs.second[0][1] - fitted.pairs.second[0][2], 0.8, 0.12);
    EXPECT_NEAR(fitted.pairs.second[3][4] - fitted.pairs.second[3][5], 0.6, 0.12);
    EXPECT_NEAR(fitted.pairs.second[2][4] - fitted.pairs.second[2][5], 0.0, 0.12);
    EXPECT_NEAR((fitted.pairs.thirdAfterFirst[0][2] + fitted.pairs.thirdAfterSecond[1][2]) -
                    (fitted.pairs.thirdAfterFirst[0][3] + fitted.pairs.thirdAfterSecond[1][3]),
                0.5, 0.2);

    // A stop ends it without a model.
    const std::atomic<bool> bStopNow{true};
    CCoefficientSet stopped;
    EXPECT_FALSE(CFitter::Fit(set, options, bStopNow, {}, stopped, strError));
    EXPECT_EQ(strError, "中止しました");
    EXPECT_TRUE(stopped.IsEmpty());
}
