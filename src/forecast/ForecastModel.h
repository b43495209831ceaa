#pragma once
// The forecast's model: for each boat three scores, one a place, each a weighted sum of the
// boat's standardised features, and three tables of lane pairs.
//   P(first = j)            = softmax over the boats of u1
//   P(second = k | j)       = softmax over k != j of u2[k] + second[j][k]
//   P(third = c | j, k)     = softmax over c not j, k of u3[c] + thirdAfterFirst[j][c]
//                                                        + thirdAfterSecond[k][c]
// An exacta's chance is P(j) P(k | j), a trifecta's the product of all three. A model holds
// two coefficient sets: one of the program's features alone, one with the history's too.

#include "forecast/Features.h"

#include <array>
#include <map>
#include <string>
#include <vector>

struct CPairTables {
    // [lane of the boat before - 1][lane of the boat - 1]
    using CTable = std::array<std::array<double, 6>, 6>;
    CTable second{};
    CTable thirdAfterFirst{};
    CTable thirdAfterSecond{};
};

struct CCoefficientSet {
    std::vector<std::string> names;
    // A feature's standardised value is (raw - mean) / scale.
    std::vector<double> mean, scale;
    std::array<std::vector<double>, 3> weights; // by place, in the order of names
    CPairTables pairs;
    int nRaces = 0; // the races it was fitted on

    bool IsEmpty() const { return names.empty(); }
};

struct CPick {
    std::array<int, 3> lanes{}; // from 1; the third is 0 for an exacta
    double dProbability = 0;
};

struct CForecast {
    static constexpr int kExactaPicks = 6;
    static constexpr int kTrifectaPicks = 12;

    EFeatureSet set = EFeatureSet::Program;
    std::array<bool, 6> present{};
    // Each boat's chance to win, to be in the first two and in the first three; 0 for a boat
    // that does not start.
    std::array<double, 6> win{}, topTwo{}, topThree{};
    std::vector<CPick> exacta;   // the most probable first, at most kExactaPicks
    std::vector<CPick> trifecta; // at most kTrifectaPicks
};

class CForecastModel {
public:
    // Checks that every set's names are features this program computes and that every table
    // has one value a name; false with the reason in words otherwise. Needed before Forecast.
    bool Resolve(std::string& strError);
    bool HasSet(EFeatureSet set) const { return !Set(set).IsEmpty(); }
    // Resolved, with a program set: one to forecast with.
    bool IsUsable() const { return m_bResolved && HasSet(EFeatureSet::Program); }
    const CCoefficientSet& Set(EFeatureSet set) const { return m_sets[static_cast<int>(set)]; }
    CCoefficientSet& Set(EFeatureSet set) { return m_sets[static_cast<int>(set)]; }

    // The forecast of a race from its boats' raw feature rows (CFeatures::Compute), with the
    // set given; a set the model lacks falls back to the program set.
    CForecast Forecast(const CForecastRace& race, const double* pRows, EFeatureSet set) const;

    // What the file says of the model besides its coefficients.
    int m_nFrom = 0, m_nTo = 0; // the training period, YYYYMMDD
    std::map<std::string, double> m_figures; // the last fit's figures by name
    // The file's contents as read, so that forecasts made with it can tell whether they
    // still follow it; empty for a model made in memory.
    std::string m_strFingerprint;

private:
    struct CResolved {
        std::vector<int> columns;                // where each name is in a row of CFeatures
        std::array<std::vector<double>, 3> unit; // weights over the raw values: weight / scale
        CPairTables expPairs;                    // the pair tables' exponentials
    };
    CCoefficientSet m_sets[2];
    CResolved m_resolved[2];
    bool m_bResolved = false;
};

// From the scores and the pair tables, the chances of every order of the boats present. The
// pair tables come as their exponentials: a softmax of a score plus a pair term is then a
// product, and a race takes eighteen exponentials instead of two hundred.
class COrderChances {
public:
    static CPairTables Exponentials(const CPairTables& pairs);
    COrderChances(const std::array<std::array<double, 6>, 3>& scores, const std::array<bool, 6>& present,
                  const CPairTables& expPairs);
    double First(int j) const { return m_first[j]; }
    double Exacta(int j, int k) const { return m_exacta[j][k]; }
    double Trifecta(int j, int k, int c) const { return m_trifecta[j][k][c]; }

private:
    std::array<double, 6> m_first{};
    std::array<std::array<double, 6>, 6> m_exacta{};
    std::array<std::array<std::array<double, 6>, 6>, 6> m_trifecta{};
};
