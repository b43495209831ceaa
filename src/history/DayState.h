#pragma once
// How the store knows a day: the size and modification time of its two files, which tell when
// the day must be read again, and what reading it found.

#include "platform/String.h"

// Sizes in bytes, times in nanoseconds since the epoch.
struct CDayFiles {
    // The size of a result file that is not there yet.
    static constexpr long long kNoFile = -1;

    long long nProgramSize = 0;
    long long nProgramTime = 0;
    long long nResultSize = 0;
    long long nResultTime = 0;
    friend bool operator==(const CDayFiles&, const CDayFiles&) = default;
};

// The numbers are those stored: they must not change within a schema version.
enum class EDayState {
    Read = 0,    // its races are in the store
    Damaged = 1, // its files could not be read whole: nothing of it counts
    Demo = 2,    // made-up racers of the demo day writer: nothing of it counts
};

enum class EDamage {
    None = 0,
    LineTooLong = 1, // a line longer than a slot holds: reading stopped there
    Truncated = 2,   // the file ends inside a venue block or without its closing line
    NoRaces = 3,     // the program file holds no venue
    Unreadable = 4,  // a file could not be opened
};

struct CDayState {
    int nDate = 0; // YYYYMMDD
    CDayFiles files;
    EDayState state = EDayState::Read;
    EDamage damage = EDamage::None;
    CString strDamageFile; // "data/res/K210602.TXT"
    int nDamageLine = 0;   // from 1
    int nDamageVenue = 0;  // 0 between venue blocks
};
