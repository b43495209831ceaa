#include "download/PeriodWorker.h"

#include "download/NetLibrary.h"

#include <QObject>

CPeriodWorker::CPeriodWorker(QObject* pReceiver, CHandlers handlers, const CKeluNet& net, const CString& strServer,
                             const CPeriodRequest& request)
    : m_pReceiver(pReceiver)
    , m_handlers(std::move(handlers))
{
    const auto pfnDownloadPeriod = net.pfnDownloadPeriod;
    m_thread.Start([this, pfnDownloadPeriod, strServer, request] {
        m_outcome = pfnDownloadPeriod(strServer, request, *this);
        // Posted after every line and every status, which went the same way.
        QMetaObject::invokeMethod(m_pReceiver, m_handlers.fnEnded, Qt::QueuedConnection);
    });
}

CPeriodWorker::~CPeriodWorker()
{
    m_bStop = true;
    m_thread.Join();
}

const CPeriodOutcome& CPeriodWorker::Join()
{
    m_thread.Join();
    return m_outcome;
}

void CPeriodWorker::AppendText(const CString& strText)
{
    QMetaObject::invokeMethod(
        m_pReceiver, [fnLine = m_handlers.fnLine, strText] { fnLine(strText); }, Qt::QueuedConnection);
}

void CPeriodWorker::OnStatus(const CPeriodStatus& status)
{
    QMetaObject::invokeMethod(
        m_pReceiver, [fnStatus = m_handlers.fnStatus, status] { fnStatus(status); }, Qt::QueuedConnection);
}
