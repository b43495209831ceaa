#pragma once
// What one day gives the history store, read from a loaded document: its races with their
// picks and record, the entries of their boats, and the payout lines. Built on a worker thread,
// written by the one writer.

#include "history/DayState.h"
#include "record/PredictionRecord.h"

#include <array>
#include <map>
#include <optional>
#include <vector>

class CKeluDoc;
class CTime;

// The numbers are those stored.
enum class EOutcome {
    NoResult = 0,  // no result yet, or none the record can judge
    Decided = 1,   // its exacta has a winning line
    Void = 2,      // "レース不成立"
    Cancelled = 3, // "中止"
};

struct CRaceRow {
    int nVenue = 0;
    int nRace = 0;
    std::optional<long long> nDistance; // metres, from the program's race header
    CString strTitle;
    CString strWeather;
    CString strWindDirection;
    std::optional<long long> nWindSpeed; // m
    std::optional<long long> nWave;      // cm
    CString strTechnique;
    EOutcome outcome = EOutcome::NoResult;
    // The details page's figures: each boat's racer index in hundredths, and the picks as their
    // boats, two digits an exacta and three a trifecta, best first ("1213...", "123132..."); a
    // race the record cannot judge (no result, void, cancelled) has no picks.
    std::array<std::optional<long long>, 6> racerIndex;
    CString strExactaPicks;
    CString strTrifectaPicks;
    SRecordCount record; // no races when the race was not decided
};

struct CEntryRow {
    int nVenue = 0;
    int nRace = 0;
    int nBoat = 0;
    int nRegNo = 0;
    CString strName;
    CString strClass;
    // Rates in hundredths: 6.50 is 650. The motor's and the hull's are cut to one decimal, as the
    // details page shows them and the forecast was fitted on; the full ones, as the program
    // writes them, are kept beside them for the rows kelu-history writes out.
    std::optional<long long> nWinRate, nTwoRate, nLocalWinRate, nLocalTwoRate;
    std::optional<long long> nMotor, nMotorRate, nHull, nHullRate;
    std::optional<long long> nMotorRateFull, nHullRateFull;
    std::optional<long long> nAge, nWeight; // years, kg
    bool bHome = false; // the racer's branch is the venue's
    CString strMeet;    // the meet's results as the program writes them, "4 354", blanks on the right cut
    std::optional<long long> nEarlyRace; // the racer's other race of the day, when there is one
    // From the racer's finishing line, as the results page shows them; empty without one.
    CString strCourse;
    CString strStart; // "18" for 0.18
    CString strPlace; // "01", "F", "K0"
    // Hundredths, negative for a flying start ("F0.02" is -2); none for a late or absent start.
    std::optional<long long> nStartTiming;
    std::optional<long long> nTime;       // tenths of a second
    std::optional<long long> nExhibition; // hundredths: "6.75" is 675
};

struct CPayoutRow {
    int nVenue = 0;
    int nRace = 0;
    int nBet = 0;  // CKeluDoc::EBet
    int nLine = 0; // the bet's winning lines from 0 (at most 16): a dead heat gives more than one
    CString strCombo; // "2-3", a boat "3", "特払い" or "不成立"
    std::optional<long long> nPay;
    std::optional<long long> nPopularity;
};

class CDayRows {
public:
    // Loads the day into the document and reads everything the store keeps of it. A damaged
    // day and a demo day keep only their state.
    static CDayRows Read(CKeluDoc& doc, const CTime& day, const CDayFiles& files);

    CDayState m_state;
    std::vector<CRaceRow> m_races;
    std::vector<CEntryRow> m_entries; // in the store's order: by racer, race and boat
    std::vector<CPayoutRow> m_payouts;
    std::map<int, SRecordCount> m_byVenue; // the decided races' record, by venue

private:
    void ReadRace(CKeluDoc& doc, int nVenue, int nRace);
    void ReadEntries(const CKeluDoc& doc, int nVenue, int nRace);
    void ReadPayouts(const CKeluDoc& doc, int nVenue, int nRace);
};

// YYYYMMDD of a day.
int DateOf(const CTime& day);
