#pragma once
// The history store for the windows, off the window thread: brings it up to date, forecasts
// included, after every download and when the user asks, and answers the windows' questions on
// a reading thread of its own. One update runs at a time; one asked for meanwhile runs after it.
// The windows that read the store wait for the update to finish before they read, and show its
// progress.

#include <QObject>
#include <QString>

#include "platform/gui/WorkerThread.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class CForecastModel;
class CHistoryStore;
class QThread;

// What a read runs with on the reading thread: the store, opened there, and the forecast model.
class CStoreReading {
public:
    virtual ~CStoreReading() = default;
    // The store, or nullptr when it cannot be opened; the reason then in Error().
    virtual CHistoryStore* Store() = 0;
    virtual const std::string& Error() const = 0;
    // The model data/forecast.json holds, or the shipped one when it cannot be used.
    virtual const CForecastModel& Model() = 0;
};

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

    // Runs the work on the reading thread; what it returns then runs on the window thread,
    // unless pReceiver is gone by then. Reads run one after the other, in the order asked.
    using CAnswer = std::function<void()>;
    void Read(QObject* pReceiver, std::function<CAnswer(CStoreReading&)> work);

signals:
    // On the window thread.
    void started();
    void progress(int nDone, int nTotal);
    void finished(bool bOk, const QString& strSummary);
    // The model file cannot be used, in words: said once for each reason.
    void modelWarning(const QString& strWarning);

private:
    void Start();
    void OnFinished(bool bOk, const QString& strSummary);
    void WarnOnce(const std::string& strWarning);

    CWorkerThread m_worker;
    std::atomic<bool> m_bStop{false};
    bool m_bAgain = false;
    QString m_strSummary;
    QString m_strLastWarning;
    // The reading thread, with an event loop, and what lives on it.
    QThread* m_pReadThread = nullptr;
    QObject* m_pReader = nullptr;
    std::shared_ptr<CStoreReading> m_pReading;
};
