#pragma once
// A thread of Qt's own for work off the window thread. The work talks back to the window with
// queued calls; from a thread Qt did not start, each such call leaves Qt a thread record of its
// own to clean up when the thread ends, which the leak checker sometimes finds still there. The
// destructor waits for the work, so a stop flag must have been set first.

#include <QThread>

#include <functional>
#include <memory>

class CWorkerThread {
public:
    CWorkerThread() = default;
    ~CWorkerThread() { Join(); }
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Runs the work on a new thread (after waiting for the last one).
    void Start(std::function<void()> work)
    {
        Join();
        m_pThread.reset(QThread::create(std::move(work)));
        m_pThread->start();
    }
    // Waits for the work to end.
    void Join()
    {
        if (!m_pThread)
            return;
        m_pThread->wait();
        m_pThread.reset();
    }
    // Started and not joined yet, whether or not the work has ended.
    bool IsStarted() const { return m_pThread != nullptr; }

private:
    std::unique_ptr<QThread> m_pThread;
};
