#pragma once
// One watched racer as the favourites menu shows him on the loaded day: the line of the list,
// where he races and in which races, and the line to write back once his name is known.

#include "platform/String.h"

#include <optional>
#include <vector>

class CKeluDoc;

class CFavoriteRacer {
public:
    // Reads the line by the list's rules and looks the racer up on the document's day.
    CFavoriteRacer(const CString& strLine, CKeluDoc& doc);
    // The same line with an answer of CKeluDoc::FindRacerOfDay already at hand.
    CFavoriteRacer(const CString& strLine, const CString& strRacerOfDay);

    // The lines of the list, at most 256, as racers of the document's day. The names found are
    // written into the file; every other line, those past the 256th too, stays as it was.
    // Nothing when the list cannot be read.
    static std::optional<std::vector<CFavoriteRacer>> LoadDay(CKeluDoc& doc);

    // The number a race text starts with ("5R 3枠 ..." gives 5); 0 when there is none.
    static int RaceNumber(const CString& strRace);

    // The submenu's title before the venue: the key, a blank and the name, TABs as blanks.
    CString Title() const;
    // The line to write back: key, TAB and the name found when it was longer than the one of
    // the list, else the line as it was read.
    CString Line() const;
    bool NameGrew() const { return m_bNameGrew; }

    int m_nRegNo = 0;
    int m_nVenue = 0;     // 1..24 where the racer races on the day; 0 when he does not
    CString m_strRace1;   // the first race; empty when he does not race
    CString m_strRace2;   // the second and any later races, TAB-separated; empty when none
    CString m_strKey;
    CString m_strName;

private:
    void TakeRacerOfDay(const CString& strInfo);

    CString m_strLine;
    bool m_bNameGrew = false;
};
