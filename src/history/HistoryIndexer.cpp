#include "history/HistoryIndexer.h"

#include "history/DayRows.h"
#include "history/HistoryStore.h"
#include "model/KeluDoc.h"

#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace {

struct CDayOnDisk {
    CTime day;
    CDayFiles files;
};

bool Stamp(const CString& path, long long& nSize, long long& nTime)
{
    struct stat st {};
    if (stat(path.GetString(), &st) != 0)
        return false;
    nSize = st.st_size;
    nTime = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return true;
}

// Every day with a program: a day whose results are not out yet is stored too, so that its
// races have their forecast before they are run; its result file, when it comes, changes the
// stamp and the day is read again.
std::vector<CDayOnDisk> DaysOnDisk()
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
class CDayQueue {
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

    CDayRows rows;
    for (size_t nDone = 0; nDone < todo.size(); ++nDone) {
        if (bStop || !queue.Pop(rows)) {
            summary.bStopped = true;
            break;
        }
        if (!m_store.WriteDay(rows)) {
            summary.bOk = false;
            summary.strError = m_store.LastError();
            break;
        }
        summary.indexed.push_back({rows.m_state, RacesOf(rows)});
        if (progress)
            progress(static_cast<int>(nDone + 1), static_cast<int>(todo.size()));
    }
    queue.Close();
    for (std::thread& t : threads)
        t.join();
    if (m_pModel && m_pModel->IsUsable() && summary.bOk && !summary.bStopped) {
        summary.forecast = CForecastPass(m_store, *m_pModel).Run(bStop, progress);
        summary.bStopped = summary.forecast.bStopped;
        if (!summary.forecast.bOk) {
            summary.bOk = false;
            summary.strError = summary.forecast.strError;
        }
    }
    m_store.Checkpoint();
    return summary;
}
