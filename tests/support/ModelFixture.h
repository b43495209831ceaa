#pragma once
// A forecast model whose picks a test can count by hand: only the lane weighs, and only for the
// winner, each lane further out e^-1 times as likely to win as the one inside it. Second and
// third are then equally likely among the rest, and equal chances rank by lane, so the six
// exacta picks are 1-2, 1-3, 1-4, 1-5, 1-6, 2-1 and the twelve trifecta picks 1-2-3, 1-2-4,
// 1-2-5, 1-2-6, 1-3-2, 1-3-4, 1-3-5, 1-3-6, 1-4-2, 1-4-3, 1-4-5, 1-4-6, whatever else the
// races hold.

#include "forecast/ModelFile.h"

#include <string>

namespace fixture {

inline CForecastModel LaneModel(int nFrom, int nTo)
{
    CForecastModel model;
    model.m_nFrom = nFrom;
    model.m_nTo = nTo;
    CCoefficientSet& set = model.Set(EFeatureSet::Program);
    for (int l = 2; l <= 6; ++l) {
        set.names.push_back("lane" + std::to_string(l));
        set.mean.push_back(0);
        set.scale.push_back(1);
        set.weights[0].push_back(-(l - 1));
        set.weights[1].push_back(0);
        set.weights[2].push_back(0);
    }
    set.nRaces = 1;
    return model;
}

// Writes it as data/forecast.json.
inline bool WriteLaneModel(int nFrom, int nTo)
{
    std::string strError;
    return CModelFile::Save(CModelFile::kPath, LaneModel(nFrom, nTo), strError);
}

} // namespace fixture
