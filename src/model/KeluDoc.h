#pragma once
// One race day: the lines of the day's program file and result file, kept as raw Shift-JIS
// text in fixed slots, the selected venue and race, and the prediction tables of the race that
// was selected when they were last computed. Every displayed value is cut from a stored line
// on demand, so nothing is parsed at load time.
//
// The object holds about 900 KB of fixed arrays: create it on the heap.

#include "platform/Document.h"
#include "platform/String.h"
#include "platform/Time.h"

#include <optional>

class CKeluDoc : public CDocument {
public:
    static constexpr int kVenues = 25;      // venue codes 1..24; 0 is never a venue
    static constexpr int kRaces = 13;       // races 1..12
    static constexpr int kBoats = 7;        // boats and places 1..6
    static constexpr int kLineSize = 100;   // one NUL-terminated line per slot
    static constexpr int kMaxLineLength = 82;
    static constexpr int kHeadLines = 13;   // venue header slots; 0..9 are written
    static constexpr int kResultLines = 13; // result text slots 0..12
    static constexpr int kExactaEntries = 31;
    static constexpr int kTrifectaEntries = 121;

    CKeluDoc();
    ~CKeluDoc() override = default;
    CKeluDoc(const CKeluDoc&) = delete;
    CKeluDoc& operator=(const CKeluDoc&) = delete;

    // The day is read afresh from its files on every load: a new document keeps what it holds
    // (the view's set-up reloads the shown day), and there is nothing to store.
    bool OnNewDocument() override { return CDocument::OnNewDocument(); }
    void Serialize(CArchive& ar) override { (void)ar; }

    // --- The day and the selection -------------------------------------------------------
    // Clears the day, then reads the day's program file and result file. True only when both
    // could be opened; a missing result file keeps the programs.
    bool LoadDay(const CTime& day);
    void ClearData();
    bool HasRace(int nVenue, int nRace) const;
    // Stores a venue that is not 0 and a race that is not 0; always true.
    bool SetSelection(int nVenue, int nRace);
    void ClearSelection();
    int GetVenue() const { return m_nVenue; }
    int GetRace() const { return m_nRace; }
    CString GetProgramLine(int nLine) const;
    CString GetFinishLine(int nPlace) const;
    CString GetResultLine(int nLine) const;
    CString GetRaceTitle() const;
    CString GetVenueTitle() const;
    // The venue's name in Shift-JIS; the empty string for 0 and for codes outside 1..24.
    static CString GetVenueName(int nVenue);
    // The day file names of a day, relative to the working directory; empty for a day that
    // has no local date.
    static CString ProgramFileName(const CTime& day);
    static CString ResultFileName(const CTime& day);

    // --- Program values of boat b ----------------------------------------------------------
    CString GetBoatNo(int b) const;
    CString GetRegNo(int b) const;
    CString GetRacerName(int b) const;
    CString GetAge(int b) const;
    CString GetBranch(int b) const;
    CString GetWeight(int b) const;
    CString GetClass(int b) const;
    CString GetWinRate(int b) const;
    CString GetTwoRate(int b) const;
    CString GetLocalWinRate(int b) const;
    CString GetLocalTwoRate(int b) const;
    CString GetMotorNo(int b) const;
    CString GetMotorRate(int b) const;
    CString GetHullNo(int b) const;
    CString GetBoatRate(int b) const;
    CString GetMeetResults(int b) const;
    CString GetEarlyRace(int b) const;

    // --- Finishing-line values of place p ------------------------------------------------------
    CString GetFinishPlace(int p) const;
    CString GetFinishBoat(int p) const;
    CString GetFinishRegNo(int p) const;
    CString GetFinishCourse(int p) const;
    CString GetFinishStart(int p) const;
    CString GetFinishTime(int p) const;
    CString GetFinishName(int p) const;
    CString GetFinishRacerName(int p) const;

    // --- Race values ---------------------------------------------------------------------------
    CString GetWeather() const;
    CString GetWindDirection() const;
    CString GetWindSpeed() const;
    CString GetWaveHeight() const;
    CString GetWinningMove() const;

    // --- Payout values -----------------------------------------------------------------------
    CString GetPayBoat(int n) const;
    CString GetPayAmount(int n) const;
    CString GetPlaceBoat2() const;
    CString GetPlacePay2() const;
    CString GetComboText(int n) const;
    CString GetComboPay(int n) const;
    CString GetComboPopularity(int n) const;
    CString GetWinBoat() const { return GetPayBoat(3); }
    CString GetWinPay() const { return GetPayAmount(3); }
    CString GetPlaceBoat() const { return GetPayBoat(4); }
    CString GetPlacePay() const { return GetPayAmount(4); }
    CString GetExactaResult() const { return GetComboText(5); }
    CString GetExactaPay() const { return GetComboPay(5); }
    CString GetExactaPopularity() const { return GetComboPopularity(5); }
    CString GetQuinellaResult() const { return GetComboText(6); }
    CString GetQuinellaPay() const { return GetComboPay(6); }
    CString GetQuinellaPopularity() const { return GetComboPopularity(6); }
    CString GetTrifectaResult() const { return GetComboText(10); }
    CString GetTrifectaPay() const { return GetComboPay(10); }
    CString GetTrifectaPopularity() const { return GetComboPopularity(10); }
    CString GetTrioResult() const { return GetComboText(11); }
    CString GetTrioPay() const { return GetComboPay(11); }
    CString GetTrioPopularity() const { return GetComboPopularity(11); }

    // --- Watched-racer search ----------------------------------------------------------------
    // "name\tvenue\trace\trace..." for the racer's races of the loaded day; the empty string
    // when the racer does not race. The selection is the same afterwards.
    CString FindRacerOfDay(int nRegNo);

    // --- Racer index and predictions ------------------------------------------------------------
    // The meet score, or nothing when the meet results hold only blanks.
    std::optional<double> GetMeetScore(int b) const;
    CString GetRacerIndex(int b) const;
    CString GetIndexMark(int b) const;
    CString GetMeetMark(int b) const;
    CString GetIndexText(int b) const;
    void ComputeExactaPicks();
    void ComputeTrifectaPicks();
    // Entry 1 recomputes the table for the selected race; the others read it as it stands.
    CString GetExactaPick(int k);
    CString GetTrifectaPick(int k);
    bool IsExactaHit();
    bool IsTrifectaHit();

    // --- Print data sheets (model/PrintSheets.cpp) ---------------------------------------------
    // A data sheet is a copy of a data template in which every TEXT and ALIGNTEXT line carries
    // the value of its line number: lines 1..250 belong to nFirstRace, 251..500 to the race
    // after it, the rest to the third. The program sheet data/yddat.txt is written from
    // data/ydtpl.txt, the result sheet data/kddat.txt from data/kdtpl.txt. Nothing is written
    // when the template cannot be read; the selection is the same afterwards.
    void WriteProgramSheet(int nVenue, int nFirstRace);
    void WriteResultSheet(int nVenue, int nFirstRace);
    // The value of a data template line for the selected race; empty when the line has none.
    CString GetProgramSheetValue(int nLine);
    CString GetResultSheetValue(int nLine);
    // The four two-byte pieces of a name, each followed by a blank.
    static CString SpaceOutName(const CString& strName);
    // The line's first three fields (five for ALIGNTEXT), each followed by a TAB, then the value.
    static CString MakeTextLine(const CString& strLine, const CString& strValue);
    static CString MakeAlignTextLine(const CString& strLine, const CString& strValue);
    // Field n of a template line, the keyword being field 1; the first empty field ends the line.
    static CString GetField(const CString& strLine, int n);

    // --- The stored day ---------------------------------------------------------------------
    CString m_strExactaPick[kExactaEntries];
    double m_dExactaPercent[kExactaEntries];
    CString m_strTrifectaPick[kTrifectaEntries];
    double m_dTrifectaPercent[kTrifectaEntries];
    int m_nVenue = 0;
    int m_nRace = 0;
    char m_szProgram[kVenues][kRaces][kBoats][kLineSize];
    char m_szFinish[kVenues][kRaces][kBoats][kLineSize];
    char m_szVenueHead[kVenues][kHeadLines][kLineSize];
    char m_szResult[kVenues][kRaces][kResultLines][kLineSize];

private:
    bool ReadProgramFile(const CTime& day);
    bool ReadResultFile(const CTime& day);
    bool IsSelectedRaceValid() const;
    void WriteSheet(const char* pszTemplate, const char* pszSheet, CString (CKeluDoc::*pfnValue)(int), int nVenue,
                    int nFirstRace);
};
