// The view's download commands. The transfers and the unpacking run on a worker thread of
// their own, so the window thread keeps its own event loop whatever the server does: the
// progress dialog shows each step as the worker reports it, and "中止" sets the worker's stop
// flag, which ends a stalled or a flowing transfer within a tenth of a second. While a download
// runs, what would read or write the day files, or start a second download, is disabled; a main
// window closed meanwhile first stops the download and closes once it has ended. The period
// download runs in a modal dialog of its own, which drives its worker the same way.

#include "view/KeluView.h"

#include "app/Startup.h"
#include "download/DataServer.h"
#include "download/DownloadDlg.h"
#include "download/Downloader.h"
#include "download/NetLibrary.h"
#include "download/PeriodDownloadDlg.h"
#include "download/SettingsDlg.h"
#include "model/KeluDoc.h"
#include "record/HistoryService.h"
#include "platform/Sjis.h"
#include "platform/gui/CommandRouter.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/QtText.h"
#include "res/resource.h"
#include "view/DownloadRun.h"

#include <QDateEdit>
#include <QMainWindow>
#include <QPointer>
#include <QStatusBar>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <optional>
#include <string>
#include <vector>

namespace {

// How long the status bar tells what a download brought.
constexpr int kDownloadWordMilliseconds = 15000;

// The day files of the days a download asks for, the shown day and the days before it: their
// bytes, none for a file that is not there.
std::vector<std::optional<std::string>> DayFilesOf(const CTime& shown, int nDays)
{
    std::vector<std::optional<std::string>> files;
    for (int nBack = nDays - 1; nBack >= 0; --nBack) {
        const CTime day = shown.AddDays(-nBack);
        for (const CString& strFile : {CKeluDoc::ProgramFileName(day), CKeluDoc::ResultFileName(day)}) {
            // Anything but a file that reads whole (a folder in its place, a file that cannot be
            // read) counts as none.
            std::error_code ec;
            std::optional<std::string> bytes;
            if (std::filesystem::is_regular_file(strFile.Str(), ec)) {
                std::ifstream in(strFile.Str(), std::ios::binary);
                std::ostringstream all;
                // An empty file inserts nothing, which marks the copy failed but is still a file.
                if (in) {
                    all << in.rdbuf();
                    if (!in.bad())
                        bytes = all.str();
                }
            }
            files.push_back(std::move(bytes));
        }
    }
    return files;
}

// The commands that must wait for the download: downloads, printing and its set-up, the
// watched-racer commands, the new and open commands, which load a day afresh, and the about
// box.
bool WaitsForDownload(UINT nID)
{
    switch (nID) {
    case ID_FILE_DOWNLOAD_TODAY:
    case ID_FILE_DOWNLOAD_WEEK:
    case ID_FILE_DOWNLOAD_PERIOD:
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
    case ID_APP_ABOUT:
        return true;
    default:
        return nID >= ID_FAVORITE_FIRST && nID <= ID_FAVORITE_LAST;
    }
}

} // namespace

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
}

void CKeluView::OnDownloadWeek()
{
    DownloadDays(7);
}

const CKeluNet* CKeluView::PrepareDownload()
{
    // The commands are disabled meanwhile; this holds even for a call that bypasses them.
    if (IsDownloading())
        return nullptr;
    UpdateData(true);
    // The placeholder reaches nothing: the user sets the server first, then the download goes.
    if (IsPlaceholderServer(ReadDataServer(OpenKeluProfile())) &&
        !EditSettings(Sjis("番組と結果をダウンロードするには、データのサーバーのアドレスを設定してください。"
                           "今の設定は見本のアドレスのままで、どこにもつながりません。")))
        return nullptr;
    CString strWhy;
    const CKeluNet* pNet = LoadKeluNet(&strWhy);
    if (!pNet) {
        KeluMessageBox(this, Sjis("ダウンロードに使う部品 libkelu_net.so を読み込めません。\n") + strWhy,
                       DownloadCaption(), MB_OK | MB_ICONEXCLAMATION);
        LoadShownDay();
    }
    return pNet;
}

void CKeluView::DownloadDays(int nDays)
{
    const CKeluNet* pNet = PrepareDownload();
    if (!pNet)
        return;
    // Read at every download, so that a changed setting needs no restart.
    const CString strServer = ReadDataServer(OpenKeluProfile());
    m_dayFilesBefore = DayFilesOf(m_dateShown, nDays);
    m_pDownloadRun = std::make_unique<CDownloadRun>(*this, *pNet, strServer, nDays);
    UpdateCommands();
}

void CKeluView::OnDownloadPeriod()
{
    const CKeluNet* pNet = PrepareDownload();
    if (!pNet)
        return;
    CPeriodDownloadDlg dlg(window(), *pNet, ReadDataServer(OpenKeluProfile()), m_dateShown);
    // The period chosen last time is offered again; the dates of the day shown the first time.
    const CProfile profile = OpenKeluProfile();
    const QDate first = QDate::fromString(ToQString(profile.GetProfileString("Period", "First", "")), Qt::ISODate);
    const QDate last = QDate::fromString(ToQString(profile.GetProfileString("Period", "Last", "")), Qt::ISODate);
    if (first.isValid() && last.isValid() && first <= last) {
        dlg.FirstDate()->setDate(first);
        dlg.LastDate()->setDate(last);
    }
    m_bPeriodRunning = true;
    UpdateCommands();
    dlg.exec();
    profile.WriteProfileString("Period", "First", dlg.FirstDate()->date().toString(Qt::ISODate).toLatin1().constData());
    profile.WriteProfileString("Period", "Last", dlg.LastDate()->date().toString(Qt::ISODate).toLatin1().constData());
    m_bPeriodRunning = false;
    UpdateCommands();
    if (dlg.AnyFilesMayHaveChanged())
        OnDayFilesChanged(dlg.FilesMayHaveChanged(m_dateShown));
}

void CKeluView::OnDayFilesChanged(bool bShownDay)
{
    if (bShownDay) {
        LoadShownDay();
        m_bMenuStale = true;
    }
    // The history store follows the day files, off the window thread; not for a window that
    // is about to close.
    if (!m_bCloseAfterDownload)
        History().Update();
}

void CKeluView::OnFileSettings()
{
    EditSettings(CString());
}

bool CKeluView::EditSettings(const CString& strWhy)
{
    UpdateData(true);
    CSettingsDlg dlg(window(), strWhy, m_dateShown);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    // The schedule page's address takes effect at once, as the data server's does.
    m_strAssenUrl = dlg.AssenUrl();
    ShowDayStatus();
    return true;
}

void CKeluView::OnDownloadFinished(const CDownloadOutcome& outcome)
{
    if (!m_pDownloadRun)
        return;
    // The message comes while the dialog still shows what led to it, unless the user stopped.
    const CString strMessage = DownloadEndMessage(outcome);
    if (!strMessage.IsEmpty() && !m_bCloseAfterDownload)
        KeluMessageBox(this, strMessage, DownloadCaption(), MB_OK | MB_ICONEXCLAMATION);
    const int nDays = static_cast<int>(m_dayFilesBefore.size() / 2);
    m_pDownloadRun.reset();
    UpdateCommands();
    // Read afresh whatever the end: even a stopped download may have unpacked a day.
    OnDayFilesChanged(true);
    // A download that ran to its end says what it brought, even when that is nothing.
    if (outcome.end != DownloadEnd::Stopped && strMessage.IsEmpty())
        if (auto* pMain = qobject_cast<QMainWindow*>(window()))
            pMain->statusBar()->showMessage(DayFilesOf(m_dateShown, nDays) == m_dayFilesBefore
                                                ? Utf8("新しいファイルはありませんでした")
                                                : Utf8("番組と結果のファイルを新しくしました"),
                                            kDownloadWordMilliseconds);
    m_dayFilesBefore.clear();
    CloseAfterDownload();
}

CDownloadDlg* CKeluView::GetDownloadDialog() const
{
    return m_pDownloadRun ? m_pDownloadRun->Dialog() : nullptr;
}

void CKeluView::UpdateCommands()
{
    // The toolbar shows the change at once, not at the next idle pass.
    if (m_pRouter)
        m_pRouter->UpdateAll();
}

void CKeluView::CloseAfterDownload()
{
    if (!m_bCloseAfterDownload)
        return;
    m_bCloseAfterDownload = false;
    // Once this handler has returned all the way out, not from inside it.
    QPointer<QWidget> pWindow(window());
    QMetaObject::invokeMethod(
        pWindow,
        [pWindow] {
            if (pWindow)
                pWindow->close();
        },
        Qt::QueuedConnection);
}
