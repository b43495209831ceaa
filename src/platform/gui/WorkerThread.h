#pragma once
// A thread of Qt's own for work off the window thread. The work talks back to the window with
// queued calls; from a thread Qt did not start, each such call leaves Qt a thread record of its
// own to clean up when the thread ends, which the leak checker sometimes finds still there. The
// destructor waits for the work, so a stop flag must have been set first.

#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include <sys/syscall.h>
#include <unistd.h>

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
        m_pTid = std::make_shared<std::atomic<long>>(0);
        m_pThread.reset(QThread::create([work = std::move(work), pTid = m_pTid] {
            pTid->store(syscall(SYS_gettid));
            work();
        }));
        m_pThread->start();
    }
    // Waits for the work to end and for its thread to be gone.
    void Join()
    {
        if (!m_pThread)
            return;
        m_pThread->wait();
        m_pThread.reset();
        WaitUntilGone(m_pTid->load());
    }
    // Started and not joined yet, whether or not the work has ended.
    bool IsStarted() const { return m_pThread != nullptr; }

private:
    // Qt's wait ends when the work returns, while the thread still runs Qt's and the libraries'
    // per-thread clean-up (Qt's record of the thread among it). Qt's threads cannot be joined,
    // so the thread's entry in /proc tells when the system has it gone; a second at most.
    static void WaitUntilGone(long nTid)
    {
        if (nTid == 0)
            return;
        const std::string strTask = "/proc/self/task/" + std::to_string(nTid);
        for (int i = 0; i < 2000 && access(strTask.c_str(), F_OK) == 0; ++i)
            usleep(500);
    }

    std::unique_ptr<QThread> m_pThread;
    std::shared_ptr<std::atomic<long>> m_pTid;
};
