#pragma once
// Brings the history store up to date with the day files: every day of data/prog and data/res
// that is new, or whose files changed size or modification time since it was read, is read
// again; days whose files are gone leave the store.
//
// Days are loaded and worked out on worker threads, each with a document of its own, and
// written by the calling thread, one transaction a day, through the store's connection. Call it
// off the window thread; it returns when done, stopped or failed.

#include "history/DayState.h"
#include "history/ForecastPass.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

class CDayRows;
class CHistoryStore;

struct CIndexedDay {
    CDayState state;
    int nRaces = 0;
};

struct CIndexSummary {
    bool bOk = true;
    std::string strError;
    bool bStopped = false;
    int nToIndex = 0;                 // days found new or changed
    std::vector<CIndexedDay> indexed; // as they were written, which is not date order
    std::vector<int> removed;         // dates
    int nUnchanged = 0;
    int nForecastDays = 0; // days whose forecasts were made, when a model was given
};

class CHistoryIndexer {
public:
    // With a model, the stored forecasts follow the days written and the model.
    explicit CHistoryIndexer(CHistoryStore& store, const CForecastModel* pModel = nullptr)
        : m_store(store), m_pModel(pModel)
    {
    }

    // Loads on up to nThreads threads. progress(done, total) is called on the calling thread
    // after each day written, and then after each day forecast; bStop ends the work after the
    // day being written, and the days not written yet are left for the next update.
    CIndexSummary Update(int nThreads, const std::atomic<bool>& bStop,
                         const std::function<void(int nDone, int nTotal)>& progress = {});

private:
    struct CDayOnDisk;
    class CDayQueue;
    static std::vector<CDayOnDisk> DaysOnDisk();
    // Writes the days as the workers deliver them.
    void WriteDays(const std::vector<CDayOnDisk>& todo, CDayQueue& queue, const std::atomic<bool>& bStop,
                   const std::function<void(int, int)>& progress, CIndexSummary& summary);
    // Writes them in date order, with the forecasts of every day from the first due.
    void WriteWithForecasts(const std::vector<CDayOnDisk>& todo, CDayQueue& queue, int nThreads,
                            const std::atomic<bool>& bStop, const std::function<void(int, int)>& progress,
                            CIndexSummary& summary);
    bool WriteDay(const CDayRows& rows, CIndexSummary& summary);

    CHistoryStore& m_store;
    const CForecastModel* m_pModel;
};
