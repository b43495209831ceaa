#include "historytool/DataCsv.h"

#include "history/DayRows.h"
#include "history/HistoryStore.h"
#include "history/RacerCsv.h"
#include "history/RacerRecord.h"
#include "history/RowKeys.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"
#include "platform/Time.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iterator>

namespace {

void AddInt(std::string& s, long long n)
{
    char sz[24];
    s.append(sz, std::to_chars(sz, sz + sizeof sz, n).ptr);
}

void AddInt(std::string& s, const std::optional<long long>& n)
{
    if (n)
        AddInt(s, *n);
}

void AddHundredths(std::string& s, const std::optional<long long>& n)
{
    if (n)
        s += CRacerCsv::HundredthsText(*n);
}

// A text as a CSV field: in double quotes, its own doubled, when it holds a comma, a quote or a
// line end. Names and codes come from the day files, which a damaged file may fill with those.
void AddText(std::string& s, std::string_view utf8)
{
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
        s += utf8;
        return;
    }
    s += '"';
    for (char ch : utf8)
        s.append(ch == '"' ? 2 : 1, ch);
    s += '"';
}

// Shift-JIS text that is mostly ASCII ("B1", "K0", "1-2") converted only when it is not.
void AddSjis(std::string& s, std::string_view sjis)
{
    if (std::all_of(sjis.begin(), sjis.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x80; }))
        AddText(s, sjis);
    else
        AddText(s, SjisToUtf8(sjis));
}

// What an entry's row is written from.
struct CEntryFields {
    const std::string& date;
    const CEntryRow& e;
    const std::string& name; // as written
};

struct CEntryColumn {
    const char* pszTitle;
    void (*pfnAdd)(std::string&, const CEntryFields&);
};

// The result's columns are NULL in the store, and so empty here, for a boat without a finishing
// line.
const CEntryColumn kEntryColumns[] = {
    {"date", [](std::string& s, const CEntryFields& f) { s += f.date; }},
    {"venue", [](std::string& s, const CEntryFields& f) { AddInt(s, f.e.nVenue); }},
    {"race", [](std::string& s, const CEntryFields& f) { AddInt(s, f.e.nRace); }},
    {"boat", [](std::string& s, const CEntryFields& f) { AddInt(s, f.e.nBoat); }},
    // Four digits as the program writes them; the store keeps 0 for a field that held no number.
    {"regno",
     [](std::string& s, const CEntryFields& f) {
         char sz[16];
         if (f.e.nRegNo > 0 && std::snprintf(sz, sizeof sz, "%04d", f.e.nRegNo) > 0)
             s += sz;
     }},
    {"name", [](std::string& s, const CEntryFields& f) { AddText(s, f.name); }},
    {"class", [](std::string& s, const CEntryFields& f) { AddSjis(s, f.e.strClass.Str()); }},
    {"age", [](std::string& s, const CEntryFields& f) { AddInt(s, f.e.nAge); }},
    {"weight", [](std::string& s, const CEntryFields& f) { AddInt(s, f.e.nWeight); }},
    {"win_rate", [](std::string& s, const CEntryFields& f) { AddHundredths(s, f.e.nWinRate); }},
    {"two_rate", [](std::string& s, const CEntryFields& f) { AddHundredths(s, f.e.nTwoRate); }},
    {"local_win_rate", [](std::string& s, const CEntryFields& f) { AddHundredths(s, f.e.nLocalWinRate); }},
    {"local_two_rate", [](std::string& s, const CEntryFields& f) { AddHundredths(s, f.e.nLocalTwoRate); }},
    {"motor", [](std::string& s, const CEntryFields& f) { AddInt(s, f.e.nMotor); }},
    {"motor_two_rate", [](std::string& s, const CEntryFields& f) { AddHundredths(s, f.e.nMotorRateFull); }},
    {"hull", [](std::string& s, const CEntryFields& f) { AddInt(s, f.e.nHull); }},
    {"hull_two_rate", [](std::string& s, const CEntryFields& f) { AddHundredths(s, f.e.nHullRateFull); }},
    {"exhibition", [](std::string& s, const CEntryFields& f) { AddHundredths(s, f.e.nExhibition); }},
    {"course",
     [](std::string& s, const CEntryFields& f) {
         if (CourseNumber(f.e.strCourse.Str()) != 0)
             s += f.e.strCourse.Str();
     }},
    {"start_timing", [](std::string& s, const CEntryFields& f) { s += CRacerCsv::StartTiming(f.e.nStartTiming); }},
    {"place",
     [](std::string& s, const CEntryFields& f) {
         if (const int n = PlaceNumber(f.e.strPlace.Str()))
             AddInt(s, n);
     }},
    {"status",
     [](std::string& s, const CEntryFields& f) {
         if (!PlaceNumber(f.e.strPlace.Str()))
             AddSjis(s, f.e.strPlace.Str());
     }},
};

// What a payout line's row is written from.
struct CPayoutFields {
    const std::string& date;
    const CPayoutRow& p;
    bool bRefund; // a special refund: the combination reads "特払い"
    bool bVoid;   // a bet that did not stand: "不成立"
};

struct CPayoutColumn {
    const char* pszTitle;
    void (*pfnAdd)(std::string&, const CPayoutFields&);
};

// The bets in the order of CKeluDoc::EBet.
constexpr const char* kBetNames[] = {"win", "place", "exacta", "quinella", "wide", "trifecta", "trio"};
static_assert(std::size(kBetNames) == static_cast<size_t>(CKeluDoc::EBet::Trio) + 1);

const CPayoutColumn kPayoutColumns[] = {
    {"date", [](std::string& s, const CPayoutFields& f) { s += f.date; }},
    {"venue", [](std::string& s, const CPayoutFields& f) { AddInt(s, f.p.nVenue); }},
    {"race", [](std::string& s, const CPayoutFields& f) { AddInt(s, f.p.nRace); }},
    {"bet",
     [](std::string& s, const CPayoutFields& f) {
         if (f.p.nBet >= 0 && f.p.nBet < static_cast<int>(std::size(kBetNames)))
             s += kBetNames[f.p.nBet];
     }},
    {"combination",
     [](std::string& s, const CPayoutFields& f) {
         if (!f.bRefund && !f.bVoid)
             AddSjis(s, f.p.strCombo.Str());
     }},
    {"payout",
     [](std::string& s, const CPayoutFields& f) {
         if (!f.bVoid)
             AddInt(s, f.p.nPay);
     }},
    {"popularity", [](std::string& s, const CPayoutFields& f) { AddInt(s, f.p.nPopularity); }},
    {"status",
     [](std::string& s, const CPayoutFields& f) {
         if (f.bRefund || f.bVoid)
             s += f.bRefund ? "特払い" : "不成立";
     }},
};

template <class TColumn, size_t N, class TFields>
void AddRow(std::string& s, const TColumn (&columns)[N], const TFields& fields)
{
    for (size_t i = 0; i < N; ++i) {
        if (i > 0)
            s += ',';
        columns[i].pfnAdd(s, fields);
    }
    s += '\n';
}

template <class TColumn, size_t N>
std::string HeaderOf(const TColumn (&columns)[N])
{
    std::string s;
    for (size_t i = 0; i < N; ++i)
        s += std::string(i > 0 ? "," : "") + columns[i].pszTitle;
    return s + "\n";
}

} // namespace

std::string CDataCsv::EntriesHeader()
{
    return HeaderOf(kEntryColumns);
}

std::string CDataCsv::PayoutsHeader()
{
    return HeaderOf(kPayoutColumns);
}

const std::string& CDataCsv::Name(std::string_view sjis)
{
    std::string key(sjis);
    auto it = m_names.find(key);
    if (it == m_names.end()) {
        static const std::string kFullWidthBlank = "　";
        std::string name = SjisToUtf8(sjis);
        for (size_t n; (n = name.find(kFullWidthBlank)) != std::string::npos;)
            name.erase(n, kFullWidthBlank.size());
        it = m_names.emplace(std::move(key), std::move(name)).first;
    }
    return it->second;
}

bool CDataCsv::AddEntries(CHistoryStore& store, int nDate, std::string& lines)
{
    const std::string date = DateText(nDate, '-');
    m_day.clear();
    m_spans.clear();
    // The store keeps a day's entries by racer; they are written by race, each day sorted apart.
    const bool bRead = store.ReadEntries(nDate, [&](const CEntryRow& e) {
        const size_t nStart = m_day.size();
        AddRow(m_day, kEntryColumns, CEntryFields{date, e, Name(e.strName.Str())});
        m_spans.push_back({rowkey::RaceOfDay(e.nVenue, e.nRace) * 8 + e.nBoat, nStart, m_day.size() - nStart});
    });
    if (!bRead)
        return false;
    std::sort(m_spans.begin(), m_spans.end(), [](const CRowSpan& a, const CRowSpan& b) { return a.nOrder < b.nOrder; });
    for (const CRowSpan& span : m_spans)
        lines.append(m_day, span.nStart, span.nLength);
    return true;
}

bool CDataCsv::AddPayouts(CHistoryStore& store, int nDate, std::string& lines)
{
    static const CString kRefund = Sjis("特払い");
    static const CString kVoid = Sjis("不成立");
    const std::string date = DateText(nDate, '-');
    // The store keeps them in the order they are written.
    return store.ReadPayouts(nDate, [&](const CPayoutRow& p) {
        AddRow(lines, kPayoutColumns, CPayoutFields{date, p, p.strCombo == kRefund, p.strCombo == kVoid});
    });
}
