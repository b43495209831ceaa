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
#include <set>
#include <string>
#include <vector>

class CForecastModel;
class CHistoryStore;
class QThread;

// What a read runs with on the reading thread: the store, opened there, and the forecast model.
class CStoreReading {
public:
    virtual ~CStoreReading() = default;
    // The store, or nullptr when it cannot be opened; the reason then in Error().
    virtual CHistoryStore* Store() = 0;
    // Lets the store go when a read found it damaged; true when it did.
    virtual bool DropIfDamaged() = 0;
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

    // Asks for the store to follow the day files, for the one asking (none: the program itself,
    // after a download). An update that runs goes on; one more runs after it.
    void Update(const QObject* pAsker = nullptr);
    bool IsUpdating() const { return m_worker.IsStarted(); }
    // The one asking no longer waits for the update: once nobody does, it ends after the day it
    // is writing, and the days left go to the next update. A window's 中止 and its closing.
    void Stop(const QObject* pAsker);
    // What the last update did, for a status line.
    const QString& LastSummary() const { return m_strSummary; }
    // The last update found the store as the files are: nothing read, removed or forecast.
    bool LastFoundNothing() const { return m_bFoundNothing; }
    // When the last update could not write the store (read-only, locked by another process): in
    // words, that what the store holds may be behind the files; empty otherwise.
    const QString& UpdateWarning() const { return m_strUpdateWarning; }

    // Runs the work on the reading thread; what it returns then runs on the window thread,
    // unless pReceiver is gone by then. Reads run one after the other, in the order asked. A
    // read that finds the store damaged has it rebuilt by an update.
    using CAnswer = std::function<void()>;
    void Read(QObject* pReceiver, std::function<CAnswer(CStoreReading&)> work);

signals:
    // On the window thread.
    void started();
    void progress(int nDone, int nTotal);
    void finished(bool bOk, const QString& strSummary);
    // What the user is told once, in words: a model file that cannot be used, a damaged store
    // set aside and rebuilt, another version's store.
    void modelWarning(const QString& strWarning);
    void notice(const QString& strNotice);

private:
    void Start();
    void OnFinished(bool bOk, bool bNothing, const QString& strSummary, const QString& strWarning);
    void WarnOnce(const std::string& strWarning);
    void SayOnce(const std::vector<std::string>& notices);

    CWorkerThread m_worker;
    std::atomic<bool> m_bStop{false};
    bool m_bAgain = false;
    // Who waits for the update that runs, and for the one after it; nullptr is the program.
    std::set<const QObject*> m_askers, m_nextAskers;
    QString m_strSummary;
    bool m_bFoundNothing = false;
    QString m_strUpdateWarning;
    QString m_strLastWarning;
    std::set<std::string> m_said;
    // The reading thread, with an event loop, and what lives on it.
    QThread* m_pReadThread = nullptr;
    QObject* m_pReader = nullptr;
    std::shared_ptr<CStoreReading> m_pReading;
};
