// The view's two download commands. The download runs inside the command on the window thread
// and keeps the windows alive by turning the event loop after every block, so the user can
// reach the program while it runs: what would read or write the day files, or start a second
// download, is disabled until it ends, and a main window closed meanwhile first stops the
// download and closes once it has unwound.

#include "view/KeluView.h"

#include "app/Startup.h"
#include "download/DataServer.h"
#include "download/DownloadDlg.h"
#include "download/Downloader.h"
#include "platform/gui/CommandRouter.h"
#include "platform/gui/MessageBox.h"
#include "res/resource.h"

#include <QCloseEvent>
#include <QPointer>
#include <QPushButton>

#include <utility>
#include <vector>

namespace {

// The commands that must wait for the download: downloads, printing and its set-up, the
// watched-racer commands, and the new and open commands, which load a day afresh.
bool WaitsForDownload(UINT nID)
{
    switch (nID) {
    case ID_FILE_DOWNLOAD_TODAY:
    case ID_FILE_DOWNLOAD_WEEK:
    case ID_FILE_PRINT_ALL:
    case ID_FILE_PRINT_RACE:
    case ID_FILE_PREVIEW_ALL:
    case ID_FILE_PREVIEW_RACE:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_DIRECT:
    case ID_FILE_PRINT_PREVIEW:
    case ID_FILE_PRINT_SETUP:
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_FAVORITE_ADD:
    case ID_FAVORITE_ORGANIZE:
        return true;
    default:
        return nID >= ID_FAVORITE_FIRST && nID <= ID_FAVORITE_LAST;
    }
}

} // namespace

// One running download: while it lives the view's choosing controls are disabled, the commands
// that wait are refused, and a request to close the main window stops the download instead.
class CDownloadRun : public QObject {
public:
    CDownloadRun(CKeluView& view, CDownloadDlg& dlg)
        : m_view(view)
        , m_dlg(dlg)
        , m_pWindow(view.window())
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
        m_view.m_pDownloadRun = this;
        UpdateCommands();
    }

    ~CDownloadRun() override
    {
        if (m_pWindow)
            m_pWindow->removeEventFilter(this);
        for (auto& [pControl, bEnabled] : m_controls)
            if (pControl)
                pControl->setEnabled(bEnabled);
        m_view.m_pDownloadRun = nullptr;
        UpdateCommands();
    }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pWatched == m_pWindow && pEvent->type() == QEvent::Close) {
            pEvent->ignore();
            m_view.m_bCloseAfterDownload = true;
            m_dlg.Stop();
            return true;
        }
        return QObject::eventFilter(pWatched, pEvent);
    }

private:
    // The idle pass does not come while the download keeps the loop busy: the toolbar shows
    // the change at once.
    void UpdateCommands()
    {
        if (m_view.m_pRouter)
            m_view.m_pRouter->UpdateAll();
    }

    CKeluView& m_view;
    CDownloadDlg& m_dlg;
    QPointer<QWidget> m_pWindow;
    std::vector<std::pair<QPointer<QWidget>, bool>> m_controls;
};

bool CKeluView::OnUpdateWhileDownloading(CCmdUI& ui)
{
    if (!IsDownloading() || !WaitsForDownload(ui.m_nID))
        return false;
    ui.Enable(false);
    return true;
}

void CKeluView::OnDownloadToday()
{
    DownloadDays(1);
    LoadShownDay();
    CloseAfterDownload();
}

void CKeluView::OnDownloadWeek()
{
    DownloadDays(7);
    LoadShownDay();
    CloseAfterDownload();
}

void CKeluView::DownloadDays(int nDays)
{
    // The command is disabled meanwhile; this holds even for a call that bypasses it.
    if (IsDownloading())
        return;
    CDownloadDlg dlg(window());
    UpdateData(true);
    const CDownloadRun run(*this, dlg);
    dlg.CreateModeless();
    dlg.repaint();
    // Read at every download, so that a changed setting needs no restart.
    const CString strServer = ReadDataServer(OpenKeluProfile());
    const CDownloadOutcome outcome = DownloadFromServer(strServer, dlg, m_dateShown, nDays);
    if (outcome.end == DownloadEnd::ProgramFailed)
        KeluMessageBox(this, ProgramErrorText(outcome.nCode), DownloadCaption(), MB_OK | MB_ICONEXCLAMATION);
}

void CKeluView::CloseAfterDownload()
{
    if (!m_bCloseAfterDownload)
        return;
    m_bCloseAfterDownload = false;
    // Once this command has returned all the way out, not from inside it.
    QPointer<QWidget> pWindow(window());
    QMetaObject::invokeMethod(
        pWindow,
        [pWindow] {
            if (pWindow)
                pWindow->close();
        },
        Qt::QueuedConnection);
}
