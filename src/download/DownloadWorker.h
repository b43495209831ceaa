#pragma once
// One download on a thread of its own, for a window: the day and week downloads' and the
// period's. What the download tells (the lines of its log, its status, its end) reaches the
// window thread as queued calls on the receiver, in the order told: every line and status come
// before the end. Once the worker is destroyed the receiver hears nothing more.
//
// The window thread never waits for the download without a bound. A stop ends the transfers
// within a tenth of a second and the unpacking of one archive soon after; a download that has
// still not ended after kWaitMilliseconds (a disk that does not answer) is left to end on its
// own, holding what it needs, and tells no one.

#include "download/PeriodProgress.h"

#include <functional>
#include <memory>

class QObject;
class QThread;

class CDownloadWorker {
public:
    static constexpr int kWaitMilliseconds = 3000;

    struct CHandlers {
        std::function<void(const CString& strLine)> fnLine; // Shift-JIS, with its "\r\n"
        std::function<void(const CPeriodStatus& status)> fnStatus;
        std::function<void(int nSeconds)> fnWaiting;
        std::function<void()> fnEnded;
    };
    using CWork = std::function<void(IPeriodProgress& progress)>;

    // Starts the work at once.
    CDownloadWorker(QObject* pReceiver, CHandlers handlers, CWork work);
    // Stops the work and waits for it, within the bound.
    ~CDownloadWorker();
    CDownloadWorker(const CDownloadWorker&) = delete;
    CDownloadWorker& operator=(const CDownloadWorker&) = delete;

    // The user's stop: the work ends as soon as it can.
    void Stop();
    bool IsStopping() const;
    // Waits for the work to end, at most nMilliseconds; false when it has not ended.
    bool Wait(int nMilliseconds = kWaitMilliseconds);

private:
    struct CShared;
    std::shared_ptr<CShared> m_pShared;
    QThread* m_pThread = nullptr;
};
