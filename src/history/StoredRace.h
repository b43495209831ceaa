#pragma once
// A stored race as the forecast reads it back from the store: its boats' program figures and
// results, and the winning lines of the two bets whose picks it judges.

#include "forecast/ForecastRace.h"
#include "history/DayRows.h"

#include <string>
#include <vector>

struct CWinningLine {
    std::string strCombo; // "1-2", "1-2-3"
    long long nPay = 0;   // yen for 100
};

struct CStoredRace {
    CForecastRace race;
    EOutcome outcome = EOutcome::NoResult;
    std::vector<CWinningLine> exacta, trifecta; // more than one in a dead heat
};

// The races of a day read from its files, as CHistoryStore::ReadStoredRaces reads them back once
// the day is stored: in venue and race order, none for a day not read whole.
void StoredRacesOf(const CDayRows& day, std::vector<CStoredRace>& races);
