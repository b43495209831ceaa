#include "forecast/TrainingSet.h"

#include "forecast/Features.h"

#include <algorithm>
#include <cmath>

bool CTrainingSet::Add(const CForecastRace& race, const double* pRows)
{
    const std::array<int, 3> order = race.Order();
    if (order[0] == 0 || order[1] == 0)
        return false;
    CRace r;
    r.nFirstRow = static_cast<uint32_t>(m_z.size() / static_cast<size_t>(m_nWidth));
    const size_t nStride = CFeatures::Names().size();
    for (int l = 0; l < 6; ++l) {
        const CForecastBoat& b = race.boats[static_cast<size_t>(l)];
        if (!b.bPresent || (b.finish != EFinish::Placed && b.finish != EFinish::Disqualified))
            continue;
        for (int p = 0; p < 3; ++p)
            if (order[static_cast<size_t>(p)] == l + 1)
                r.order[static_cast<size_t>(p)] = static_cast<int8_t>(r.nBoats);
        r.lanes[r.nBoats++] = static_cast<uint8_t>(l);
        const double* pRow = pRows + static_cast<size_t>(l) * nStride;
        m_z.insert(m_z.end(), pRow, pRow + m_nWidth);
    }
    m_races.push_back(r);
    return true;
}

void CTrainingSet::Standardise(size_t nRaces)
{
    const size_t nWidth = static_cast<size_t>(m_nWidth);
    const size_t nAllRows = m_z.size() / nWidth;
    nRaces = std::min(nRaces, m_races.size());
    const size_t nRows = nRaces < m_races.size() ? m_races[nRaces].nFirstRow : nAllRows;
    m_mean.assign(nWidth, 0.0);
    m_scale.assign(nWidth, 1.0);
    if (nRows == 0)
        return;
    std::vector<double> squares(nWidth, 0.0);
    for (size_t r = 0; r < nRows; ++r)
        for (size_t f = 0; f < nWidth; ++f)
            m_mean[f] += m_z[r * nWidth + f];
    for (double& d : m_mean)
        d /= static_cast<double>(nRows);
    for (size_t r = 0; r < nRows; ++r)
        for (size_t f = 0; f < nWidth; ++f) {
            const double d = m_z[r * nWidth + f] - m_mean[f];
            squares[f] += d * d;
        }
    for (size_t f = 0; f < nWidth; ++f) {
        const double sd = std::sqrt(squares[f] / static_cast<double>(nRows));
        m_scale[f] = sd > 1e-9 ? sd : 1.0;
    }
    for (size_t r = 0; r < nAllRows; ++r)
        for (size_t f = 0; f < nWidth; ++f)
            m_z[r * nWidth + f] = (m_z[r * nWidth + f] - m_mean[f]) / m_scale[f];
}
