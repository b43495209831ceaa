#pragma once
// One race as the forecast sees it: what the program says of each boat, and, once the race is
// run, how each boat fared. The forecast of a race reads only its program part; the result
// part feeds the past form of later days and the fitting.

#include <array>
#include <string_view>

// Where a boat ended; the result file's codes.
enum class EFinish : unsigned char {
    None,     // no result yet, or no line for the boat
    Placed,   // a place 1..6
    Flying,   // F: started before the signal
    Late,     // L: started too late
    Absent,   // K: did not take part
    Disqualified, // S
};

struct CForecastBoat {
    bool bPresent = false; // the program has a line for the boat
    int nRegNo = 0;
    int nClass = -1; // 0 A1, 1 A2, 2 B1, 3 B2; -1 none
    // Rates as the program gives them: 6.50, 45.20.
    double dWinRate = 0, dTwoRate = 0, dLocalWinRate = 0, dLocalTwoRate = 0;
    double dMotorRate = 0, dHullRate = 0;
    int nMotor = 0;
    double dAge = 0, dWeight = 0;
    bool bHome = false;   // the racer's branch is the venue's
    bool bEarly = false;  // a second race the same day
    // The meet's results, one byte a race: "4 354". Kept in place, as a day's thousand boats
    // are read for every forecast made again.
    std::array<char, 12> meet{};
    unsigned char nMeet = 0;
    std::string_view Meet() const { return {meet.data(), nMeet}; }
    void SetMeet(std::string_view s);

    // The result.
    EFinish finish = EFinish::None;
    int nPlace = 0;        // 1..6 when placed
    int nCourse = 0;       // 1..6, the course the boat started from; 0 unknown
    int nStartTiming = 0;  // hundredths, negative for a flying start
    bool bTimed = false;
    int nExhibition = 0;   // hundredths of a second
    bool bExhibited = false;
};

struct CForecastRace {
    int nDay = 0; // days since 1970-01-01
    int nVenue = 0;
    int nRace = 0;
    std::array<CForecastBoat, 6> boats; // by lane: boat 1 is boats[0]

    // The lanes of the first three boats home, from 1; 0 where nobody finished there.
    std::array<int, 3> Order() const;
    // A race with at least a winner and a second: the ones the fitting learns from.
    bool IsDecided() const;
};
