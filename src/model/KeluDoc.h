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
#include <string_view>
#include <utility>
#include <vector>

// A day file that the reader could not read to its end as published.
struct CReadStop {
    enum class EKind {
        None,
        LineTooLong, // a line over the slot's limit: reading stopped there
        Truncated,   // the file ends inside a venue block, or without its closing line
    };
    EKind kind = EKind::None;
    CString strFile; // "data/prog/B200101.TXT"
    int nLine = 0;   // the line, from 1, where reading stopped, or the file's last line
    int nVenue = 0;  // the venue whose block was being read; 0 between blocks
};

// What the user is told of a damaged day file: the file, the line and what is missing because
// of it (Shift-JIS); the empty string when nothing is damaged.
CString ReadStopText(const CReadStop& stop);

// The line the demo day writer puts before the first venue block of its program files; the
// reader passes over lines outside a block, so the day reads as any other.
inline constexpr const char* kDemoDayMark = "KELU DEMO DAY";

class CKeluDoc : public CDocument {
public:
    static constexpr int kVenues = 25;      // venue codes 1..24; 0 is never a venue
    static constexpr int kRaces = 13;       // races 1..12
    static constexpr int kBoats = 7;        // boats and places 1..6
    static constexpr int kLineSize = 100;   // one NUL-terminated line per slot
    static constexpr int kMaxLineLength = 82;
    static constexpr int kHeadLines = 13;   // venue header slots; 0..9 are written
    // Result text slots: 0 the race line, 1 the heading line, 2.. the lines after the finishing
    // lines. An ordinary race fills 2..12; a dead heat gives some bets more than one line.
    static constexpr int kResultLines = 24;
    static constexpr int kExactaEntries = 31;
    static constexpr int kTrifectaEntries = 121;
    // Header line 0 of a venue: the shortened meeting title fills bytes 35..54, two blanks and
    // the day counter ("第　１日") follow. The heading is taken from the blanks on, so that no
    // piece of the title comes with it.
    static constexpr int kVenueHeadingStart = 55;

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
    // " " + header line 0 from kVenueHeadingStart on + header line 4.
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
    // The technique, or why there is none ("レース不成立", "中止").
    CString GetWinningMove() const;
    // The technique's field as the result file has it, blank or empty when the race was void or
    // cancelled: whether a race has a result section to print.
    CString GetPublishedWinningMove() const;

    // --- Payout values -----------------------------------------------------------------------
    CString GetPayBoat(int n) const;
    CString GetPayAmount(int n) const;
    CString GetPlaceBoat2() const;
    CString GetPlacePay2() const;
    CString GetComboText(int n) const;
    CString GetComboPay(int n) const;
    CString GetComboPopularity(int n) const;
    // The bets of a race, each found by the label that opens its lines; in a dead heat a bet
    // has more than one winning line, and the lines of every later bet move down.
    enum class EBet { Win, Place, Exacta, Quinella, Wide, Trifecta, Trio };
    // The result slot of the bet's first line, or -1.
    int FindBetLine(EBet bet) const;
    // The slots of all the bet's lines: the labelled one and the unlabelled ones below it.
    std::vector<int> FindBetLines(EBet bet) const;
    // What each of the bet's lines says after its label, trimmed: "2-3       1020  人気     7".
    std::vector<CString> GetBetLines(EBet bet) const;
    // The combination of each winning line of a bet ("2-3", "2-6"); none for a bet that did
    // not come off.
    std::vector<CString> GetWinningCombos(EBet bet) const;
    // How many winning lines the bet paid: for the place bet, how many boats its lines name.
    int CountWinningLines(EBet bet) const;
    // A dead heat pays more than the results page and the printed sheet have cells for: a
    // second line of any bet, a third boat of the place bet.
    bool HasMoreThanShown(EBet bet) const;
    // The mark such a bet's (last) cell gets after its combination: "他".
    static CString MoreMark();
    // The text with the mark after it when the bet has more than is shown.
    CString WithMoreMark(const CString& strShown, EBet bet) const;

    // Every value of a bet is that of its first line.
    CString GetWinBoat() const { return GetPayBoat(FindBetLine(EBet::Win)); }
    CString GetWinPay() const { return GetPayAmount(FindBetLine(EBet::Win)); }
    CString GetPlaceBoat() const { return GetPayBoat(FindBetLine(EBet::Place)); }
    CString GetPlacePay() const { return GetPayAmount(FindBetLine(EBet::Place)); }
    CString GetExactaResult() const { return GetComboText(FindBetLine(EBet::Exacta)); }
    CString GetExactaPay() const { return GetComboPay(FindBetLine(EBet::Exacta)); }
    CString GetExactaPopularity() const { return GetComboPopularity(FindBetLine(EBet::Exacta)); }
    CString GetQuinellaResult() const { return GetComboText(FindBetLine(EBet::Quinella)); }
    CString GetQuinellaPay() const { return GetComboPay(FindBetLine(EBet::Quinella)); }
    CString GetQuinellaPopularity() const { return GetComboPopularity(FindBetLine(EBet::Quinella)); }
    CString GetTrifectaResult() const { return GetComboText(FindBetLine(EBet::Trifecta)); }
    CString GetTrifectaPay() const { return GetComboPay(FindBetLine(EBet::Trifecta)); }
    CString GetTrifectaPopularity() const { return GetComboPopularity(FindBetLine(EBet::Trifecta)); }
    CString GetTrioResult() const { return GetComboText(FindBetLine(EBet::Trio)); }
    CString GetTrioPay() const { return GetComboPay(FindBetLine(EBet::Trio)); }
    CString GetTrioPopularity() const { return GetComboPopularity(FindBetLine(EBet::Trio)); }
    // Every line of every bet in one pass, in the file's order: the bet, and what the line says
    // after its label, trimmed, as GetBetLines gives them bet by bet. The texts are views of the
    // loaded lines, good until the next load.
    std::vector<std::pair<EBet, std::string_view>> GetAllBetLines() const;

    // --- Values of a line as it stands in its slot -------------------------------------------
    // The same cuts as the program, finishing and race families, from the line itself: a reader
    // of many days takes each value without copying the line for it. The race values are cut
    // from the race line (result slot 0), the winning move from the heading line (slot 1).
    enum class EField {
        RegNo, RacerName, Class, WinRate, TwoRate, LocalWinRate, LocalTwoRate, MotorNo, MotorRate, HullNo,
        BoatRate, FinishPlace, FinishRegNo, FinishCourse, FinishStart, FinishTime,
        Weather, WindDirection, WindSpeed, WaveHeight, WinningMove,
        Age, Branch, Weight, MeetResults, EarlyRace, FinishExhibition,
    };
    // A view of the line's bytes, trimmed as the field's value is: no copy for a reader of many
    // days.
    static std::string_view CutField(std::string_view line, EField field);

    // A race declared void after it was run ("レース不成立" below its finishing lines), and a
    // race the result file's summary lists as cancelled ("中　止") and gives no result.
    bool IsRaceVoid() const;
    bool IsRaceCancelled() const;
    // The summary line of the selected race in the result block's payout summary.
    CString GetSummaryLine() const;

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
    // True when any winning line of the bet is among the first six or twelve picks.
    bool IsExactaHit();
    bool IsTrifectaHit();
    // Whether a pick's combination ("1-2", "1-2-3") is one of the bet's winning lines.
    bool IsWinningExacta(const CString& strCombo) const;
    bool IsWinningTrifecta(const CString& strCombo) const;

    // --- Print data sheets (model/PrintSheets.cpp) ---------------------------------------------
    // A data sheet is a copy of a data template in which every TEXT and ALIGNTEXT line carries
    // the value of its line number: lines 1..250 belong to nFirstRace, 251..500 to the race
    // after it, the rest to the third. The program sheet data/yddat.txt is written from
    // data/ydtpl.txt, the result sheet data/kddat.txt from data/kdtpl.txt. The sheet is emptied
    // first; false when the template cannot be read, which leaves the sheet empty. The
    // selection is the same afterwards.
    static constexpr const char* kProgramDataTemplate = "data\\ydtpl.txt";
    static constexpr const char* kProgramSheet = "data\\yddat.txt";
    static constexpr const char* kResultDataTemplate = "data\\kdtpl.txt";
    static constexpr const char* kResultSheet = "data\\kddat.txt";
    bool WriteProgramSheet(int nVenue, int nFirstRace);
    bool WriteResultSheet(int nVenue, int nFirstRace);
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
    // The racer index of each boat [1..6] as the last computation of a pick table read it; 0 for
    // a boat without one (an index is at least the class base of 1).
    double m_dPickIndex[kBoats] = {};
    int m_nVenue = 0;
    int m_nRace = 0;
    // Where the last load found a day file damaged; kind None when both were whole. The program
    // file's damage is kept when both are damaged, since it hides the results as well.
    CReadStop m_readStop;
    // The program file carries the demo day writer's mark: its racers are made up.
    bool m_bDemoDay = false;
    bool IsDamaged() const { return m_readStop.kind != CReadStop::EKind::None; }
    char m_szProgram[kVenues][kRaces][kBoats][kLineSize];
    char m_szFinish[kVenues][kRaces][kBoats][kLineSize];
    char m_szVenueHead[kVenues][kHeadLines][kLineSize];
    char m_szResult[kVenues][kRaces][kResultLines][kLineSize];
    // Each race's line of the payout summary at the head of its venue's result block.
    char m_szSummary[kVenues][kRaces][kLineSize];

private:
    // Reading a day writes over the last day's slots rather than clearing them all first:
    // clearing the megabyte of slots at every load would cost more than reading the day. The
    // outcome is the same byte for byte: every slot holds its line and zeros, or only zeros.
    struct CSlotState {
        unsigned char nLength = 0;  // the bytes of the slot's line; 0 for an empty slot
        unsigned char nReading = 0; // the reading that last filled it
    };
    // Copies the line into the slot, with zeros over what is left of the line before it.
    void Fill(char (&slot)[kLineSize], const CString& line);
    void BeginReading();
    // Empties the slots the last day filled and this one did not.
    void EndReading();
    CSlotState& StateOf(const char* pSlot)
    {
        return m_slotStates[static_cast<size_t>(pSlot - reinterpret_cast<const char*>(this)) / kLineSize];
    }
    std::vector<char*> m_filled, m_previous;
    std::vector<CSlotState> m_slotStates;
    unsigned char m_nReading = 0;

    bool ReadProgramFile(const CTime& day);
    bool ReadResultFile(const CTime& day);
    // Keeps the first damage the reading of the day's files meets.
    void NoteReadStop(CReadStop::EKind kind, const CString& strFile, int nLine, int nVenue);
    bool IsSelectedRaceValid() const;
    bool WriteSheet(const char* pszTemplate, const char* pszSheet, CString (CKeluDoc::*pfnValue)(int), int nVenue,
                    int nFirstRace);
};
