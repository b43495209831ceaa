#include "history/HistoryService.h"

#include "history/HistoryIndexer.h"
#include "history/HistoryStore.h"
#include "platform/gui/QtText.h"

#include <QPointer>
#include <QThread>

namespace {

QString Summary(const CIndexSummary& summary)
{
    if (!summary.bOk)
        return Utf8("履歴を更新できませんでした: %1").arg(QString::fromStdString(summary.strError));
    QString text = Utf8("履歴: %1 日を読み込みました").arg(summary.indexed.size());
    if (!summary.removed.empty())
        text += Utf8("、ファイルのなくなった %1 日を除きました").arg(summary.removed.size());
    if (summary.bStopped)
        text += Utf8("（途中で止めました）");
    return text;
}

} // namespace

CHistoryService::CHistoryService(QObject* pParent)
    : QObject(pParent)
{
}

CHistoryService::~CHistoryService()
{
    m_bStop = true;
    m_worker.Join();
}

void CHistoryService::Update()
{
    // Files that changed during the update it is running are read by one more.
    if (IsUpdating()) {
        m_bAgain = true;
        return;
    }
    Start();
}

void CHistoryService::Start()
{
    m_bStop = false;
    m_bAgain = false;
    QPointer<CHistoryService> self(this);
    const int nThreads = std::max(1, QThread::idealThreadCount());
    m_worker.Start([this, self, nThreads] {
        // A connection of the worker's own, opened where the program runs.
        CHistoryStore store;
        CIndexSummary summary;
        if (!store.Open()) {
            summary.bOk = false;
            summary.strError = store.LastError();
        } else {
            summary = CHistoryIndexer(store).Update(nThreads, m_bStop, [self](int nDone, int nTotal) {
                QMetaObject::invokeMethod(
                    self, [self, nDone, nTotal] { if (self) emit self->progress(nDone, nTotal); }, Qt::QueuedConnection);
            });
        }
        const bool bOk = summary.bOk;
        const QString strSummary = Summary(summary);
        QMetaObject::invokeMethod(
            self, [self, bOk, strSummary] { if (self) self->OnFinished(bOk, strSummary); }, Qt::QueuedConnection);
    });
    emit started();
}

void CHistoryService::OnFinished(bool bOk, const QString& strSummary)
{
    m_worker.Join();
    m_strSummary = strSummary;
    emit finished(bOk, strSummary);
    if (m_bAgain && !m_bStop)
        Start();
}
