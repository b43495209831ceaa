#pragma once
// One run of the period download on a thread of its own, for a window. What the download
// tells (the lines of its log, its status, its end) reaches the window thread as queued calls
// on the receiver, in the order told: every line and every status come before the end. A
// receiver deleted meanwhile gets none of them.

#include "download/PeriodDownload.h"
#include "download/PeriodProgress.h"
#include "platform/gui/WorkerThread.h"

#include <functional>

class QObject;
struct CKeluNet;

class CPeriodWorker : public IPeriodProgress {
public:
    struct CHandlers {
        std::function<void(const CString& strLine)> fnLine; // Shift-JIS, with its "\r\n"
        std::function<void(const CPeriodStatus& status)> fnStatus;
        std::function<void()> fnEnded;
    };

    // Starts the run at once.
    CPeriodWorker(QObject* pReceiver, CHandlers handlers, const CKeluNet& net, const CString& strServer,
                  const CPeriodRequest& request);
    // Stops the run and waits for it (a tenth of a second).
    ~CPeriodWorker() override;
    CPeriodWorker(const CPeriodWorker&) = delete;
    CPeriodWorker& operator=(const CPeriodWorker&) = delete;

    // The user's stop: the run ends as soon as it can.
    void Stop() { m_bStop = true; }
    // Waits for the run to end; what it did.
    const CPeriodOutcome& Join();

    void AppendText(const CString& strText) override;
    const std::atomic<bool>& StopFlag() const override { return m_bStop; }
    void OnStatus(const CPeriodStatus& status) override;

private:
    QObject* m_pReceiver;
    CHandlers m_handlers;
    std::atomic<bool> m_bStop{false};
    // Written by the thread before it ends, read once it has been joined.
    CPeriodOutcome m_outcome;
    CWorkerThread m_thread;
};
