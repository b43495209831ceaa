#pragma once
// Races the fixed payout slots read wrong or not at all, as the published result files lay
// them out (UTF-8 here, Shift-JIS once written): dead heats, a void race, cancelled races.

#include "platform/Time.h"

#include <string>
#include <vector>

namespace fixture {

extern const std::vector<std::string> kSharedSecond;
extern const std::vector<std::string> kSharedThird;
extern const std::vector<std::string> kVoidRace;
extern const std::vector<std::string> kCancelledSummary;

// The races of WriteSpecialDay, by number.
enum ESpecialRace {
    kRaceSharedSecond = 1, // two 2連単, 2連複 and 3連単 lines
    kRaceSharedThird = 2,  // two 3連単 and 3連複 lines
    kRaceVoid = 3,         // "レース不成立": no payouts at all
    kRaceSharedFirst = 4,  // two 単勝, 2連単 and 3連単 lines
    kRaceVoidBets = 5,     // four boats flew: 複勝, 2連複, 拡連複, 3連単 and 3連複 "不成立"
    kRaceCancelled = 6,    // 6 and 7: "中　止" in the payout summary, no section
    kSpecialRaces = 7,
};

// A day at one venue with the races above, each with a program whose boats make the second
// winning line of the shared second and third a pick and the first one not, and both lines of
// the shared first picks.
void WriteSpecialDay(const CTime& day, int nVenue);

} // namespace fixture
