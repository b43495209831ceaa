#include "record/PredictionRecord.h"

#include "model/KeluDoc.h"
#include "platform/Number.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using EBet = CKeluDoc::EBet;

// What a flat stake on each of nPicks picks a race paid back, in percent of the stakes.
double ReturnPercent(long long nReturn, int nRaces, int nPicks)
{
    return Percent(static_cast<double>(nReturn), static_cast<double>(nRaces) * nPicks * SRecordCount::kStake);
}

// The payout of each of a bet's winning lines whose combination is among the picks: in a dead
// heat two picks can both win.
long long PaidOnPicks(const CKeluDoc& doc, EBet bet, const std::vector<CString>& picks)
{
    long long nPaid = 0;
    for (int nSlot : doc.FindBetLines(bet)) {
        const CString combo = doc.GetComboText(nSlot);
        if (std::find(picks.begin(), picks.end(), combo) != picks.end())
            nPaid += AtoI(doc.GetComboPay(nSlot));
    }
    return nPaid;
}

// What the crowd's picks of a bet made of the race: the bet's winning lines whose popularity is
// within the first nPicks, as hits and as what a flat bet on those picks paid back.
void CrowdOnBet(const CKeluDoc& doc, EBet bet, int nPicks, int& nHits, long long& nReturn)
{
    const std::vector<CString> winners = doc.GetWinningCombos(bet);
    bool bHit = false;
    for (int nSlot : doc.FindBetLines(bet)) {
        const int nPopularity = AtoI(doc.GetComboPopularity(nSlot));
        if (nPopularity < 1 || nPopularity > nPicks ||
            std::find(winners.begin(), winners.end(), doc.GetComboText(nSlot)) == winners.end())
            continue;
        bHit = true;
        nReturn += AtoI(doc.GetComboPay(nSlot));
    }
    nHits = bHit ? 1 : 0;
}

bool AnyPicked(const std::vector<CString>& winners, const std::vector<CString>& picks)
{
    for (const CString& w : winners)
        if (std::find(picks.begin(), picks.end(), w) != picks.end())
            return true;
    return false;
}

bool HasAnyRace(const CKeluDoc& doc)
{
    for (int v = 1; v < CKeluDoc::kVenues; ++v)
        if (doc.HasRace(v, 1))
            return true;
    return false;
}

// "B200105.TXT" -> 5 January 2020; years 70..99 are the 1900s.
bool DayOfProgramFile(const std::string& name, CTime& day)
{
    if (name.size() != 11 || name[0] != 'B' || name.substr(7) != ".TXT")
        return false;
    for (size_t i = 1; i < 7; ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    const int yy = std::stoi(name.substr(1, 2));
    const int mm = std::stoi(name.substr(3, 2));
    const int dd = std::stoi(name.substr(5, 2));
    if (mm < 1 || mm > 12 || dd < 1 || dd > 31)
        return false;
    day = CTime(yy >= 70 ? 1900 + yy : 2000 + yy, mm, dd, 12, 0, 0);
    // 31 February normalises to March: not a day of its own.
    return day.IsValid() && day.GetMonth() == mm && day.GetDay() == dd;
}

// The threads take the days in turn: each one's days come back in order only once merged.
void AppendInOrder(std::vector<CTime>& days, const std::vector<CTime>& more)
{
    days.insert(days.end(), more.begin(), more.end());
    std::sort(days.begin(), days.end());
}

} // namespace

void SRecordCount::Add(const SRecordCount& other)
{
    nRaces += other.nRaces;
    nExactaHits += other.nExactaHits;
    nTrifectaHits += other.nTrifectaHits;
    nExactaReturn += other.nExactaReturn;
    nTrifectaReturn += other.nTrifectaReturn;
    nCrowdExactaHits += other.nCrowdExactaHits;
    nCrowdTrifectaHits += other.nCrowdTrifectaHits;
    nCrowdExactaReturn += other.nCrowdExactaReturn;
    nCrowdTrifectaReturn += other.nCrowdTrifectaReturn;
    nForecastExactaHits += other.nForecastExactaHits;
    nForecastTrifectaHits += other.nForecastTrifectaHits;
    nForecastExactaReturn += other.nForecastExactaReturn;
    nForecastTrifectaReturn += other.nForecastTrifectaReturn;
}

double SRecordCount::ExactaHitRate() const { return Percent(nExactaHits, nRaces); }
double SRecordCount::TrifectaHitRate() const { return Percent(nTrifectaHits, nRaces); }
double SRecordCount::ExactaReturnRate() const { return ReturnPercent(nExactaReturn, nRaces, kExactaPicks); }
double SRecordCount::TrifectaReturnRate() const { return ReturnPercent(nTrifectaReturn, nRaces, kTrifectaPicks); }
double SRecordCount::CrowdExactaHitRate() const { return Percent(nCrowdExactaHits, nRaces); }
double SRecordCount::CrowdTrifectaHitRate() const { return Percent(nCrowdTrifectaHits, nRaces); }
double SRecordCount::CrowdExactaReturnRate() const { return ReturnPercent(nCrowdExactaReturn, nRaces, kExactaPicks); }
double SRecordCount::CrowdTrifectaReturnRate() const
{
    return ReturnPercent(nCrowdTrifectaReturn, nRaces, kTrifectaPicks);
}
double SRecordCount::ForecastExactaHitRate() const { return Percent(nForecastExactaHits, nRaces); }
double SRecordCount::ForecastTrifectaHitRate() const { return Percent(nForecastTrifectaHits, nRaces); }
double SRecordCount::ForecastExactaReturnRate() const
{
    return ReturnPercent(nForecastExactaReturn, nRaces, kExactaPicks);
}
double SRecordCount::ForecastTrifectaReturnRate() const
{
    return ReturnPercent(nForecastTrifectaReturn, nRaces, kTrifectaPicks);
}

SRecordCount CPredictionRecord::RaceRecord(CKeluDoc& doc)
{
    SRecordCount c;
    if (doc.GetWinningCombos(EBet::Exacta).empty())
        return c;
    c.nRaces = 1;
    // Entry 1 computes the tables for the selected race, as the details page asks for them.
    std::vector<CString> exacta, trifecta;
    for (int k = 1; k <= SRecordCount::kExactaPicks; ++k)
        exacta.push_back(doc.GetExactaPick(k).Left(3));
    for (int k = 1; k <= SRecordCount::kTrifectaPicks; ++k)
        trifecta.push_back(doc.GetTrifectaPick(k));
    // As IsExactaHit and IsTrifectaHit judge, without computing the tables a second time.
    c.nExactaHits = AnyPicked(doc.GetWinningCombos(EBet::Exacta), exacta) ? 1 : 0;
    c.nTrifectaHits = AnyPicked(doc.GetWinningCombos(EBet::Trifecta), trifecta) ? 1 : 0;
    c.nExactaReturn = PaidOnPicks(doc, EBet::Exacta, exacta);
    c.nTrifectaReturn = PaidOnPicks(doc, EBet::Trifecta, trifecta);
    CrowdOnBet(doc, EBet::Exacta, SRecordCount::kExactaPicks, c.nCrowdExactaHits, c.nCrowdExactaReturn);
    CrowdOnBet(doc, EBet::Trifecta, SRecordCount::kTrifectaPicks, c.nCrowdTrifectaHits, c.nCrowdTrifectaReturn);
    return c;
}

int CPredictionRecord::AddDay(CKeluDoc& doc, const CTime& day)
{
    const int nMonth = day.GetYear() * 100 + day.GetMonth();
    int nCounted = 0;
    for (int v = 1; v < CKeluDoc::kVenues; ++v) {
        for (int r = 1; r < CKeluDoc::kRaces && doc.HasRace(v, r); ++r) {
            doc.SetSelection(v, r);
            const SRecordCount c = RaceRecord(doc);
            if (c.nRaces == 0)
                continue;
            m_byVenue[v].Add(c);
            m_byMonth[nMonth].Add(c);
            m_total.Add(c);
            ++nCounted;
        }
    }
    doc.ClearSelection();
    return nCounted;
}

void CPredictionRecord::Merge(const CPredictionRecord& other)
{
    for (const auto& [v, c] : other.m_byVenue)
        m_byVenue[v].Add(c);
    for (const auto& [m, c] : other.m_byMonth)
        m_byMonth[m].Add(c);
    m_total.Add(other.m_total);
    m_nDays += other.m_nDays;
    AppendInOrder(m_skippedDays, other.m_skippedDays);
    AppendInOrder(m_demoDays, other.m_demoDays);
}

std::vector<CTime> FindProgramDays()
{
    namespace fs = std::filesystem;
    std::vector<CTime> days;
    std::error_code ec;
    for (fs::directory_iterator it("data/prog", ec), end; !ec && it != end; it.increment(ec)) {
        CTime day;
        if (DayOfProgramFile(it->path().filename().string(), day))
            days.push_back(day);
    }
    std::sort(days.begin(), days.end());
    return days;
}

std::vector<CTime> FindRecordedDays()
{
    std::vector<CTime> days;
    std::error_code ec;
    for (const CTime& day : FindProgramDays())
        if (std::filesystem::is_regular_file(CKeluDoc::ResultFileName(day).Str(), ec))
            days.push_back(day);
    return days;
}

CPredictionRecord RecordDays(const std::vector<CTime>& days, int nThreads, const std::atomic<bool>& bStop,
                             const std::function<void(int nDone)>& progress)
{
    std::atomic<size_t> nNext{0};
    std::atomic<int> nDone{0};
    std::mutex merging;
    CPredictionRecord total;
    auto work = [&] {
        // A document is a megabyte of fixed arrays: one a thread, on the heap.
        auto doc = std::make_unique<CKeluDoc>();
        CPredictionRecord mine;
        for (size_t i = nNext++; i < days.size() && !bStop; i = nNext++) {
            const bool bRead = doc->LoadDay(days[i]) && !doc->IsDamaged() && HasAnyRace(*doc);
            if (bRead && doc->m_bDemoDay) {
                mine.m_demoDays.push_back(days[i]);
            } else if (bRead) {
                mine.AddDay(*doc, days[i]);
                ++mine.m_nDays;
            } else {
                mine.m_skippedDays.push_back(days[i]);
            }
            const int n = ++nDone;
            if (progress)
                progress(n);
        }
        const std::lock_guard lock(merging);
        total.Merge(mine);
    };
    const int nWorkers = std::clamp(nThreads, 1, 16);
    std::vector<std::thread> threads;
    for (int i = 1; i < nWorkers; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();
    return total;
}
