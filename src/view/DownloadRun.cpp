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
    m_pDlg->SetStopHandler([this] { m_bStop = true; });
    m_pDlg->CreateModeless();

    CKeluView* pView = &view;
    const auto pfnDownload = net.pfnDownloadFromServer;
    const CTime day = view.m_dateShown;
    m_worker.Start([this, pView, pfnDownload, strServer, day, nDays] {
        CDownloadOutcome outcome = pfnDownload(strServer, *this, day, nDays);
        // Posted after every line of the log, which went the same way: the view hears of the
        // end once the dialog has shown them all.
        QMetaObject::invokeMethod(
            pView, [pView, outcome = std::move(outcome)] { pView->OnDownloadFinished(outcome); },
            Qt::QueuedConnection);
    });
}

CDownloadRun::~CDownloadRun()
{
    m_bStop = true;
    m_worker.Join();
    delete m_pDlg.data();
    if (m_pWindow)
        m_pWindow->removeEventFilter(this);
    for (auto& [pControl, bEnabled] : m_controls)
        if (pControl)
            pControl->setEnabled(bEnabled);
}

void CDownloadRun::AppendText(const CString& strText)
{
    QMetaObject::invokeMethod(
        this,
        [this, strText] {
            if (m_pDlg)
                m_pDlg->AppendText(strText);
        },
        Qt::QueuedConnection);
}

bool CDownloadRun::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_pWindow && pEvent->type() == QEvent::Close) {
        pEvent->ignore();
        m_view.m_bCloseAfterDownload = true;
        if (m_pDlg)
            m_pDlg->Stop();
        m_bStop = true;
        return true;
    }
    return QObject::eventFilter(pWatched, pEvent);
}
