#include "download/DownloadWorker.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QThread>

#include <mutex>

// Shared by the worker and its thread, so that a thread left to end on its own still has it.
struct CDownloadWorker::CShared : IPeriodProgress {
    std::mutex mutex;
    QObject* pReceiver = nullptr; // null once the worker is gone
    CHandlers handlers;
    std::atomic<bool> bStop{false};

    // Posts the call to the receiver while there is one.
    void Post(std::function<void()> fnCall)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (pReceiver)
            QMetaObject::invokeMethod(pReceiver, std::move(fnCall), Qt::QueuedConnection);
    }
    void AppendText(const CString& strText) override
    {
        Post([fnLine = handlers.fnLine, strText] { fnLine(strText); });
    }
    const std::atomic<bool>& StopFlag() const override { return bStop; }
    void OnStatus(const CPeriodStatus& status) override
    {
        if (handlers.fnStatus)
            Post([fnStatus = handlers.fnStatus, status] { fnStatus(status); });
    }
    void OnWaiting(int nSeconds) override
    {
        if (handlers.fnWaiting)
            Post([fnWaiting = handlers.fnWaiting, nSeconds] { fnWaiting(nSeconds); });
    }
};

namespace {

// A Qt thread, for the queued calls it makes (platform/gui/WorkerThread.h says why).
QThread* StartThread(std::function<void()> fnWork)
{
    QThread* pThread = QThread::create(std::move(fnWork));
    pThread->start();
    return pThread;
}

} // namespace

CDownloadWorker::CDownloadWorker(QObject* pReceiver, CHandlers handlers, CWork work)
    : m_pShared(std::make_shared<CShared>())
{
    m_pShared->pReceiver = pReceiver;
    m_pShared->handlers = std::move(handlers);
    m_pThread = StartThread([pShared = m_pShared, work = std::move(work)] {
        work(*pShared);
        pShared->Post([fnEnded = pShared->handlers.fnEnded] { fnEnded(); });
    });
}

CDownloadWorker::~CDownloadWorker()
{
    Stop();
    const bool bEnded = Wait();
    {
        const std::lock_guard<std::mutex> lock(m_pShared->mutex);
        m_pShared->pReceiver = nullptr;
    }
    if (bEnded) {
        delete m_pThread;
        return;
    }
    // Left to end on its own: the thread object goes once it has. Should it have ended just
    // now, before the connection was made, it is deleted here; a deletion posted meanwhile dies
    // with it.
    QThread* pThread = m_pThread;
    QObject::connect(pThread, &QThread::finished, pThread, &QObject::deleteLater);
    if (pThread->isFinished()) {
        pThread->wait();
        delete pThread;
    }
}

void CDownloadWorker::Stop()
{
    m_pShared->bStop = true;
}

bool CDownloadWorker::IsStopping() const
{
    return m_pShared->bStop;
}

bool CDownloadWorker::Wait(int nMilliseconds)
{
    return m_pThread->wait(QDeadlineTimer(nMilliseconds));
}
