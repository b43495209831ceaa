// The data sheets of a printed page: the data templates with the races' values written into
// their text lines. A line's number chooses the race and the value; the tables below say which
// value each slot carries.

#include "model/KeluDoc.h"

#include "platform/Sjis.h"
#include "platform/TabField.h"
#include "platform/TextFile.h"

#include <cstdio>

namespace {

// Calls a formatter through a member pointer read from a table beforehand: GCC 12's array-bounds
// check (-fsanitize=bounds) miscompiles a call whose member pointer is indexed out of a table
// within the call expression, "(doc.*kTable[i])()": it checks and reads a wrong index and the
// call crashes. The sanitizer build's sheet tests read every slot of these tables.
CString CallMember(const CKeluDoc& doc, CString (CKeluDoc::*pfn)() const)
{
    return (doc.*pfn)();
}

constexpr int kLinesPerRace = 250;   // the race changes after lines 250 and 500
constexpr int kVenueHeadingLine = 752;
constexpr int kResultSlotCycle = 100; // result slots repeat every 100 lines
constexpr int kFirstResultSlot = 10;
constexpr int kLastResultSlot = 78;

// A run of slots, one per boat, place, pick or bet; n counts from 1 at nFirst.
struct CSlotRange {
    int nFirst;
    int nLast;
    CString (*pfnValue)(CKeluDoc& doc, int n);
};

CString Append(const CString& a, const char* pszUtf8)
{
    return a + Sjis(pszUtf8);
}

// The racer's registration number, branch, age and weight on one line: "3871 長崎 44歳 45kg".
CString RacerProfile(CKeluDoc& d, int n)
{
    return d.GetRegNo(n) + " " + d.GetBranch(n) + " " + Append(d.GetAge(n), "歳 ") + d.GetWeight(n);
}

// The "早" field is the race of the meet the racer is due to ride early: " 7" prints " 7R".
// A blank field stays as it is rather than printing a lone "R".
CString EarlyRace(CKeluDoc& d, int n)
{
    const CString strField = d.GetEarlyRace(n);
    return (strField.IsEmpty() || strField == "  ") ? strField : strField + "R";
}

// Exacta picks read "1-2 12.34%": the label is the first three bytes, the percentage with its
// sign the last six (a percentage below 10 keeps its leading blank).
constexpr int kPickLabelBytes = 3;
constexpr int kPickPercentBytes = 6;

const CSlotRange kProgramSlots[] = {
    {3, 3, [](CKeluDoc& d, int) { return d.GetRaceTitle(); }},
    {7, 12, [](CKeluDoc& d, int n) { return d.GetMeetMark(n); }},
    {13, 18, [](CKeluDoc& d, int n) { return d.GetIndexMark(n); }},
    {22, 27, [](CKeluDoc& d, int n) { return CKeluDoc::SpaceOutName(d.GetRacerName(n)); }},
    {31, 36, RacerProfile},
    {40, 45, [](CKeluDoc& d, int n) { return d.GetClass(n); }},
    {49, 54, [](CKeluDoc& d, int n) { return d.GetRacerIndex(n); }},
    {58, 63, [](CKeluDoc& d, int n) { return d.GetWinRate(n); }},
    {66, 71, [](CKeluDoc& d, int n) { return d.GetTwoRate(n); }},
    {75, 80, [](CKeluDoc& d, int n) { return d.GetLocalWinRate(n); }},
    {83, 88, [](CKeluDoc& d, int n) { return d.GetLocalTwoRate(n); }},
    {92, 97, [](CKeluDoc& d, int n) { return d.GetMotorNo(n); }},
    {100, 105, [](CKeluDoc& d, int n) { return d.GetMotorRate(n) + "%"; }},
    {109, 114, [](CKeluDoc& d, int n) { return d.GetHullNo(n); }},
    {117, 122, [](CKeluDoc& d, int n) { return d.GetBoatRate(n) + "%"; }},
    {207, 212, EarlyRace},
    {216, 221, [](CKeluDoc& d, int n) { return d.GetExactaPick(n).Left(kPickLabelBytes); }},
    {223, 228, [](CKeluDoc& d, int n) { return d.GetExactaPick(n).Right(kPickPercentBytes); }},
    {230, 235, [](CKeluDoc& d, int n) { return d.GetTrifectaPick(2 * n - 1); }},
    {237, 242, [](CKeluDoc& d, int n) { return d.GetTrifectaPick(2 * n); }},
};

// The meet results, one byte per slot: boat 1 in slots 127..138, each later boat 13 slots on.
constexpr int kFirstMeetSlot = 127;
constexpr int kMeetSlotsPerBoat = 13;
constexpr int kMeetBytes = 12;

const CSlotRange kResultSlots[] = {
    {11, 16, [](CKeluDoc& d, int p) { return d.GetFinishPlace(p); }},
    {18, 23, [](CKeluDoc& d, int p) { return d.GetFinishBoat(p); }},
    {25, 30, [](CKeluDoc& d, int p) { return CKeluDoc::SpaceOutName(d.GetFinishRacerName(p)); }},
    {32, 37, [](CKeluDoc& d, int p) { return d.GetFinishCourse(p); }},
    {39, 44, [](CKeluDoc& d, int p) { return d.GetFinishStart(p); }},
    {46, 51, [](CKeluDoc& d, int p) { return d.GetFinishTime(p); }},
    {53, 53, [](CKeluDoc& d, int) { return d.GetWinningMove(); }},
    {54, 54, [](CKeluDoc& d, int) { return d.GetWeather(); }},
    {55, 55, [](CKeluDoc& d, int) { return Sjis("風 ") + d.GetWindDirection(); }},
    {56, 56, [](CKeluDoc& d, int) { return Append(Sjis("風速 ") + d.GetWindSpeed(), "m"); }},
    {57, 57, [](CKeluDoc& d, int) { return Append(Sjis("波高 ") + d.GetWaveHeight(), "cm"); }},
    {59, 65, [](CKeluDoc& d, int n) {
         using Get = CString (CKeluDoc::*)() const;
         static constexpr Get kBets[] = {&CKeluDoc::GetWinBoat,      &CKeluDoc::GetPlaceBoat,
                                         &CKeluDoc::GetPlaceBoat2,   &CKeluDoc::GetExactaResult,
                                         &CKeluDoc::GetQuinellaResult, &CKeluDoc::GetTrifectaResult,
                                         &CKeluDoc::GetTrioResult};
         // A bet that paid more lines than the sheet has room for says so after its
         // combination; the place bet on its second boat.
         using EBet = CKeluDoc::EBet;
         static constexpr EBet kMarked[] = {EBet::Win,      EBet::Place,    EBet::Place, EBet::Exacta,
                                            EBet::Quinella, EBet::Trifecta, EBet::Trio};
         const CString strShown = CallMember(d, kBets[n - 1]);
         return n == 2 ? strShown : d.WithMoreMark(strShown, kMarked[n - 1]);
     }},
    {67, 73, [](CKeluDoc& d, int n) {
         using Get = CString (CKeluDoc::*)() const;
         static constexpr Get kPays[] = {&CKeluDoc::GetWinPay,      &CKeluDoc::GetPlacePay,
                                         &CKeluDoc::GetPlacePay2,   &CKeluDoc::GetExactaPay,
                                         &CKeluDoc::GetQuinellaPay, &CKeluDoc::GetTrifectaPay,
                                         &CKeluDoc::GetTrioPay};
         return CallMember(d, kPays[n - 1]);
     }},
    {75, 78, [](CKeluDoc& d, int n) {
         using Get = CString (CKeluDoc::*)() const;
         static constexpr Get kPopularity[] = {&CKeluDoc::GetExactaPopularity, &CKeluDoc::GetQuinellaPopularity,
                                               &CKeluDoc::GetTrifectaPopularity, &CKeluDoc::GetTrioPopularity};
         return CallMember(d, kPopularity[n - 1]);
     }},
};

template <size_t N>
CString SlotValue(CKeluDoc& doc, const CSlotRange (&table)[N], int nSlot)
{
    for (const CSlotRange& r : table)
        if (nSlot >= r.nFirst && nSlot <= r.nLast)
            return r.pfnValue(doc, nSlot - r.nFirst + 1);
    return CString();
}

// Selects exactly this venue and race, none included: SetSelection passes over a 0.
void SelectExactly(CKeluDoc& doc, int nVenue, int nRace)
{
    doc.ClearSelection();
    doc.SetSelection(nVenue, nRace);
}

// The first N fields of a template line, each followed by a TAB, then the value.
template <int N>
CString FieldsThenValue(const CString& strLine, const CString& strValue)
{
    CString fields[N];
    SplitTabFields(strLine, fields, N);
    std::string s;
    s.reserve(static_cast<size_t>(strLine.GetLength() + strValue.GetLength() + N));
    for (const CString& f : fields)
        (s += f.Str()) += '\t';
    return CString(std::move(s += strValue.Str()));
}

} // namespace

CString CKeluDoc::GetProgramSheetValue(int nLine)
{
    if (nLine == kVenueHeadingLine)
        return GetVenueName(GetVenue()) + " " + GetVenueTitle();
    const int nSlot = nLine % kLinesPerRace;
    const int nMeet = nSlot - kFirstMeetSlot;
    if (nMeet >= 0 && nMeet < 6 * kMeetSlotsPerBoat) {
        const int nByte = nMeet % kMeetSlotsPerBoat;
        const CString strResults = GetMeetResults(nMeet / kMeetSlotsPerBoat + 1);
        return nByte < kMeetBytes ? strResults.Mid(nByte, 1) : CString();
    }
    return SlotValue(*this, kProgramSlots, nSlot);
}

CString CKeluDoc::GetResultSheetValue(int nLine)
{
    const int nSlot = nLine % kResultSlotCycle;
    if (nSlot < kFirstResultSlot || nSlot > kLastResultSlot)
        return CString();
    return SlotValue(*this, kResultSlots, nSlot);
}

CString CKeluDoc::SpaceOutName(const CString& strName)
{
    // Four pieces of two bytes, the eight bytes of a four-character name; a shorter name
    // leaves its pieces empty, each still followed by its blank.
    CString s;
    for (int i = 0; i < 4; ++i)
        s += strName.Mid(2 * i, 2) + " ";
    return s;
}

CString CKeluDoc::GetField(const CString& strLine, int n)
{
    return GetTabField(strLine, n);
}

CString CKeluDoc::MakeTextLine(const CString& strLine, const CString& strValue)
{
    return FieldsThenValue<3>(strLine, strValue);
}

CString CKeluDoc::MakeAlignTextLine(const CString& strLine, const CString& strValue)
{
    return FieldsThenValue<5>(strLine, strValue);
}

bool CKeluDoc::WriteProgramSheet(int nVenue, int nFirstRace)
{
    return WriteSheet(kProgramDataTemplate, kProgramSheet, &CKeluDoc::GetProgramSheetValue, nVenue, nFirstRace);
}

bool CKeluDoc::WriteResultSheet(int nVenue, int nFirstRace)
{
    return WriteSheet(kResultDataTemplate, kResultSheet, &CKeluDoc::GetResultSheetValue, nVenue, nFirstRace);
}

bool CKeluDoc::WriteSheet(const char* pszTemplate, const char* pszSheet, CString (CKeluDoc::*pfnValue)(int), int nVenue,
                          int nFirstRace)
{
    // The sheet is emptied first: a sheet left from an earlier page, or by a run that ended
    // while drawing, must never be drawn as this page's values.
    const CString strSheet = DiskPath(pszSheet);
    CTextFile out;
    if (!out.Open(strSheet.GetString(), CTextFile::modeWrite)) {
        std::remove(strSheet.GetString());
        return true;
    }
    CTextFile in;
    if (!in.Open(DiskPath(pszTemplate).GetString(), CTextFile::modeRead))
        return false;

    const int nOldVenue = m_nVenue;
    const int nOldRace = m_nRace;
    SelectExactly(*this, nVenue, nFirstRace);
    CString strLine;
    for (int nLine = 1; in.ReadString(strLine); ++nLine) {
        const size_t nTab = strLine.Str().find('\t');
        CString strKeyword = nTab == std::string::npos ? strLine : strLine.Left(static_cast<int>(nTab));
        strKeyword.MakeUpper();
        const bool bText = strKeyword == "TX" || strKeyword == "TEXT";
        const bool bAlign = strKeyword == "AT" || strKeyword == "ALIGNTEXT";
        CString strOut = strLine;
        if (bText || bAlign) {
            // An empty value empties the line but keeps it, so the sheet has the template's
            // line count.
            const CString strValue = (this->*pfnValue)(nLine);
            strOut = strValue.IsEmpty() ? CString() : bText ? MakeTextLine(strLine, strValue)
                                                              : MakeAlignTextLine(strLine, strValue);
        }
        if (!out.WriteLine(strOut))
            break;
        if (nLine == kLinesPerRace)
            SelectExactly(*this, nVenue, nFirstRace + 1);
        else if (nLine == 2 * kLinesPerRace)
            SelectExactly(*this, nVenue, nFirstRace + 2);
    }
    SelectExactly(*this, nOldVenue, nOldRace);
    return true;
}
