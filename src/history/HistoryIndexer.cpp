#include "history/HistoryIndexer.h"

#include "forecast/PastForm.h"
#include "history/DayRows.h"
#include "history/HistoryStore.h"
#include "history/RowKeys.h"
#include "history/StoredRace.h"
#include "model/KeluDoc.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <map>
#include <set>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

struct CHistoryIndexer::CDayOnDisk {
    CTime day;
    CDayFiles files;
};

namespace {

bool Stamp(const CString& path, long long& nSize, long long& nTime)
{
    struct stat st {};
    if (stat(path.GetString(), &st) != 0)
        return false;
    nSize = st.st_size;
    nTime = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return true;
}

} // namespace

// Every day with a program: a day whose results are not out yet is stored too, so that its
// races have their forecast before they are run; its result file, when it comes, changes the
// stamp and the day is read again.
std::vector<CHistoryIndexer::CDayOnDisk> CHistoryIndexer::DaysOnDisk()
{
    std::vector<CDayOnDisk> days;
    for (const CTime& day : FindProgramDays()) {
        CDayOnDisk d{day, {}};
        if (!Stamp(CKeluDoc::ProgramFileName(day), d.files.nProgramSize, d.files.nProgramTime))
            continue;
        if (!Stamp(CKeluDoc::ResultFileName(day), d.files.nResultSize, d.files.nResultTime))
            d.files.nResultSize = CDayFiles::kNoFile;
        days.push_back(d);
    }
    return days;
}

// Loaded days on their way from the workers to the writer. Bounded, so that workers faster than
// the writer wait instead of holding the whole year in memory.
class CHistoryIndexer::CDayQueue {
public:
    CDayQueue(size_t nCapacity, int nProducers) : m_nCapacity(nCapacity), m_nProducers(nProducers) {}

    // False when the writer has given up: the day is dropped.
    bool Push(CDayRows&& rows)
    {
        std::unique_lock lock(m_mutex);
        m_notFull.wait(lock, [&] { return m_bClosed || m_days.size() < m_nCapacity; });
        if (m_bClosed)
            return false;
        m_days.push_back(std::move(rows));
        m_notEmpty.notify_one();
        return true;
    }

    // A worker that takes no more days says so, or the writer would wait for it forever.
    void ProducerDone()
    {
        const std::lock_guard lock(m_mutex);
        --m_nProducers;
        m_notEmpty.notify_all();
    }

    // False when every worker is done and nothing is left.
    bool Pop(CDayRows& rows)
    {
        std::unique_lock lock(m_mutex);
        m_notEmpty.wait(lock, [&] { return !m_days.empty() || m_nProducers == 0; });
        if (m_days.empty())
            return false;
        rows = std::move(m_days.front());
        m_days.pop_front();
        m_notFull.notify_one();
        return true;
    }

    // Wakes and turns away every worker still pushing.
    void Close()
    {
        const std::lock_guard lock(m_mutex);
        m_bClosed = true;
        m_notFull.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_notFull, m_notEmpty;
    std::deque<CDayRows> m_days;
    size_t m_nCapacity;
    int m_nProducers;
    bool m_bClosed = false;
};

namespace {

CIndexSummary Failed(const std::string& strError)
{
    CIndexSummary summary;
    summary.bOk = false;
    summary.strError = strError;
    return summary;
}

int RacesOf(const CDayRows& rows)
{
    return static_cast<int>(rows.m_races.size());
}

} // namespace

CIndexSummary CHistoryIndexer::Update(int nThreads, const std::atomic<bool>& bStop,
                                      const std::function<void(int nDone, int nTotal)>& progress)
{
    CIndexSummary summary;
    std::map<int, CDayState> stored;
    if (!m_store.StoredDays(stored))
        return Failed(m_store.LastError());

    std::vector<CDayOnDisk> todo;
    for (const CDayOnDisk& d : DaysOnDisk()) {
        const auto it = stored.find(DateOf(d.day));
        if (it != stored.end() && it->second.files == d.files)
            ++summary.nUnchanged;
        else
            todo.push_back(d);
        if (it != stored.end())
            stored.erase(it);
    }
    // What is left was not found on disk.
    for (const auto& [nDate, state] : stored) {
        if (!m_store.RemoveDay(nDate))
            return Failed(m_store.LastError());
        summary.removed.push_back(nDate);
    }
    summary.nToIndex = static_cast<int>(todo.size());

    const int nWorkers = todo.empty() ? 0 : std::clamp(nThreads, 1, 16);
    CDayQueue queue(static_cast<size_t>(nWorkers) * 2, nWorkers);
    std::atomic<size_t> nNext{0};
    auto work = [&] {
        // A document is a megabyte of fixed arrays: one a thread, on the heap.
        auto doc = std::make_unique<CKeluDoc>();
        for (size_t i = nNext++; i < todo.size() && !bStop; i = nNext++)
            if (!queue.Push(CDayRows::Read(*doc, todo[i].day, todo[i].files)))
                break;
        queue.ProducerDone();
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < nWorkers; ++i)
        threads.emplace_back(work);

    if (m_pModel && m_pModel->IsUsable())
        WriteWithForecasts(todo, queue, nThreads, bStop, progress, summary);
    else
        WriteDays(todo, queue, bStop, progress, summary);
    queue.Close();
    for (std::thread& t : threads)
        t.join();
    m_store.Checkpoint();
    return summary;
}

void CHistoryIndexer::WriteDays(const std::vector<CDayOnDisk>& todo, CDayQueue& queue, const std::atomic<bool>& bStop,
                                const std::function<void(int, int)>& progress, CIndexSummary& summary)
{
    CDayRows rows;
    for (size_t nDone = 0; nDone < todo.size(); ++nDone) {
        if (bStop || !queue.Pop(rows)) {
            summary.bStopped = true;
            return;
        }
        if (!WriteDay(rows, summary))
            return;
        if (progress)
            progress(static_cast<int>(nDone + 1), static_cast<int>(todo.size()));
    }
}

bool CHistoryIndexer::WriteDay(const CDayRows& rows, CIndexSummary& summary)
{
    if (!m_store.WriteDay(rows)) {
        summary.bOk = false;
        summary.strError = m_store.LastError();
        return false;
    }
    summary.indexed.push_back({rows.m_state, RacesOf(rows)});
    return true;
}

// The days are written in date order, and each day's forecasts right after it, from its rows
// in memory: the forecasts of a day read the days before it, and reading back what was just
// written would cost as much again. The days not read again come from the store, from a
// window's length before the first day due.
void CHistoryIndexer::WriteWithForecasts(const std::vector<CDayOnDisk>& todo, CDayQueue& queue, int nThreads,
                                         const std::atomic<bool>& bStop,
                                         const std::function<void(int, int)>& progress, CIndexSummary& summary)
{
    auto fail = [&] {
        summary.bOk = false;
        summary.strError = m_store.LastError();
    };
    const std::string& strModel = m_pModel->m_strFingerprint;
    std::string strStoredModel;
    int nDueFrom = 0; // the first day due, as the store holds it
    if (!m_store.ReadForecastState(strStoredModel, nDueFrom))
        return fail();
    if (strStoredModel != strModel) {
        if (!m_store.RestartForecasts(strModel))
            return fail();
        nDueFrom = 0;
    }
    std::map<int, size_t> todoDates;
    for (size_t i = 0; i < todo.size(); ++i)
        todoDates[DateOf(todo[i].day)] = i;
    const int nFirstDue = std::min(nDueFrom, todoDates.empty() ? INT_MAX : todoDates.begin()->first);
    std::vector<int> storedDates;
    const int nWindowStart =
        rowkey::DateOfDayNumber(std::max(0LL, rowkey::DayNumber(std::max(nFirstDue, 19700101)) - CPastForm::kWindowDays));
    if (!m_store.ReadDates(nWindowStart, 99991231, storedDates))
        return fail();
    std::set<int> dates(storedDates.begin(), storedDates.end());
    for (const auto& [nDate, i] : todoDates)
        dates.insert(nDate);
    const int nSteps = static_cast<int>(std::count_if(dates.begin(), dates.end(), [&](int d) { return d >= nFirstDue; }));

    CForecastPass pass(*m_pModel, nThreads);
    CPastForm past;
    std::map<int, CDayRows> early; // days the workers delivered before their turn
    std::vector<CStoredRace> races;
    std::vector<CForecastRow> forecasts;
    int nDone = 0;
    for (const int nDate : dates) {
        if (bStop) {
            summary.bStopped = true;
            return;
        }
        const bool bDue = nDate >= nFirstDue;
        if (todoDates.count(nDate)) {
            CDayRows rows;
            while (!early.count(nDate)) {
                if (!queue.Pop(rows)) {
                    summary.bStopped = true;
                    return;
                }
                const int nGot = rows.m_state.nDate;
                early.emplace(nGot, std::move(rows));
            }
            rows = std::move(early.at(nDate));
            early.erase(nDate);
            if (!WriteDay(rows, summary))
                return;
            StoredRacesOf(rows, races);
            // Writing it marked the day due, if nothing before it was.
            nDueFrom = std::min(nDueFrom, nDate);
        } else if (!m_store.ReadStoredRaces(nDate, races)) {
            return fail();
        }
        const int nDay = static_cast<int>(rowkey::DayNumber(nDate));
        past.MoveTo(nDay);
        if (bDue) {
            pass.ForecastDay(races, past, forecasts);
            if (!m_store.WriteForecastDay(nDate, strModel, nDueFrom, forecasts))
                return fail();
            nDueFrom = rowkey::DateOfDayNumber(nDay + 1);
            ++summary.nForecastDays;
            if (progress)
                progress(++nDone, nSteps);
        }
        for (const CStoredRace& race : races)
            past.AddRace(nDay, race.race);
        past.EndDay(nDay);
    }
}
