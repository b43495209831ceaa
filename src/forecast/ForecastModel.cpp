#include "forecast/ForecastModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Softmax of the values of the boats in the mask, into p; the others get 0.
void Softmax(const double* pValues, const std::array<bool, 6>& mask, double* p)
{
    double dMax = -std::numeric_limits<double>::infinity();
    for (int i = 0; i < 6; ++i)
        if (mask[i])
            dMax = std::max(dMax, pValues[i]);
    double dSum = 0;
    for (int i = 0; i < 6; ++i) {
        p[i] = mask[i] ? std::exp(pValues[i] - dMax) : 0.0;
        dSum += p[i];
    }
    for (int i = 0; i < 6; ++i)
        p[i] = dSum > 0 ? p[i] / dSum : 0.0;
}

// Best first; an equal chance goes to the lower lanes, so the order never depends on the sort.
bool Better(const CPick& a, const CPick& b)
{
    if (a.dProbability != b.dProbability)
        return a.dProbability > b.dProbability;
    return a.lanes < b.lanes;
}

void KeepBest(std::vector<CPick>& picks, size_t nKeep)
{
    const size_t n = std::min(nKeep, picks.size());
    std::partial_sort(picks.begin(), picks.begin() + static_cast<std::ptrdiff_t>(n), picks.end(), Better);
    picks.resize(n);
}

// e^(v - max) of the boats in the mask, 0 for the others.
std::array<double, 6> ExpOf(const std::array<double, 6>& v, const std::array<bool, 6>& mask)
{
    double dMax = -std::numeric_limits<double>::infinity();
    for (int i = 0; i < 6; ++i)
        if (mask[i])
            dMax = std::max(dMax, v[i]);
    std::array<double, 6> e{};
    for (int i = 0; i < 6; ++i)
        e[i] = mask[i] ? std::exp(v[i] - dMax) : 0.0;
    return e;
}

} // namespace

CPairTables COrderChances::Exponentials(const CPairTables& pairs)
{
    CPairTables e;
    for (int j = 0; j < 6; ++j)
        for (int k = 0; k < 6; ++k) {
            e.second[j][k] = std::exp(pairs.second[j][k]);
            e.thirdAfterFirst[j][k] = std::exp(pairs.thirdAfterFirst[j][k]);
            e.thirdAfterSecond[j][k] = std::exp(pairs.thirdAfterSecond[j][k]);
        }
    return e;
}

COrderChances::COrderChances(const std::array<std::array<double, 6>, 3>& scores, const std::array<bool, 6>& present,
                             const CPairTables& expPairs)
{
    Softmax(scores[0].data(), present, m_first.data());
    const std::array<double, 6> e2 = ExpOf(scores[1], present);
    const std::array<double, 6> e3 = ExpOf(scores[2], present);
    for (int j = 0; j < 6; ++j) {
        if (!present[j])
            continue;
        std::array<double, 6> w2{};
        double dSum2 = 0;
        for (int k = 0; k < 6; ++k)
            if (k != j)
                dSum2 += w2[k] = e2[k] * expPairs.second[j][k];
        for (int k = 0; k < 6; ++k) {
            if (k == j || !present[k])
                continue;
            m_exacta[j][k] = m_first[j] * w2[k] / dSum2;
            std::array<double, 6> w3{};
            double dSum3 = 0;
            for (int c = 0; c < 6; ++c)
                if (c != j && c != k)
                    dSum3 += w3[c] = e3[c] * expPairs.thirdAfterFirst[j][c] * expPairs.thirdAfterSecond[k][c];
            for (int c = 0; c < 6; ++c)
                m_trifecta[j][k][c] = dSum3 > 0 ? m_exacta[j][k] * w3[c] / dSum3 : 0.0;
        }
    }
}

bool CForecastModel::Resolve(std::string& strError)
{
    m_bResolved = false;
    const std::vector<std::string>& known = CFeatures::Names();
    for (int s = 0; s < 2; ++s) {
        const CCoefficientSet& set = m_sets[s];
        CResolved& resolved = m_resolved[s];
        resolved = CResolved();
        const size_t n = set.names.size();
        if (set.mean.size() != n || set.scale.size() != n || set.weights[0].size() != n ||
            set.weights[1].size() != n || set.weights[2].size() != n) {
            strError = "特徴量の数と係数の数が合いません";
            return false;
        }
        for (size_t i = 0; i < n; ++i) {
            const auto it = std::find(known.begin(), known.end(), set.names[i]);
            // A history feature in the program set would be read as 0 where the set is used.
            const auto nColumn = it - known.begin();
            if (it == known.end() || (s == 0 && nColumn >= CFeatures::ProgramCount())) {
                strError = "このプログラムの知らない特徴量があります: " + set.names[i];
                return false;
            }
            if (!(set.scale[i] > 0) || !std::isfinite(set.mean[i])) {
                strError = "特徴量 " + set.names[i] + " の尺度が正しくありません";
                return false;
            }
            resolved.columns.push_back(static_cast<int>(nColumn));
            for (int p = 0; p < 3; ++p) {
                if (!std::isfinite(set.weights[p][i])) {
                    strError = "特徴量 " + set.names[i] + " の係数が数ではありません";
                    return false;
                }
                resolved.unit[p].push_back(set.weights[p][i] / set.scale[i]);
            }
        }
    }
    if (m_sets[0].IsEmpty()) {
        strError = "番組表だけの係数がありません";
        return false;
    }
    for (int s = 0; s < 2; ++s)
        m_resolved[s].expPairs = COrderChances::Exponentials(m_sets[s].pairs);
    m_bResolved = true;
    return true;
}

CForecast CForecastModel::Forecast(const CForecastRace& race, const double* pRows, EFeatureSet set) const
{
    if (!HasSet(set))
        set = EFeatureSet::Program;
    const int s = static_cast<int>(set);
    const CResolved& resolved = m_resolved[s];
    const size_t nWidth = CFeatures::Names().size();
    CForecast f;
    f.set = set;
    // The scores leave out each feature's mean: a term equal for every boat changes no chance.
    std::array<std::array<double, 6>, 3> scores{};
    for (int b = 0; b < 6; ++b) {
        f.present[b] = race.boats[b].bPresent;
        if (!f.present[b])
            continue;
        const double* pRow = pRows + static_cast<size_t>(b) * nWidth;
        for (int p = 0; p < 3; ++p) {
            double u = 0;
            for (size_t i = 0; i < resolved.columns.size(); ++i)
                u += resolved.unit[p][i] * pRow[resolved.columns[i]];
            scores[p][b] = u;
        }
    }
    const COrderChances chances(scores, f.present, resolved.expPairs);
    f.exacta.reserve(30);
    f.trifecta.reserve(120);
    for (int j = 0; j < 6; ++j) {
        f.win[j] = chances.First(j);
        for (int k = 0; k < 6; ++k) {
            if (k == j || !f.present[j] || !f.present[k])
                continue;
            const double e = chances.Exacta(j, k);
            f.exacta.push_back({{j + 1, k + 1, 0}, e});
            f.topTwo[k] += e;
            for (int c = 0; c < 6; ++c) {
                if (c == j || c == k || !f.present[c])
                    continue;
                const double t = chances.Trifecta(j, k, c);
                f.trifecta.push_back({{j + 1, k + 1, c + 1}, t});
                f.topThree[c] += t;
            }
        }
    }
    for (int b = 0; b < 6; ++b) {
        f.topTwo[b] += f.win[b];
        f.topThree[b] += f.topTwo[b];
    }
    KeepBest(f.exacta, CForecast::kExactaPicks);
    KeepBest(f.trifecta, CForecast::kTrifectaPicks);
    return f;
}
