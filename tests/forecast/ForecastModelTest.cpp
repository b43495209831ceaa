// A race's chances and picks as the model's definition gives them, worked out here by hand.

#include "forecast/Features.h"
#include "forecast/ForecastModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// Scores by lane: only the lane features weigh, one weight a lane and place.
const double kFirst[6] = {0, -0.4, -0.9, -1.2, -1.6, -2.5};
const double kSecond[6] = {0, 0.3, -0.2, -0.5, -0.8, -1.0};
const double kThird[6] = {0, 0.1, 0.2, -0.3, -0.1, -0.6};

CForecastModel LaneModel()
{
    CForecastModel model;
    CCoefficientSet& set = model.Set(EFeatureSet::Program);
    for (int l = 2; l <= 6; ++l) {
        set.names.push_back("lane" + std::to_string(l));
        set.mean.push_back(0.2);  // a mean changes no chance
        set.scale.push_back(0.5); // a scale does: the weight is per standardised unit
        set.weights[0].push_back(kFirst[l - 1] * 0.5);
        set.weights[1].push_back(kSecond[l - 1] * 0.5);
        set.weights[2].push_back(kThird[l - 1] * 0.5);
    }
    set.pairs.second[0][1] = 0.7;      // after 1 wins, 2 more often second
    set.pairs.thirdAfterFirst[0][2] = 0.4;
    set.pairs.thirdAfterSecond[1][4] = 0.3;
    std::string strError;
    EXPECT_TRUE(model.Resolve(strError)) << strError;
    return model;
}

double Pair(int t, int a, int b)
{
    if (t == 0)
        return a == 0 && b == 1 ? 0.7 : 0;
    if (t == 1)
        return a == 0 && b == 2 ? 0.4 : 0;
    return a == 1 && b == 4 ? 0.3 : 0;
}

} // namespace

TEST(ForecastModelTest, ChancesAndPicksFollowThePerPlaceScoresOfTheBoatsThatStart)
{
    const CForecastModel model = LaneModel();
    // Boats 4 and 6 have no program line.
    CForecastRace race;
    for (int l : {1, 2, 3, 5})
        race.boats[l - 1].bPresent = true;
    std::vector<double> rows(6 * CFeatures::Names().size(), 0.0);
    const size_t nStride = CFeatures::Names().size();
    for (int l = 2; l <= 6; ++l)
        rows[(l - 1) * nStride + (l - 2)] = 1.0; // "laneL" is column L - 2
    const CForecast f = model.Forecast(race, rows.data(), EFeatureSet::Program);

    // By hand: the first among the four, the second among the other three with the pair term of
    // the first, the third among the other two with both pair terms.
    const std::vector<int> in = {0, 1, 2, 4};
    std::map<std::vector<int>, double> exacta, trifecta;
    double first[6] = {}, topTwo[6] = {}, topThree[6] = {};
    double dSum1 = 0;
    for (int j : in)
        dSum1 += std::exp(kFirst[j]);
    for (int j : in) {
        const double pj = std::exp(kFirst[j]) / dSum1;
        first[j] = pj;
        double dSum2 = 0;
        for (int k : in)
            if (k != j)
                dSum2 += std::exp(kSecond[k] + Pair(0, j, k));
        for (int k : in) {
            if (k == j)
                continue;
            const double pk = pj * std::exp(kSecond[k] + Pair(0, j, k)) / dSum2;
            exacta[{j + 1, k + 1}] = pk;
            topTwo[k] += pk;
            double dSum3 = 0;
            for (int c : in)
                if (c != j && c != k)
                    dSum3 += std::exp(kThird[c] + Pair(1, j, c) + Pair(2, k, c));
            for (int c : in)
                if (c != j && c != k) {
                    const double pc = pk * std::exp(kThird[c] + Pair(1, j, c) + Pair(2, k, c)) / dSum3;
                    trifecta[{j + 1, k + 1, c + 1}] = pc;
                    topThree[c] += pc;
                }
        }
    }
    for (int b = 0; b < 6; ++b) {
        EXPECT_EQ(f.present[b], b != 3 && b != 5);
        EXPECT_NEAR(f.win[b], first[b], 1e-12) << b;
        EXPECT_NEAR(f.topTwo[b], first[b] + topTwo[b], 1e-12) << b;
        EXPECT_NEAR(f.topThree[b], first[b] + topTwo[b] + topThree[b], 1e-12) << b;
    }
    EXPECT_EQ(f.win[3], 0.0);
    EXPECT_EQ(f.topThree[5], 0.0);

    // The picks: the six and twelve most probable, best first, each with its chance.
    auto best = [](const std::map<std::vector<int>, double>& all, size_t n) {
        std::vector<std::pair<double, std::vector<int>>> v;
        for (const auto& [combo, p] : all)
            v.push_back({p, combo});
        std::sort(v.begin(), v.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        v.resize(std::min(n, v.size()));
        return v;
    };
    const auto wantExacta = best(exacta, 6);
    ASSERT_EQ(f.exacta.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ((std::vector<int>{f.exacta[i].lanes[0], f.exacta[i].lanes[1]}), wantExacta[i].second) << i;
        EXPECT_NEAR(f.exacta[i].dProbability, wantExacta[i].first, 1e-12);
        EXPECT_EQ(f.exacta[i].lanes[2], 0);
    }
    const auto wantTrifecta = best(trifecta, 12);
    ASSERT_EQ(f.trifecta.size(), 12u);
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ((std::vector<int>{f.trifecta[i].lanes[0], f.trifecta[i].lanes[1], f.trifecta[i].lanes[2]}),
                  wantTrifecta[i].second)
            << i;
        EXPECT_NEAR(f.trifecta[i].dProbability, wantTrifecta[i].first, 1e-12);
    }

    // Two boats alike but for their lanes, the scores equal: the inner boat's orders rank first.
    CForecastModel flat;
    CCoefficientSet& set = flat.Set(EFeatureSet::Program);
    set.names = {"win_rate"};
    set.mean = {0};
    set.scale = {1};
    set.weights = {std::vector<double>{1.0}, std::vector<double>{0.0}, std::vector<double>{0.0}};
    std::string strError;
    ASSERT_TRUE(flat.Resolve(strError)) << strError;
    CForecastRace two;
    two.boats[2].bPresent = two.boats[4].bPresent = true;
    std::vector<double> same(6 * nStride, 0.0);
    const CForecast tie = flat.Forecast(two, same.data(), EFeatureSet::History);
    EXPECT_EQ(tie.set, EFeatureSet::Program); // a set the model lacks falls back
    ASSERT_EQ(tie.exacta.size(), 2u);
    EXPECT_EQ(tie.exacta[0].lanes, (std::array<int, 3>{3, 5, 0}));
    EXPECT_DOUBLE_EQ(tie.exacta[0].dProbability, 0.5);
    EXPECT_TRUE(tie.trifecta.empty());
}
