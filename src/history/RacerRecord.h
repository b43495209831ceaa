#pragma once
// One racer over the stored days: every race they had a program line in, newest first, and the
// figures a bettor reads first, in total and by the course they started from.
//
// A start is a decided race whose result lists the racer other than as absent (K0, K1): a
// flying (F), late (L) or disqualified (S) start is a start without a place. The average start
// timing is over the starts that were timed.

#include "history/DayRows.h"
#include "platform/String.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

struct CRacerRace {
    int nDate = 0; // YYYYMMDD
    int nVenue = 0;
    int nRace = 0;
    int nBoat = 0;
    // As the results page shows them; empty when the race has no result for the racer.
    CString strCourse;
    CString strStart;
    CString strPlace;
    CString strTechnique; // how the race was won
    std::optional<long long> nStartTiming; // hundredths
    EOutcome outcome = EOutcome::NoResult;

    bool IsStart() const;
    int Place() const;  // 1..6; 0 for none
    int Course() const; // 1..6; 0 for none
};

// A result's place as a number: "01".."06" is 1..6; a code ("F", "L0", "K0", "S1") or nothing
// is 0. A course, "1".."6", likewise.
int PlaceNumber(std::string_view place);
int CourseNumber(std::string_view course);

struct CRacerFigures {
    int nStarts = 0;
    int nWins = 0;
    int nTopTwo = 0;
    int nTopThree = 0;
    int nTimedStarts = 0;
    long long nStartTimingSum = 0; // hundredths

    void Add(const CRacerRace& race);
    // Percentages of the starts; 0 without starts.
    double WinRate() const;
    double TopTwoRate() const;
    double TopThreeRate() const;
    // Seconds; none without a timed start.
    std::optional<double> AverageStart() const;
};

// A point of the chart of places: the place of a start, 0 for a start without one.
struct CPlacePoint {
    int nDate = 0;
    int nVenue = 0;
    int nRace = 0;
    int nPlace = 0;
};

class CRacerRecord {
public:
    // Takes the races newest first, as the store gives them.
    void Add(CRacerRace race);
    // The starts, oldest first.
    std::vector<CPlacePoint> PlacesOverTime() const;

    int m_nRegNo = 0;
    CString m_strName; // as the newest program gives it
    std::vector<CRacerRace> m_races;
    CRacerFigures m_total;
    std::array<CRacerFigures, 7> m_byCourse; // courses 1..6; 0 holds starts without a course
};
