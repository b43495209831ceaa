#pragma once
// Decided races as the fitting sees them: each boat that started, with its features
// standardised over all boats of the set, and the order of the first three home.

#include "forecast/ForecastRace.h"

#include <array>
#include <cstdint>
#include <vector>

class CTrainingSet {
public:
    struct CRace {
        uint32_t nFirstRow = 0;
        uint8_t nBoats = 0;
        std::array<uint8_t, 6> lanes{}; // from 0, of each row
        // The rows (from 0 within the race) of the first three home; -1 where there is none.
        std::array<int8_t, 3> order{-1, -1, -1};
    };

    // The first nWidth features of CFeatures::Names().
    explicit CTrainingSet(int nWidth) : m_nWidth(nWidth) {}

    // Adds a decided race with its rows of raw features by lane (CFeatures::Compute). Boats
    // that did not start, or were out at the start (F, L), are left out. False when the race
    // tells no order.
    bool Add(const CForecastRace& race, const double* pRows);
    // Works out each feature's mean and scale over the rows of the first nRaces races and
    // standardises every row with them. A feature that never varies keeps the scale 1.
    void Standardise(size_t nRaces);

    int Width() const { return m_nWidth; }
    const std::vector<CRace>& Races() const { return m_races; }
    const double* Row(size_t nRow) const { return m_z.data() + nRow * static_cast<size_t>(m_nWidth); }
    const std::vector<double>& Mean() const { return m_mean; }
    const std::vector<double>& Scale() const { return m_scale; }

private:
    int m_nWidth;
    std::vector<double> m_z;
    std::vector<CRace> m_races;
    std::vector<double> m_mean, m_scale;
};
