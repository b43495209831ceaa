#pragma once
// Brings the history store up to date off the window thread: after every download, and when
// the user asks. One update runs at a time; one asked for meanwhile runs after it. The windows
// that read the store wait for the update to finish before they read, and show its progress.

#include <QObject>
#include <QString>

#include "platform/gui/WorkerThread.h"

#include <atomic>

class CHistoryService : public QObject {
    Q_OBJECT
public:
    explicit CHistoryService(QObject* pParent = nullptr);
    // Stops an update and waits for it: the indexer looks at the flag after each day.
    ~CHistoryService() override;

    void Update();
    bool IsUpdating() const { return m_worker.IsStarted(); }
    // Ends the update after the day it is writing; the days left go to the next update.
    void Stop() { m_bStop = true; m_bAgain = false; }
    // What the last update did, for a status line.
    const QString& LastSummary() const { return m_strSummary; }

signals:
    // On the window thread.
    void started();
    void progress(int nDone, int nTotal);
    void finished(bool bOk, const QString& strSummary);

private:
    void Start();
    void OnFinished(bool bOk, const QString& strSummary);

    CWorkerThread m_worker;
    std::atomic<bool> m_bStop{false};
    bool m_bAgain = false;
    QString m_strSummary;
};
