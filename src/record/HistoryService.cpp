#include "record/HistoryService.h"

#include "forecast/ModelFile.h"
#include "history/HistoryIndexer.h"
#include "history/HistoryStore.h"
#include "platform/gui/QtText.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <sys/stat.h>

namespace {

QString Summary(const CIndexSummary& summary)
{
    if (!summary.bOk)
        return Utf8("履歴を更新できませんでした: %1").arg(QString::fromStdString(summary.strError));
    QString text = Utf8("履歴: %1 日を読み込みました").arg(summary.indexed.size());
    if (!summary.removed.empty())
        text += Utf8("、ファイルのなくなった %1 日を除きました").arg(summary.removed.size());
    if (summary.nForecastDays > 0)
        text += Utf8("、%1 日の予測を作りました").arg(summary.nForecastDays);
    if (summary.bStopped)
        text += Utf8("（途中で止めました）");
    return text;
}

// The model file's size and time: a new fit replaces the file, and the next read takes it up.
std::pair<long long, long long> ModelStamp()
{
    struct stat st {};
    if (stat(CModelFile::kPath, &st) != 0)
        return {-1, 0};
    return {st.st_size, static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

class CReading : public CStoreReading {
public:
    explicit CReading(std::function<void(const std::string&)> warn) : m_warn(std::move(warn)) {}

    CHistoryStore* Store() override
    {
        if (!m_store.IsOpen() && !m_store.Open())
            return nullptr;
        return &m_store;
    }
    const std::string& Error() const override { return m_store.LastError(); }
    bool DropIfDamaged() override
    {
        if (!m_store.IsOpen() || !m_store.IsDamaged())
            return false;
        m_store.Close();
        return true;
    }
    const CForecastModel& Model() override
    {
        const auto stamp = ModelStamp();
        if (!m_bModel || stamp != m_stamp) {
            std::string strWarning;
            m_model = CModelFile::Current(strWarning);
            m_stamp = stamp;
            m_bModel = true;
            if (!strWarning.empty())
                m_warn(strWarning);
        }
        return m_model;
    }

private:
    std::function<void(const std::string&)> m_warn;
    CHistoryStore m_store;
    CForecastModel m_model;
    std::pair<long long, long long> m_stamp;
    bool m_bModel = false;
};

} // namespace

CHistoryService::CHistoryService(QObject* pParent)
    : QObject(pParent)
{
}

CHistoryService::~CHistoryService()
{
    m_bStop = true;
    m_worker.Join();
    if (m_pReadThread) {
        m_pReadThread->quit();
        m_pReadThread->wait();
        delete m_pReadThread;
    }
    // The reading thread is gone: what it kept can go here.
    delete m_pReader;
}

void CHistoryService::WarnOnce(const std::string& strWarning)
{
    QPointer<CHistoryService> self(this);
    const QString strText = QString::fromStdString(strWarning);
    QMetaObject::invokeMethod(
        this,
        [self, strText] {
            if (!self || self->m_strLastWarning == strText)
                return;
            self->m_strLastWarning = strText;
            emit self->modelWarning(strText);
        },
        Qt::QueuedConnection);
}

void CHistoryService::Read(QObject* pReceiver, std::function<CAnswer(CStoreReading&)> work)
{
    if (!m_pReadThread) {
        m_pReadThread = new QThread;
        m_pReader = new QObject;
        m_pReader->moveToThread(m_pReadThread);
        m_pReading = std::make_shared<CReading>([this](const std::string& s) { WarnOnce(s); });
        m_pReadThread->start();
    }
    QPointer<QObject> receiver(pReceiver);
    std::shared_ptr<CStoreReading> pReading = m_pReading;
    QMetaObject::invokeMethod(
        m_pReader,
        [this, receiver, pReading, work = std::move(work)] {
            CAnswer answer = work(*pReading);
            // The update sets the damaged file aside and builds the store anew; the windows read
            // again when it ends.
            if (pReading->DropIfDamaged())
                QMetaObject::invokeMethod(this, [this] { Update(); }, Qt::QueuedConnection);
            if (!answer)
                return;
            // The receiver may be gone by the time the answer reaches the window thread.
            QMetaObject::invokeMethod(
                qApp, [receiver, answer = std::move(answer)] { if (receiver) answer(); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void CHistoryService::Update(const QObject* pAsker)
{
    // Files that changed during the update it is running are read by one more.
    if (IsUpdating()) {
        m_nextAskers.insert(pAsker);
        m_bAgain = true;
        return;
    }
    m_askers = {pAsker};
    Start();
}

void CHistoryService::Stop(const QObject* pAsker)
{
    m_nextAskers.erase(pAsker);
    if (m_nextAskers.empty())
        m_bAgain = false;
    if (m_askers.erase(pAsker) > 0 && m_askers.empty())
        m_bStop = true;
}

void CHistoryService::SayOnce(const std::vector<std::string>& notices)
{
    for (const std::string& strNotice : notices) {
        const QString strText = QString::fromStdString(strNotice);
        QPointer<CHistoryService> self(this);
        QMetaObject::invokeMethod(
            this,
            [self, strNotice, strText] {
                if (self && self->m_said.insert(strNotice).second)
                    emit self->notice(strText);
            },
            Qt::QueuedConnection);
    }
}

void CHistoryService::Start()
{
    m_bStop = false;
    m_bAgain = false;
    QPointer<CHistoryService> self(this);
    const int nThreads = std::max(1, QThread::idealThreadCount());
    m_worker.Start([this, self, nThreads] {
        std::string strWarning;
        const CForecastModel model = CModelFile::Current(strWarning);
        if (!strWarning.empty())
            WarnOnce(strWarning);
        auto progress = [self](int nDone, int nTotal) {
            QMetaObject::invokeMethod(
                self, [self, nDone, nTotal] { if (self) emit self->progress(nDone, nTotal); }, Qt::QueuedConnection);
        };
        // A connection of the worker's own, opened where the program runs. A store found
        // damaged on the way is set aside and built anew, once.
        CHistoryStore store;
        CIndexSummary summary;
        if (!store.Open()) {
            summary.bOk = false;
            summary.strError = store.LastError();
        } else {
            summary = CHistoryIndexer(store, &model).Update(nThreads, m_bStop, progress);
            if (!summary.bOk && store.IsDamaged() && store.Rebuild())
                summary = CHistoryIndexer(store, &model).Update(nThreads, m_bStop, progress);
        }
        SayOnce(store.Notices());
        const bool bOk = summary.bOk;
        const bool bNothing = bOk && summary.indexed.empty() && summary.removed.empty() && summary.nForecastDays == 0 &&
                              !summary.bStopped;
        const QString strSummary = Summary(summary);
        const QString strUpdateWarning =
            bOk ? QString()
                : Utf8("履歴を更新できません（%1）。いまの履歴を読むので、ファイルより古いかもしれません。")
                      .arg(QString::fromStdString(summary.strError));
        QMetaObject::invokeMethod(
            self,
            [self, bOk, bNothing, strSummary, strUpdateWarning] {
                if (self)
                    self->OnFinished(bOk, bNothing, strSummary, strUpdateWarning);
            },
            Qt::QueuedConnection);
    });
    emit started();
}

void CHistoryService::OnFinished(bool bOk, bool bNothing, const QString& strSummary, const QString& strWarning)
{
    m_bFoundNothing = bNothing;
    m_worker.Join();
    m_strSummary = strSummary;
    m_strUpdateWarning = strWarning;
    emit finished(bOk, strSummary);
    if (m_bAgain) {
        m_askers = std::move(m_nextAskers);
        m_nextAskers.clear();
        Start();
    }
}
