#pragma once
// A race's forecast as the store keeps it, and how it fared once the race was decided.

#include "forecast/ForecastModel.h"

#include <optional>

struct CForecastJudgement {
    bool bExactaHit = false;   // a winning exacta among the forecast's six
    bool bTrifectaHit = false; // a winning trifecta among its twelve
    long long nExactaReturn = 0;   // yen paid on 100 yen a pick
    long long nTrifectaReturn = 0;
};

struct CForecastRow {
    int nVenue = 0;
    int nRace = 0;
    CForecast forecast;
    std::optional<CForecastJudgement> judged; // none until the race is decided
};
