#include "view/DownloadRun.h"

#include "download/DownloadDlg.h"
#include "download/NetLibrary.h"
#include "res/resource.h"
#include "view/KeluView.h"

#include <QEvent>
#include <QPushButton>

CDownloadRun::CDownloadRun(CKeluView& view, const CKeluNet& net, const CString& strServer, int nDays)
    : m_view(view)
    , m_pWindow(view.window())
    , m_pDlg(new CDownloadDlg(view.window()))
{
    // The controls of the form that change the day, the venue or the race.
    std::vector<QWidget*> controls;
    for (int nID : {IDC_DATE, IDC_PREV_DAY, IDC_NEXT_DAY, IDC_VENUE_LIST, IDC_RACE_LIST})
        controls.push_back(view.GetDlgItem(nID));
    controls.insert(controls.end(), view.m_pVenueButton.begin(), view.m_pVenueButton.end());
    controls.insert(controls.end(), view.m_pRaceButton.begin(), view.m_pRaceButton.end());
    for (QWidget* pControl : controls)
        if (pControl) {
            m_controls.emplace_back(pControl, pControl->isEnabled());
            pControl->setEnabled(false);
        }
    m_pWindow->installEventFilter(this);
    m_pDlg->CreateModeless();

    CKeluView* pView = &view;
    const auto pfnDownload = net.pfnDownloadFromServer;
    const CTime day = view.m_dateShown;
    // Written by the worker before it posts its end, read after.
    auto pOutcome = std::make_shared<CDownloadOutcome>();
    CDownloadWorker::CHandlers handlers;
    handlers.fnLine = [pDlg = m_pDlg](const CString& strText) {
        if (pDlg)
            pDlg->AppendText(strText);
    };
    handlers.fnWaiting = [pDlg = m_pDlg](int nSeconds) {
        if (pDlg)
            pDlg->ShowWaiting(nSeconds);
    };
    handlers.fnEnded = [pView, pOutcome] { pView->OnDownloadFinished(*pOutcome); };
    // The view hears the end, and deletes this run then: not from inside a call to the run.
    m_pWorker = std::make_unique<CDownloadWorker>(
        pView, std::move(handlers), [pOutcome, pfnDownload, strServer, day, nDays](IPeriodProgress& progress) {
            *pOutcome = pfnDownload(strServer, progress, day, nDays);
        });
    m_pDlg->SetStopHandler([this] { m_pWorker->Stop(); });
}

CDownloadRun::~CDownloadRun()
{
    m_pWorker.reset();
    delete m_pDlg.data();
    if (m_pWindow)
        m_pWindow->removeEventFilter(this);
    for (auto& [pControl, bEnabled] : m_controls)
        if (pControl)
            pControl->setEnabled(bEnabled);
}

bool CDownloadRun::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_pWindow && pEvent->type() == QEvent::Close) {
        pEvent->ignore();
        m_view.m_bCloseAfterDownload = true;
        if (m_pDlg)
            m_pDlg->Stop();
        m_pWorker->Stop();
        return true;
    }
    return QObject::eventFilter(pWatched, pEvent);
}
