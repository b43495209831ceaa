// Asks a loaded day for everything the program ever shows or prints of it.

#include "FuzzSupport.h"

#include "model/KeluDoc.h"
#include "platform/Number.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

namespace fuzz {

namespace {

using EBet = CKeluDoc::EBet;
constexpr EBet kBets[] = {EBet::Win, EBet::Place, EBet::Exacta, EBet::Quinella, EBet::Wide, EBet::Trifecta, EBet::Trio};

struct CSink {
    size_t n = 0;
    void operator<<(const CString& s) { n = n * 31 + s.Str().size() + (s.IsEmpty() ? 0 : static_cast<unsigned char>(s[0])); }
    void operator<<(bool b) { n = n * 3 + b; }
    void operator<<(int i) { n = n * 7 + static_cast<unsigned>(i); }
};

void CheckSelection(const CKeluDoc& doc, int nVenue, int nRace, const char* pszCall)
{
    if (doc.GetVenue() != nVenue || doc.GetRace() != nRace)
        Fail("the selection is the same afterwards", pszCall);
}

void ProgramValues(CKeluDoc& doc, CSink& sink)
{
    sink << doc.GetRaceTitle();
    sink << doc.GetVenueTitle();
    for (int n = 0; n < CKeluDoc::kBoats; ++n)
        sink << doc.GetProgramLine(n);
    for (int b = 1; b < CKeluDoc::kBoats; ++b) {
        for (CString (CKeluDoc::*pfn)(int) const :
             {&CKeluDoc::GetBoatNo, &CKeluDoc::GetRegNo, &CKeluDoc::GetRacerName, &CKeluDoc::GetAge,
              &CKeluDoc::GetBranch, &CKeluDoc::GetWeight, &CKeluDoc::GetClass, &CKeluDoc::GetWinRate,
              &CKeluDoc::GetTwoRate, &CKeluDoc::GetLocalWinRate, &CKeluDoc::GetLocalTwoRate,
              &CKeluDoc::GetMotorNo, &CKeluDoc::GetMotorRate, &CKeluDoc::GetHullNo, &CKeluDoc::GetBoatRate,
              &CKeluDoc::GetMeetResults, &CKeluDoc::GetEarlyRace, &CKeluDoc::GetRacerIndex,
              &CKeluDoc::GetIndexMark, &CKeluDoc::GetMeetMark, &CKeluDoc::GetIndexText})
            sink << (doc.*pfn)(b);
        const auto score = doc.GetMeetScore(b);
        sink << score.has_value();
    }
}

void ResultValues(CKeluDoc& doc, CSink& sink)
{
    for (int p = 0; p <= CKeluDoc::kBoats; ++p) {
        sink << doc.GetFinishLine(p);
        if (p < 1 || p >= CKeluDoc::kBoats)
            continue;
        for (CString (CKeluDoc::*pfn)(int) const :
             {&CKeluDoc::GetFinishPlace, &CKeluDoc::GetFinishBoat, &CKeluDoc::GetFinishRegNo,
              &CKeluDoc::GetFinishCourse, &CKeluDoc::GetFinishStart, &CKeluDoc::GetFinishTime,
              &CKeluDoc::GetFinishName, &CKeluDoc::GetFinishRacerName})
            sink << (doc.*pfn)(p);
    }
    for (CString (CKeluDoc::*pfn)() const :
         {&CKeluDoc::GetWeather, &CKeluDoc::GetWindDirection, &CKeluDoc::GetWindSpeed, &CKeluDoc::GetWaveHeight,
          &CKeluDoc::GetWinningMove, &CKeluDoc::GetPublishedWinningMove, &CKeluDoc::GetPlaceBoat2,
          &CKeluDoc::GetPlacePay2, &CKeluDoc::GetSummaryLine, &CKeluDoc::GetWinBoat, &CKeluDoc::GetWinPay,
          &CKeluDoc::GetPlaceBoat, &CKeluDoc::GetPlacePay, &CKeluDoc::GetExactaResult, &CKeluDoc::GetExactaPay,
          &CKeluDoc::GetExactaPopularity, &CKeluDoc::GetQuinellaResult, &CKeluDoc::GetQuinellaPay,
          &CKeluDoc::GetQuinellaPopularity, &CKeluDoc::GetTrifectaResult, &CKeluDoc::GetTrifectaPay,
          &CKeluDoc::GetTrifectaPopularity, &CKeluDoc::GetTrioResult, &CKeluDoc::GetTrioPay,
          &CKeluDoc::GetTrioPopularity})
        sink << (doc.*pfn)();
    // The payout cutters are handed the slot of a bet's line, or -1 for a bet not found.
    for (int n = -1; n < CKeluDoc::kResultLines; ++n) {
        sink << doc.GetResultLine(n);
        for (CString (CKeluDoc::*pfn)(int) const :
             {&CKeluDoc::GetPayBoat, &CKeluDoc::GetPayAmount, &CKeluDoc::GetComboText, &CKeluDoc::GetComboPay,
              &CKeluDoc::GetComboPopularity})
            sink << (doc.*pfn)(n);
    }
    for (EBet bet : kBets) {
        const int nFirst = doc.FindBetLine(bet);
        const std::vector<int> lines = doc.FindBetLines(bet);
        if (nFirst < -1 || nFirst >= CKeluDoc::kResultLines || (nFirst >= 0) != !lines.empty() ||
            (!lines.empty() && lines.front() != nFirst))
            Fail("a bet's first line is the first of its lines");
        for (int n : lines) {
            if (n < 0 || n >= CKeluDoc::kResultLines)
                Fail("a bet's lines are result slots");
        }
        for (const CString& s : doc.GetBetLines(bet))
            sink << s;
        for (const CString& s : doc.GetWinningCombos(bet))
            sink << s;
    }
    sink << doc.IsRaceVoid();
    sink << doc.IsRaceCancelled();
}

void Predictions(CKeluDoc& doc, CSink& sink)
{
    // Entry 1 recomputes, as the details page asks for it first; the page colours the hits
    // among the picks it shows first.
    for (int k = 1; k < CKeluDoc::kExactaEntries; ++k) {
        const CString strPick = doc.GetExactaPick(k);
        sink << strPick;
        if (k <= 6)
            sink << doc.IsWinningExacta(strPick.Left(3));
    }
    for (int k = 1; k < CKeluDoc::kTrifectaEntries; ++k) {
        const CString strPick = doc.GetTrifectaPick(k);
        sink << strPick;
        if (k <= 12)
            sink << doc.IsWinningTrifecta(strPick.Left(5));
    }
    sink << doc.IsExactaHit();
    sink << doc.IsTrifectaHit();
}

// Whether any slot of the selected race holds a line. An empty race answers the same every
// time; one of them is asked in full and the rest are passed over, which keeps the target fast.
bool RaceHasLines(const CKeluDoc& doc)
{
    bool bAny = !doc.GetSummaryLine().IsEmpty();
    for (int n = 0; n < CKeluDoc::kBoats && !bAny; ++n)
        bAny = !doc.GetProgramLine(n).IsEmpty() || !doc.GetFinishLine(n).IsEmpty();
    for (int n = 0; n < CKeluDoc::kResultLines && !bAny; ++n)
        bAny = !doc.GetResultLine(n).IsEmpty();
    return bAny;
}

void Race(CKeluDoc& doc, CSink& sink)
{
    const int nVenue = doc.GetVenue();
    const int nRace = doc.GetRace();
    ProgramValues(doc, sink);
    ResultValues(doc, sink);
    Predictions(doc, sink);
    CheckSelection(doc, nVenue, nRace, "the values of a race");
}

// The numbers the favourites menu searches for: those of the day's boats and finishing lines,
// and what atoi makes of any other line of the list.
std::vector<int> RegNosOfDay(CKeluDoc& doc)
{
    std::vector<int> regNos = {0, -1, 1, 999, 1000, 9999, 10000, INT_MAX, INT_MIN};
    for (int v = 1; v < CKeluDoc::kVenues; ++v) {
        for (int r = 1; r < CKeluDoc::kRaces; ++r) {
            if (!doc.HasRace(v, r))
                continue;
            doc.SetSelection(v, r);
            for (int b = 1; b < CKeluDoc::kBoats; ++b) {
                regNos.push_back(AtoI(doc.GetRegNo(b)));
                regNos.push_back(AtoI(doc.GetFinishRegNo(b)));
            }
        }
    }
    // Each number once: the search walks the whole day.
    std::sort(regNos.begin(), regNos.end());
    regNos.erase(std::unique(regNos.begin(), regNos.end()), regNos.end());
    return regNos;
}

} // namespace

size_t ExerciseDay(CKeluDoc& doc)
{
    CSink sink;
    for (int v = 0; v <= CKeluDoc::kVenues; ++v)
        sink << CKeluDoc::GetVenueName(v);
    // Nothing selected, as after a load.
    doc.ClearSelection();
    Race(doc, sink);
    for (int v = 1; v < CKeluDoc::kVenues; ++v) {
        for (int r = 1; r < CKeluDoc::kRaces; ++r) {
            sink << doc.HasRace(v, r);
            doc.SetSelection(v, r);
            if (RaceHasLines(doc))
                Race(doc, sink);
        }
    }
    const std::vector<int> regNos = RegNosOfDay(doc);
    doc.ClearSelection();
    doc.SetSelection(1, 1);
    for (int nRegNo : regNos) {
        sink << doc.FindRacerOfDay(nRegNo);
        CheckSelection(doc, 1, 1, "FindRacerOfDay");
    }
    return sink.n;
}

} // namespace fuzz
