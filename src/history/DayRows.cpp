#include "history/DayRows.h"

#include "forecast/HomeBranch.h"
#include "history/RowKeys.h"

#include "model/KeluDoc.h"
#include "platform/Number.h"
#include "platform/Sjis.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <tuple>

namespace {

using EBet = CKeluDoc::EBet;

// Where the race header of a program carries the race's title and its distance ("Ｈ１８００ｍ").
constexpr int kTitlePos = 8;
constexpr int kTitleLength = 12;
constexpr int kDistancePos = 30;
constexpr int kDistanceLength = 12;
// The whole start timing of a finishing line: a blank, or F, L or K, then "0.18".
constexpr int kStartFieldPos = 50;
constexpr int kStartFieldLength = 5;
// The motor's and the hull's two-place rates whole, right-aligned: "100.00" fills all six bytes.
constexpr int kMotorRatePos = 49;
constexpr int kHullRatePos = 58;
constexpr int kFullRateLength = 6;

// The text without blanks around it, half-width or full-width: "予　選　　　" gives "予　選".
CString WithoutBlanks(std::string_view bytes)
{
    static const CString kFullWidthBlank = Sjis("　");
    size_t nFirst = std::string::npos, nEnd = 0;
    for (size_t i = 0; i < bytes.size();) {
        const size_t nChar = CString::IsLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
        const bool bBlank = bytes.compare(i, nChar, kFullWidthBlank.Str()) == 0 || bytes[i] == ' ' || bytes[i] == '\t';
        if (!bBlank) {
            if (nFirst == std::string::npos)
                nFirst = i;
            nEnd = i + nChar;
        }
        i += nChar;
    }
    return nFirst == std::string::npos ? CString() : CString(bytes.substr(nFirst, nEnd - nFirst));
}

// A registration number, 0 when the text holds none.
int RegNo(std::string_view s)
{
    return static_cast<int>(LeadingInt(s).value_or(0));
}

// "Ｈ１８００ｍ": the full-width digits (0x82 0x4F..0x58) and any half-width ones, read as one
// number.
std::optional<long long> Distance(std::string_view s)
{
    long long n = 0;
    bool bAny = false;
    for (size_t i = 0; i < s.size(); ++i) {
        const auto ch = static_cast<unsigned char>(s[i]);
        if (CString::IsLeadByte(ch)) {
            const auto trail = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
            if (ch == 0x82 && trail >= 0x4F && trail <= 0x58) {
                n = n * 10 + (trail - 0x4F);
                bAny = true;
            }
            ++i;
        } else if (IsDigit(static_cast<char>(ch))) {
            n = n * 10 + (ch - '0');
            bAny = true;
        }
    }
    return bAny ? std::optional<long long>(n) : std::nullopt;
}

// " 0.18" gives 18 and "F0.03" -3, a flying start being that far ahead of the signal; "L1.04"
// and "K .  " give none: they are no start to time.
std::optional<long long> StartTiming(std::string_view s)
{
    if (s.size() < 5 || (s[0] != ' ' && s[0] != 'F') || !IsDigit(s[1]) || s[2] != '.' || !IsDigit(s[3]) ||
        !IsDigit(s[4]))
        return std::nullopt;
    const long long n = (s[1] - '0') * 100 + (s[3] - '0') * 10 + (s[4] - '0');
    return s[0] == 'F' ? -n : n;
}

// "1.50.1" gives 1101 tenths; " .  . " none.
std::optional<long long> RaceTime(std::string_view s)
{
    if (s.size() < 6 || !IsDigit(s[0]) || s[1] != '.' || !IsDigit(s[2]) || !IsDigit(s[3]) || s[4] != '.' ||
        !IsDigit(s[5]))
        return std::nullopt;
    return (s[0] - '0') * 600 + ((s[2] - '0') * 10 + (s[3] - '0')) * 10 + (s[5] - '0');
}

// The boats of each pick, best first: "1-2", "1-3" give "1213".
CString PickDigits(const CString* pPicks, int nPicks)
{
    std::string digits;
    digits.reserve(static_cast<size_t>(nPicks) * 3);
    for (int k = 0; k < nPicks; ++k)
        for (char ch : pPicks[k].Str())
            if (IsDigit(ch))
                digits += ch;
    return CString(std::move(digits));
}

// At most nLength bytes from nPos on; nothing when the text ends before.
std::string_view Slice(std::string_view s, size_t nPos, size_t nLength)
{
    return nPos < s.size() ? s.substr(nPos, nLength) : std::string_view();
}

// The words of a text, split at blanks (never a byte of a double-byte character), into words.
void SplitWords(std::string_view s, std::vector<std::string_view>& words)
{
    words.clear();
    for (size_t i = s.find_first_not_of(' '); i != std::string::npos; i = s.find_first_not_of(' ', i)) {
        const size_t nEnd = std::min(s.find(' ', i), s.size());
        words.push_back(s.substr(i, nEnd - i));
        i = nEnd;
    }
}

// The racer index as the picks were worked out from it; none for a boat without one.
std::optional<long long> IndexHundredths(double dIndex)
{
    return dIndex > 0 ? std::optional<long long>(std::llround(dIndex * 100)) : std::nullopt;
}

EOutcome Outcome(const CKeluDoc& doc, const SRecordCount& record)
{
    // A race the record could judge was neither void nor cancelled: most races need no look at
    // every line of their result.
    if (record.nRaces > 0)
        return EOutcome::Decided;
    if (doc.IsRaceCancelled())
        return EOutcome::Cancelled;
    return doc.IsRaceVoid() ? EOutcome::Void : EOutcome::NoResult;
}

bool HasAnyVenue(const CKeluDoc& doc)
{
    for (int v = 1; v < CKeluDoc::kVenues; ++v)
        if (doc.HasRace(v, 1))
            return true;
    return false;
}

EDamage DamageOf(CReadStop::EKind kind)
{
    return kind == CReadStop::EKind::LineTooLong ? EDamage::LineTooLong : EDamage::Truncated;
}

// Why a day counts for nothing, if it does not.
void JudgeDay(const CKeluDoc& doc, const CTime& day, bool bLoaded, CDayState& state)
{
    state.state = EDayState::Damaged;
    if (!bLoaded) {
        state.damage = EDamage::Unreadable;
        const CString program = CKeluDoc::ProgramFileName(day);
        state.strDamageFile = std::filesystem::exists(program.Str()) ? CKeluDoc::ResultFileName(day) : program;
    } else if (doc.IsDamaged()) {
        state.damage = DamageOf(doc.m_readStop.kind);
        state.strDamageFile = doc.m_readStop.strFile;
        state.nDamageLine = doc.m_readStop.nLine;
        state.nDamageVenue = doc.m_readStop.nVenue;
    } else if (!HasAnyVenue(doc)) {
        state.damage = EDamage::NoRaces;
        state.strDamageFile = CKeluDoc::ProgramFileName(day);
    } else {
        state.state = doc.m_bDemoDay ? EDayState::Demo : EDayState::Read;
    }
}

} // namespace

int DateOf(const CTime& day)
{
    return day.GetYear() * 10000 + day.GetMonth() * 100 + day.GetDay();
}

CDayRows CDayRows::Read(CKeluDoc& doc, const CTime& day, const CDayFiles& files)
{
    CDayRows rows;
    rows.m_state.nDate = DateOf(day);
    rows.m_state.files = files;
    // A day whose results are not out yet is read for its programs.
    const bool bLoaded = doc.LoadDay(day) || files.nResultSize == CDayFiles::kNoFile;
    JudgeDay(doc, day, bLoaded, rows.m_state);
    if (rows.m_state.state != EDayState::Read)
        return rows;
    // A day of 24 venues at most: room for all of it at once.
    rows.m_races.reserve(static_cast<size_t>(CKeluDoc::kVenues - 1) * (CKeluDoc::kRaces - 1));
    rows.m_entries.reserve(rows.m_races.capacity() * (CKeluDoc::kBoats - 1));
    rows.m_payouts.reserve(rows.m_races.capacity() * 12);
    for (int v = 1; v < CKeluDoc::kVenues; ++v)
        for (int r = 1; r < CKeluDoc::kRaces && doc.HasRace(v, r); ++r)
            rows.ReadRace(doc, v, r);
    doc.ClearSelection();
    // In the order the store keeps them, so that they are written one after the other, and
    // the writer reads them from one end to the other. Entries are large: their keys are
    // sorted, and each is moved once.
    std::vector<std::pair<long long, size_t>> order(rows.m_entries.size());
    for (size_t i = 0; i < rows.m_entries.size(); ++i) {
        const CEntryRow& e = rows.m_entries[i];
        order[i] = {rowkey::Entry(0, e.nRegNo, rowkey::RaceOfDay(e.nVenue, e.nRace), e.nBoat), i};
    }
    std::sort(order.begin(), order.end());
    std::vector<CEntryRow> sorted;
    sorted.reserve(order.size());
    for (const auto& [nKey, i] : order)
        sorted.push_back(std::move(rows.m_entries[i]));
    rows.m_entries = std::move(sorted);
    return rows;
}

void CDayRows::ReadRace(CKeluDoc& doc, int nVenue, int nRace)
{
    using EField = CKeluDoc::EField;
    doc.SetSelection(nVenue, nRace);
    CRaceRow& row = m_races.emplace_back();
    row.nVenue = nVenue;
    row.nRace = nRace;
    const std::string_view header = doc.m_szProgram[nVenue][nRace][0];
    row.nDistance = Distance(Slice(header, kDistancePos, kDistanceLength));
    row.strTitle = WithoutBlanks(Slice(header, kTitlePos, kTitleLength));
    const std::string_view raceLine = doc.m_szResult[nVenue][nRace][0];
    if (!raceLine.empty()) {
        row.strWeather = WithoutBlanks(CKeluDoc::CutField(raceLine, EField::Weather));
        row.strWindDirection = WithoutBlanks(CKeluDoc::CutField(raceLine, EField::WindDirection));
        row.nWindSpeed = LeadingInt(CKeluDoc::CutField(raceLine, EField::WindSpeed));
        row.nWave = LeadingInt(CKeluDoc::CutField(raceLine, EField::WaveHeight));
    }
    row.strTechnique = WithoutBlanks(CKeluDoc::CutField(doc.m_szResult[nVenue][nRace][1], EField::WinningMove));

    // The record's judgement works out the picks of a decided race, as the details page does,
    // and the indexes come with them. A race it cannot judge keeps its indexes only: its picks
    // would count for nothing until its result comes, and with it the day is read again.
    row.record = CPredictionRecord::RaceRecord(doc);
    const bool bPicked = row.record.nRaces > 0 && !doc.GetClass(1).IsEmpty();
    for (int b = 1; b < CKeluDoc::kBoats; ++b)
        row.racerIndex[b - 1] = bPicked ? IndexHundredths(doc.m_dPickIndex[b]) : Hundredths(doc.GetRacerIndex(b).Str());
    if (bPicked) {
        row.strExactaPicks = PickDigits(&doc.m_strExactaPick[1], SRecordCount::kExactaPicks);
        row.strTrifectaPicks = PickDigits(&doc.m_strTrifectaPick[1], SRecordCount::kTrifectaPicks);
    }
    row.outcome = Outcome(doc, row.record);
    if (row.record.nRaces > 0)
        m_byVenue[nVenue].Add(row.record);
    ReadEntries(doc, nVenue, nRace);
    ReadPayouts(doc, nVenue, nRace);
}

void CDayRows::ReadEntries(const CKeluDoc& doc, int nVenue, int nRace)
{
    using EField = CKeluDoc::EField;
    auto cut = [](std::string_view line, EField field) { return CKeluDoc::CutField(line, field); };
    // Each line is read where it lies, value by value: a day has a thousand entries.
    std::string_view finishes[CKeluDoc::kBoats - 1];
    int finishRegNo[CKeluDoc::kBoats - 1];
    for (int p = 0; p < CKeluDoc::kBoats - 1; ++p) {
        finishes[p] = doc.m_szFinish[nVenue][nRace][p];
        finishRegNo[p] = RegNo(cut(finishes[p], EField::FinishRegNo));
    }
    for (int b = 1; b < CKeluDoc::kBoats; ++b) {
        const std::string_view line = doc.m_szProgram[nVenue][nRace][b];
        if (line.empty())
            continue;
        CEntryRow& e = m_entries.emplace_back();
        e.nVenue = nVenue;
        e.nRace = nRace;
        e.nBoat = b;
        // Four digits; anything else is no number the store can key a racer by.
        e.nRegNo = RegNo(cut(line, EField::RegNo));
        e.nRegNo = e.nRegNo >= 0 && e.nRegNo < rowkey::kRacers ? e.nRegNo : 0;
        e.strName = WithoutBlanks(cut(line, EField::RacerName));
        e.strClass = CString(Trimmed(cut(line, EField::Class)));
        e.nWinRate = Hundredths(cut(line, EField::WinRate));
        e.nTwoRate = Hundredths(cut(line, EField::TwoRate));
        e.nLocalWinRate = Hundredths(cut(line, EField::LocalWinRate));
        e.nLocalTwoRate = Hundredths(cut(line, EField::LocalTwoRate));
        e.nMotor = LeadingInt(cut(line, EField::MotorNo));
        e.nMotorRate = Hundredths(cut(line, EField::MotorRate));
        e.nHull = LeadingInt(cut(line, EField::HullNo));
        e.nHullRate = Hundredths(cut(line, EField::BoatRate));
        e.nMotorRateFull = Hundredths(Slice(line, kMotorRatePos, kFullRateLength));
        e.nHullRateFull = Hundredths(Slice(line, kHullRatePos, kFullRateLength));
        e.nAge = LeadingInt(cut(line, EField::Age));
        e.nWeight = LeadingInt(cut(line, EField::Weight));
        e.bHome = IsHomeBranch(nVenue, Trimmed(cut(line, EField::Branch)));
        e.strMeet = CString(TrimmedRight(cut(line, EField::MeetResults)));
        e.nEarlyRace = LeadingInt(cut(line, EField::EarlyRace));
        // The racer's finishing line is the one with the racer's number.
        const auto* pFinish = std::find(std::begin(finishRegNo), std::end(finishRegNo), e.nRegNo);
        if (e.nRegNo > 0 && pFinish != std::end(finishRegNo)) {
            const std::string_view finish = finishes[pFinish - std::begin(finishRegNo)];
            e.strCourse = CString(Trimmed(cut(finish, EField::FinishCourse)));
            e.strStart = CString(Trimmed(cut(finish, EField::FinishStart)));
            e.strPlace = CString(Trimmed(cut(finish, EField::FinishPlace)));
            e.nStartTiming = StartTiming(Slice(finish, kStartFieldPos, kStartFieldLength));
            e.nTime = RaceTime(cut(finish, EField::FinishTime));
            e.nExhibition = Hundredths(cut(finish, EField::FinishExhibition));
        }
    }
}

void CDayRows::ReadPayouts(const CKeluDoc& doc, int nVenue, int nRace)
{
    static const CString kPopularity = Sjis("人気");
    int nLine = 0;
    std::optional<EBet> last;
    std::vector<std::string_view> words;
    for (const auto& [bet, text] : doc.GetAllBetLines()) {
        nLine = bet == last ? nLine : 0;
        last = bet;
        SplitWords(text, words);
        auto add = [&](size_t nCombo, size_t nPay, std::optional<size_t> nPopularity) {
            // Even a dead heat of three gives a bet far fewer lines than its keys have room for.
            if (nLine >= rowkey::kPayoutLinesPerBet || nCombo >= words.size())
                return;
            m_payouts.push_back({nVenue, nRace, static_cast<int>(bet), nLine++, CString(words[nCombo]),
                                 nPay < words.size() ? LeadingInt(words[nPay]) : std::nullopt,
                                 nPopularity && *nPopularity < words.size() ? LeadingInt(words[*nPopularity])
                                                                            : std::nullopt});
        };
        if (bet == EBet::Win || bet == EBet::Place) {
            // "3          250  5          390": a boat and its payout, as often as the bet won.
            for (size_t w = 0; w < words.size(); w += 2)
                add(w, w + 1, std::nullopt);
        } else {
            // "2-3       1020  人気     7", or "不成立" alone.
            add(0, 1, words.size() > 3 && words[2] == kPopularity.Str() ? std::optional<size_t>(3) : std::nullopt);
        }
    }
}
