// The values the grids and print sheets show, cut from the stored lines of the selected race.
//
// Every value is a byte range of one stored line, cut again on each call. The ranges live in
// one table below, so a field that moves in the published files is changed in one place.

#include "model/KeluDoc.h"

#include "platform/Number.h"
#include "platform/Sjis.h"

#include <algorithm>
#include <iterator>

namespace {

enum class ETrim { None, Left, Right };

struct SField {
    int nStart;
    int nLength;
    ETrim eTrim = ETrim::None;
};

// Program entry line of a boat.
constexpr SField kBoatNo{0, 1};
constexpr SField kRegNo{2, 4};
constexpr SField kRacerName{6, 8};
constexpr SField kAge{14, 2};
constexpr SField kBranch{16, 4};
constexpr SField kWeight{20, 2};
constexpr SField kClass{22, 2};
constexpr SField kWinRate{24, 5};
// The two-place rates are six bytes wide: "100.00" starts one byte before the usual five, so
// the whole field is cut and its alignment blanks dropped.
constexpr SField kTwoRate{29, 6, ETrim::Left};
constexpr SField kLocalWinRate{35, 5};
constexpr SField kLocalTwoRate{40, 6, ETrim::Left};
constexpr SField kMotorNo{46, 3};
constexpr SField kMotorRate{50, 4};
constexpr SField kHullNo{55, 3};
constexpr SField kBoatRate{59, 4};
// Twelve one-byte slots: a long meet fills all of them, and the last two are its latest races.
constexpr SField kMeetResults{65, 12};
constexpr SField kEarlyRace{77, 2};

// Finishing line of a place.
constexpr SField kFinishPlace{2, 2};
constexpr SField kFinishBoat{6, 1};
constexpr SField kFinishRegNo{8, 4};
// Surname and given name take eight bytes each; the given name is right-aligned, so a shorter
// cut would lose its last character.
constexpr SField kFinishSurname{13, 8};
constexpr SField kFinishGivenName{21, 8};
constexpr SField kFinishCourse{46, 1};
constexpr SField kFinishStart{53, 2};
constexpr SField kFinishTime{60, 6};
// The exhibition run's time, "6.75"; blank for a racer who did not run it.
constexpr SField kFinishExhibition{39, 4};

// Race line (result slot 0) and column heading line (slot 1).
constexpr int kRaceLine = 0;
constexpr int kHeadingLine = 1;
constexpr SField kWeather{49, 2};
constexpr SField kWindDirection{59, 4};
constexpr SField kWindSpeed{65, 2};
// Waves of 10 cm and more take two digits.
constexpr SField kWaveHeight{75, 2, ETrim::Left};
// "まくり差し" fills all ten bytes.
constexpr SField kWinningMove{66, 10};

// Payout lines.
constexpr int kFirstFollowingLine = 2;
constexpr int kPayBoatPos = 17;
// A place line names a boat at each of these bytes: two in an ordinary race, three when the
// second place is shared.
constexpr int kPlaceBoatPositions[] = {17, 33, 49};
constexpr int kPayLineMinLength = 19;        // shorter lines carry neither boat nor amount
constexpr int kPayAmountMinLength = 31;
constexpr SField kPayAmount{24, 7};
constexpr SField kRefundText{20, 6};
constexpr SField kRefundAmount{29, 2};
constexpr int kPlaceSecondMinLength = 49;
constexpr SField kPlaceBoat2{33, 1};
constexpr SField kPlacePay2{42, 5};
constexpr int kComboMinLength = 44;          // a "不成立" line is 23 bytes and shows nothing
constexpr SField kComboText{17, 5, ETrim::Right};
constexpr SField kComboPay{24, 7, ETrim::Left};
constexpr SField kComboPopularity{40, 3, ETrim::Left};
// A bet that did not come off reads "不成立" where its boat or combination would be.
constexpr SField kVoidBet{17, 6};
// The label that opens a bet's lines, and what follows it.
constexpr SField kBetLabel{8, 6, ETrim::Right};
constexpr int kBetTextPos = 17;
// The text of a race in the preamble's payout summary.
constexpr SField kSummaryText{15, 6};

// The bytes from the field's start on, at most its length; nothing when the line ends before.
std::string_view CutView(std::string_view line, const SField& f)
{
    const auto nStart = static_cast<size_t>(f.nStart);
    const std::string_view s =
        line.size() > nStart ? line.substr(nStart, static_cast<size_t>(f.nLength)) : std::string_view();
    if (f.eTrim == ETrim::Left)
        return TrimmedLeft(s);
    return f.eTrim == ETrim::Right ? TrimmedRight(s) : s;
}

CString Cut(std::string_view line, const SField& f)
{
    return CString(CutView(line, f));
}

CString Cut(const CString& line, const SField& f)
{
    return Cut(std::string_view(line.Str()), f);
}

// The fields of CKeluDoc::EField, in its order.
constexpr SField kFields[] = {kRegNo,        kRacerName,    kClass,       kWinRate,    kTwoRate,      kLocalWinRate,
                              kLocalTwoRate, kMotorNo,      kMotorRate,   kHullNo,     kBoatRate,     kFinishPlace,
                              kFinishRegNo,  kFinishCourse, kFinishStart, kFinishTime, kWeather,      kWindDirection,
                              kWindSpeed,    kWaveHeight,   kWinningMove, kAge,        kBranch,       kWeight,
                              kMeetResults,  kEarlyRace,    kFinishExhibition};
static_assert(std::size(kFields) == static_cast<size_t>(CKeluDoc::EField::FinishExhibition) + 1);

// Boat 0 is the race header line, which is no boat's line.
CString BoatLine(const CKeluDoc& doc, int b)
{
    return (b >= 1 && b < CKeluDoc::kBoats) ? doc.GetProgramLine(b) : CString();
}

CString BoatField(const CKeluDoc& doc, int b, const SField& f)
{
    return Cut(BoatLine(doc, b), f);
}

CString PlaceField(const CKeluDoc& doc, int p, const SField& f)
{
    return Cut(doc.GetFinishLine(p), f);
}

CString RaceField(const CKeluDoc& doc, int nLine, const SField& f)
{
    return Cut(doc.GetResultLine(nLine), f);
}

const CString& FullWidthBlank()
{
    static const CString s = Sjis("　");
    return s;
}

// The win line of a race whose win bet was refunded in full reads "特払い" where the boat would
// be, with the refund in two digits further on.
bool IsSpecialRefund(const CString& line)
{
    static const CString text = Sjis("特払い");
    return line.GetAt(kPayBoatPos) == ' ' && Cut(line, kRefundText) == text;
}

const CString& VoidBetText()
{
    static const CString text = Sjis("不成立");
    return text;
}

bool IsVoidBet(const CString& line)
{
    return Cut(line, kVoidBet) == VoidBetText();
}

// A line that goes on with the bet above it: nothing before the combination, something in it.
bool IsContinuationLine(std::string_view line)
{
    if (line.size() <= kBetTextPos || line[kBetTextPos] == ' ')
        return false;
    return line.find_first_not_of(' ') == kBetTextPos;
}

constexpr CKeluDoc::EBet kBets[] = {CKeluDoc::EBet::Win,  CKeluDoc::EBet::Place,    CKeluDoc::EBet::Exacta,
                                    CKeluDoc::EBet::Quinella, CKeluDoc::EBet::Wide, CKeluDoc::EBet::Trifecta,
                                    CKeluDoc::EBet::Trio};

const CString& BetLabel(CKeluDoc::EBet bet)
{
    static const CString kLabels[] = {Sjis("単勝"), Sjis("複勝"), Sjis("２連単"), Sjis("２連複"),
                                      Sjis("拡連複"), Sjis("３連単"), Sjis("３連複")};
    return kLabels[static_cast<int>(bet)];
}

// What a bet's line says after its label.
std::string_view BetText(std::string_view line)
{
    return Trimmed(line.size() > kBetTextPos ? line.substr(kBetTextPos) : std::string_view());
}

CString WithoutFullWidthBlanks(CString s)
{
    s.Replace(FullWidthBlank().GetString(), "");
    return s;
}

} // namespace

// --- Program values -------------------------------------------------------------------------

CString CKeluDoc::GetBoatNo(int b) const { return BoatField(*this, b, kBoatNo); }
CString CKeluDoc::GetRegNo(int b) const { return BoatField(*this, b, kRegNo); }
CString CKeluDoc::GetRacerName(int b) const { return BoatField(*this, b, kRacerName); }
CString CKeluDoc::GetAge(int b) const { return BoatField(*this, b, kAge); }
CString CKeluDoc::GetBranch(int b) const { return BoatField(*this, b, kBranch); }
CString CKeluDoc::GetClass(int b) const { return BoatField(*this, b, kClass); }
CString CKeluDoc::GetWinRate(int b) const { return BoatField(*this, b, kWinRate); }
CString CKeluDoc::GetTwoRate(int b) const { return BoatField(*this, b, kTwoRate); }
CString CKeluDoc::GetLocalWinRate(int b) const { return BoatField(*this, b, kLocalWinRate); }
CString CKeluDoc::GetLocalTwoRate(int b) const { return BoatField(*this, b, kLocalTwoRate); }
CString CKeluDoc::GetMotorNo(int b) const { return BoatField(*this, b, kMotorNo); }
CString CKeluDoc::GetMotorRate(int b) const { return BoatField(*this, b, kMotorRate); }
CString CKeluDoc::GetHullNo(int b) const { return BoatField(*this, b, kHullNo); }
CString CKeluDoc::GetBoatRate(int b) const { return BoatField(*this, b, kBoatRate); }
CString CKeluDoc::GetMeetResults(int b) const { return BoatField(*this, b, kMeetResults); }
CString CKeluDoc::GetEarlyRace(int b) const { return BoatField(*this, b, kEarlyRace); }

CString CKeluDoc::GetWeight(int b) const
{
    // A missing weight stays blank rather than showing a bare "kg".
    const CString weight = BoatField(*this, b, kWeight);
    return weight.IsEmpty() ? CString() : CString::Formatted("%skg", weight.GetString());
}

// --- Finishing-line values ------------------------------------------------------------------

CString CKeluDoc::GetFinishPlace(int p) const { return PlaceField(*this, p, kFinishPlace); }
CString CKeluDoc::GetFinishBoat(int p) const { return PlaceField(*this, p, kFinishBoat); }
CString CKeluDoc::GetFinishRegNo(int p) const { return PlaceField(*this, p, kFinishRegNo); }
CString CKeluDoc::GetFinishCourse(int p) const { return PlaceField(*this, p, kFinishCourse); }
CString CKeluDoc::GetFinishStart(int p) const { return PlaceField(*this, p, kFinishStart); }
CString CKeluDoc::GetFinishTime(int p) const { return PlaceField(*this, p, kFinishTime); }

CString CKeluDoc::GetFinishName(int p) const
{
    // The result file spaces names out with full-width blanks ("木　場　　悠　介"); the grid
    // wants "木場 悠介".
    const CString line = GetFinishLine(p);
    const CString surname = WithoutFullWidthBlanks(Cut(line, kFinishSurname));
    const CString givenName = WithoutFullWidthBlanks(Cut(line, kFinishGivenName));
    if (surname.IsEmpty() && givenName.IsEmpty())
        return CString();
    return CString::Formatted("%s %s", surname.GetString(), givenName.GetString());
}

CString CKeluDoc::GetFinishRacerName(int p) const
{
    const int b = AtoI(GetFinishBoat(p));
    return (b >= 1 && b < kBoats) ? GetRacerName(b) : CString();
}

// --- Race values ----------------------------------------------------------------------------

CString CKeluDoc::GetWeather() const { return RaceField(*this, kRaceLine, kWeather); }
CString CKeluDoc::GetWindDirection() const { return RaceField(*this, kRaceLine, kWindDirection); }
CString CKeluDoc::GetWindSpeed() const { return RaceField(*this, kRaceLine, kWindSpeed); }
CString CKeluDoc::GetWaveHeight() const { return RaceField(*this, kRaceLine, kWaveHeight); }
// A void or cancelled race has no winning technique; its place says why.
CString CKeluDoc::GetWinningMove() const
{
    if (IsRaceVoid())
        return Sjis("レース不成立");
    if (IsRaceCancelled())
        return Sjis("中止");
    return GetPublishedWinningMove();
}

CString CKeluDoc::GetPublishedWinningMove() const
{
    return RaceField(*this, kHeadingLine, kWinningMove);
}

bool CKeluDoc::IsRaceVoid() const
{
    static const CString kVoid = Sjis("レース不成立");
    for (int n = kFirstFollowingLine; n < kResultLines; ++n) {
        CString line = GetResultLine(n);
        line.Trim();
        if (line == kVoid)
            return true;
    }
    return false;
}

bool CKeluDoc::IsRaceCancelled() const
{
    static const CString kCancelled = Sjis("中　止");
    return GetResultLine(kRaceLine).IsEmpty() && Cut(GetSummaryLine(), kSummaryText) == kCancelled;
}

// --- Payout values --------------------------------------------------------------------------

int CKeluDoc::FindBetLine(EBet bet) const
{
    const CString& label = BetLabel(bet);
    for (int n = kFirstFollowingLine; n < kResultLines; ++n)
        if (Cut(GetResultLine(n), kBetLabel) == label)
            return n;
    return -1;
}

std::vector<int> CKeluDoc::FindBetLines(EBet bet) const
{
    std::vector<int> slots;
    int n = FindBetLine(bet);
    if (n < 0)
        return slots;
    slots.push_back(n);
    while (++n < kResultLines && IsContinuationLine(GetResultLine(n).Str()))
        slots.push_back(n);
    return slots;
}

std::vector<CString> CKeluDoc::GetBetLines(EBet bet) const
{
    std::vector<CString> lines;
    for (int n : FindBetLines(bet))
        lines.emplace_back(BetText(GetResultLine(n).Str()));
    return lines;
}

std::vector<std::pair<CKeluDoc::EBet, std::string_view>> CKeluDoc::GetAllBetLines() const
{
    // As FindBetLines: a bet is its first labelled line and the unlabelled ones below it.
    std::vector<std::pair<EBet, std::string_view>> lines;
    if (!IsSelectedRaceValid())
        return lines;
    bool bSeen[std::size(kBets)] = {};
    const EBet* pCurrent = nullptr; // the bet whose lines go on, if any
    for (int n = kFirstFollowingLine; n < kResultLines; ++n) {
        // Read where it lies: a reader of many days asks this of every race.
        const std::string_view line = m_szResult[m_nVenue][m_nRace][n];
        const std::string_view label = CutView(line, kBetLabel);
        const EBet* pBet = std::find_if(std::begin(kBets), std::end(kBets),
                                        [&](EBet bet) { return label == BetLabel(bet).Str(); });
        if (pBet != std::end(kBets) && !bSeen[static_cast<int>(*pBet)]) {
            pCurrent = pBet;
            bSeen[static_cast<int>(*pBet)] = true;
        } else if (!pCurrent || !IsContinuationLine(line)) {
            pCurrent = nullptr;
            continue;
        }
        lines.emplace_back(*pCurrent, BetText(line));
    }
    return lines;
}

std::string_view CKeluDoc::CutField(std::string_view line, EField field)
{
    return CutView(line, kFields[static_cast<int>(field)]);
}

std::vector<CString> CKeluDoc::GetWinningCombos(EBet bet) const
{
    std::vector<CString> combos;
    for (int n : FindBetLines(bet)) {
        const CString combo = GetComboText(n);
        if (!combo.IsEmpty() && !IsVoidBet(GetResultLine(n)))
            combos.push_back(combo);
    }
    return combos;
}

CString CKeluDoc::GetPayBoat(int n) const
{
    const CString line = GetResultLine(n);
    if (IsVoidBet(line))
        return VoidBetText();
    if (line.GetLength() < kPayLineMinLength)
        return CString();
    if (IsSpecialRefund(line))
        return Sjis("特払");
    // A bet that did not come off reads "不成立" from this byte on: half a character of it is
    // no boat number.
    if (CString::IsLeadByte(static_cast<unsigned char>(line.GetAt(kPayBoatPos))))
        return CString();
    return line.Mid(kPayBoatPos, 1);
}

CString CKeluDoc::GetPayAmount(int n) const
{
    const CString line = GetResultLine(n);
    if (line.GetLength() < kPayLineMinLength)
        return CString();
    if (IsSpecialRefund(line))
        return Cut(line, kRefundAmount);
    return line.GetLength() >= kPayAmountMinLength ? Cut(line, kPayAmount) : CString();
}

// Read from the place line found by its label: a shared first place gives the win bet a second
// line, and the place line comes after it.
CString CKeluDoc::GetPlaceBoat2() const
{
    const CString line = GetResultLine(FindBetLine(EBet::Place));
    return line.GetLength() >= kPlaceSecondMinLength ? Cut(line, kPlaceBoat2) : CString();
}

CString CKeluDoc::GetPlacePay2() const
{
    const CString line = GetResultLine(FindBetLine(EBet::Place));
    return line.GetLength() >= kPlaceSecondMinLength ? Cut(line, kPlacePay2) : CString();
}

int CKeluDoc::CountWinningLines(EBet bet) const
{
    const std::vector<int> slots = FindBetLines(bet);
    if (bet != EBet::Place)
        return static_cast<int>(slots.size());
    int nBoats = 0;
    for (int n : slots) {
        const CString line = GetResultLine(n);
        for (int nPos : kPlaceBoatPositions) {
            const char ch = line.GetAt(nPos);
            nBoats += ch >= '1' && ch <= '6' ? 1 : 0;
        }
    }
    return nBoats;
}

bool CKeluDoc::HasMoreThanShown(EBet bet) const
{
    // The place bet has two cells, one a boat; every other bet one, its first line.
    return CountWinningLines(bet) > (bet == EBet::Place ? 2 : 1);
}

CString CKeluDoc::MoreMark()
{
    return Sjis("他");
}

CString CKeluDoc::WithMoreMark(const CString& strShown, EBet bet) const
{
    return HasMoreThanShown(bet) && !strShown.IsEmpty() ? strShown + MoreMark() : strShown;
}

CString CKeluDoc::GetComboText(int n) const
{
    const CString line = GetResultLine(n);
    if (IsVoidBet(line))
        return VoidBetText();
    return line.GetLength() >= kComboMinLength ? Cut(line, kComboText) : CString();
}

CString CKeluDoc::GetComboPay(int n) const
{
    const CString line = GetResultLine(n);
    return line.GetLength() >= kComboMinLength ? Cut(line, kComboPay) : CString();
}

CString CKeluDoc::GetComboPopularity(int n) const
{
    const CString line = GetResultLine(n);
    return line.GetLength() >= kComboMinLength ? Cut(line, kComboPopularity) : CString();
}

// --- Watched-racer search -------------------------------------------------------------------

namespace {

// "\t<race>R <boat>枠 " for a race of the racer, followed once the race is decided by
// "<course>ｺｰｽ <place>着". The racer's name becomes the result's for a decided race and the
// program's for one still to come.
CString RaceOfRacer(const CKeluDoc& doc, int nRegNo, int r, int b, CString& strName)
{
    static const CString kFrame = Sjis("枠 ");
    static const CString kCourse = Sjis("ｺｰｽ ");
    static const CString kPlaced = Sjis("着");

    strName = doc.GetRacerName(b);
    CString text = CString::Formatted("\t%dR %d", r, b) + kFrame;
    for (int p = 1; p < CKeluDoc::kBoats; ++p) {
        if (AtoI(doc.GetFinishRegNo(p)) != nRegNo)
            continue;
        strName = doc.GetFinishName(p);
        const CString place = doc.GetFinishPlace(p);
        text += doc.GetFinishCourse(p) + kCourse + place;
        // "F", "K0", "S1"... are no place and get no "着".
        if (AtoI(place) >= 1)
            text += kPlaced;
        break;
    }
    return text;
}

} // namespace

CString CKeluDoc::FindRacerOfDay(int nRegNo)
{
    const int nOldVenue = m_nVenue;
    const int nOldRace = m_nRace;
    CString strName;
    CString strVenue;
    CString strRaces;
    // A blank registration field reads as 0: no racer is numbered 0, so 0 finds nobody.
    const bool bSearch = nRegNo > 0;
    // A racer rides at one venue a day: the first venue that has him ends the search.
    for (int v = 1; bSearch && v < kVenues && strRaces.IsEmpty(); ++v) {
        for (int r = 1; r < kRaces && HasRace(v, r); ++r) {
            SetSelection(v, r);
            for (int b = 1; b < kBoats; ++b) {
                if (AtoI(GetRegNo(b)) != nRegNo)
                    continue;
                strVenue.Format("%d", v);
                strRaces += RaceOfRacer(*this, nRegNo, r, b, strName);
            }
        }
    }
    // SetSelection skips zeros, so clearing first is what brings back "nothing selected".
    ClearSelection();
    SetSelection(nOldVenue, nOldRace);
    if (strName.IsEmpty())
        return CString();
    return strName + "\t" + strVenue + strRaces;
}
