#include "app/KeluApp.h"

#include "app/Startup.h"
#include "frame/AboutDlg.h"
#include "frame/MainFrame.h"
#include "record/HistoryService.h"
#include "record/FitForecastDlg.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"
#include "platform/gui/Japanese.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/QtText.h"
#include "res/Icons.h"
#include "res/Menu.h"
#include "res/StringIds.h"
#include "res/Strings.h"
#include "record/RecordWindow.h"
#include "res/resource.h"
#include "view/KeluView.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <cstdio>

#include <sys/socket.h>
#include <unistd.h>

namespace {

CKeluApp* g_pApp = nullptr;

const CommandEntry<CKeluApp> kCommands[] = {
    {ID_APP_ABOUT, &CKeluApp::OnAppAbout},
    {ID_FILE_NEW, &CKeluApp::OnFileNew},
    {ID_FILE_OPEN, &CKeluApp::OnFileOpen},
    {ID_FILE_SAVE, &CKeluApp::OnFileSave},
    {ID_FILE_PRINT_SETUP, &CKeluApp::OnFilePrintSetup},
    {ID_FILE_PREDICTION_RECORD, &CKeluApp::OnPredictionRecord},
    {ID_FILE_FIT_FORECAST, &CKeluApp::OnFitForecast},
};

// What the command line asks for. Kelu has no switches of its own; it knows the standard ones
// only to pass them over, and the embedding ones to start without a window.
struct CCommandLineInfo {
    bool bRunEmbedded = false;
    QString strFile; // the file to open; empty: a new document
};

bool IsSwitch(const QString& strArg, QString& strName)
{
    static const char* const kSwitches[] = {"embedding", "automation", "p", "pt", "dde",
                                            "unregister", "unregserver", "register", "regserver"};
    if (strArg.size() < 2 || (strArg[0] != u'-' && strArg[0] != u'/'))
        return false;
    strName = strArg.mid(1).toLower();
    if (strArg[0] == u'-')
        return true;
    // "/name" is a switch only when it names one: otherwise it is an absolute path.
    for (const char* psz : kSwitches)
        if (strName == QLatin1String(psz))
            return true;
    return false;
}

CCommandLineInfo ParseCommandLine(const QStringList& args)
{
    CCommandLineInfo info;
    for (const QString& strArg : args) {
        QString strName;
        if (IsSwitch(strArg, strName)) {
            if (strName == QLatin1String("embedding") || strName == QLatin1String("automation"))
                info.bRunEmbedded = true;
        } else if (info.strFile.isEmpty()) {
            info.strFile = strArg;
        }
    }
    return info;
}

int AppMessageBox(QWidget* pParent, unsigned nTextID)
{
    return KeluMessageBox(pParent, LoadKeluString(nTextID), LoadKeluString(IDS_APP_TITLE), MB_OK | MB_ICONEXCLAMATION);
}

std::FILE* OpenFile(const QString& strPath, const char* pszMode)
{
    return std::fopen(QFile::encodeName(strPath).constData(), pszMode);
}

} // namespace

CKeluApp* GetKeluApp()
{
    return g_pApp;
}

CKeluApp::CKeluApp()
{
    g_pApp = this;
}

CKeluApp::~CKeluApp()
{
    // The frame and its view go before the document they show.
    m_pMainWnd.reset();
    m_pDocument.reset();
    if (g_pApp == this)
        g_pApp = nullptr;
}

bool CKeluApp::InitSocketLayer()
{
    // A socket the downloads could use. libcurl, and the TLS library it sets up, are loaded and
    // made ready with the downloads' library at the first download (download/NetLibrary.h), not
    // at every start for a download that may never come.
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

bool CKeluApp::InitInstance(const QStringList& args)
{
    // The network layer first: without it the downloads cannot work at all.
    m_bSocketsReady = InitSocketLayer();
    if (!m_bSocketsReady) {
        AppMessageBox(nullptr, IDP_SOCKETS_INIT_FAILED);
        return false;
    }

    // The settings. At the very first start "data" does not exist yet, so the default address
    // is only written back at the next start.
    const CProfile profile = OpenKeluProfile();
    m_nNumPreviewPages = profile.GetProfileInt("Settings", "PreviewPages", 0);
    m_strAssenUrl = ReadAssenUrl(profile);

    // The single-document template's resources: the frame and the dialogs show icon 128.
    LoadKeluResources();
    QApplication::setWindowIcon(KeluIcon(kProgramIcon));

    const CCommandLineInfo cmdInfo = ParseCommandLine(args);
    if (cmdInfo.bRunEmbedded)
        return true;

    CreateDataDirectories();
    RemoveLeftWorkFiles();

    if (!ProcessShellCommand(cmdInfo.strFile))
        return false;

    // The window opens as large as it was last closed, maximised if it was.
    m_pMainWnd->ShowRemembered(profile);
    m_pMainWnd->update();
    return true;
}

bool CKeluApp::ProcessShellCommand(const QString& strFile)
{
    return strFile.isEmpty() ? OpenDocumentFile(nullptr) : OpenDocumentFile(&strFile);
}

bool CKeluApp::CreateDocumentWindow()
{
    if (!m_pDocument)
        m_pDocument = std::make_unique<CKeluDoc>();
    auto pFrame = std::make_unique<CMainFrame>();
    if (pFrame->OnCreate() != 0)
        return false;
    auto* pView = new CKeluView(m_pDocument.get(), pFrame->GetRouter(), pFrame.get());
    pView->SetAssenUrl(m_strAssenUrl);
    if (!m_pHistory)
        m_pHistory = std::make_unique<CHistoryService>();
    pView->SetHistoryService(m_pHistory.get());
    pFrame->SetView(pView, pView, this);
    // One printer for set-up, printing and the preview, so that the set-up's choice is used.
    pView->SetPrinterSource([this] { return GetPrinter(); }, m_nNumPreviewPages);
    m_pView = pView;
    m_pMainWnd = std::move(pFrame);
    return true;
}

bool CKeluApp::OpenDocumentFile(const QString* pPath)
{
    const bool bCreated = !m_pMainWnd;
    if (bCreated && !CreateDocumentWindow())
        return false;
    const bool bOk = pPath ? ReadDocumentFile(*pPath) : m_pDocument->OnNewDocument();
    if (!bOk) {
        // A window made for this document only is not left behind empty.
        if (bCreated) {
            m_pView = nullptr;
            m_pMainWnd.reset();
        }
        return false;
    }
    m_pView->OnInitialUpdate();
    m_pMainWnd->KeepMinimumSize();
    return true;
}

bool CKeluApp::ReadDocumentFile(const QString& strPath)
{
    std::FILE* pFile = OpenFile(strPath, "rb");
    if (!pFile) {
        AppMessageBox(m_pMainWnd.get(), AFX_IDP_FAILED_TO_OPEN_DOC);
        return false;
    }
    CArchive ar(pFile, false);
    m_pDocument->Serialize(ar);
    std::fclose(pFile);
    return true;
}

bool CKeluApp::WriteDocumentFile(const QString& strPath)
{
    std::FILE* pFile = OpenFile(strPath, "wb");
    bool bOk = pFile != nullptr;
    if (pFile) {
        CArchive ar(pFile, true);
        m_pDocument->Serialize(ar);
        bOk = std::fclose(pFile) == 0;
    }
    if (!bOk)
        AppMessageBox(m_pMainWnd.get(), AFX_IDP_FAILED_TO_SAVE_DOC);
    return bOk;
}

QString CKeluApp::PromptFileName(bool bOpen)
{
    QFileDialog dlg(m_pMainWnd.get(), ToQString(LoadKeluString(bOpen ? AFX_IDS_OPENFILE : AFX_IDS_SAVEFILE)));
    dlg.setNameFilter(ToQString(LoadKeluString(AFX_IDS_ALLFILTER)));
    dlg.setAcceptMode(bOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(bOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!bOpen)
        dlg.selectFile(ToQString(LoadKeluString(AFX_IDS_UNTITLED)));
    UseJapaneseFileList(&dlg);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().constFirst();
}

QPrinter* CKeluApp::GetPrinter()
{
    // Made on first use: asking the print system for its printers can take a while.
    if (!m_pPrinter) {
        m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_pPrinter->setFullPage(true);
    }
    return m_pPrinter.get();
}

bool CKeluApp::OnCmdMsg(UINT nID)
{
    return DispatchCommand<CKeluApp>(this, kCommands, nID);
}

bool CKeluApp::OnUpdateCmdUI(CCmdUI& ui)
{
    return DispatchUpdate<CKeluApp>(this, kCommands, ui);
}

void CKeluApp::OnAppAbout()
{
    CAboutDlg dlg(m_pMainWnd.get());
    dlg.DoModal();
}

void CKeluApp::OnFileNew()
{
    OpenDocumentFile(nullptr);
}

void CKeluApp::OnFileOpen()
{
    const QString strPath = PromptFileName(true);
    if (!strPath.isEmpty())
        OpenDocumentFile(&strPath);
}

void CKeluApp::OnFileSave()
{
    // The document has no file of its own, so every save asks where to write. (Remembering the
    // name of an opened file would let the next Ctrl+S empty that file without a word.)
    const QString strPath = PromptFileName(false);
    if (!strPath.isEmpty())
        WriteDocumentFile(strPath);
}

CRecordWindow* CKeluApp::GetRecordWindow() const
{
    return m_pRecordWindow.data();
}

void CKeluApp::OnPredictionRecord()
{
    if (!m_pRecordWindow) {
        m_pRecordWindow = new CRecordWindow(*m_pHistory, m_pMainWnd.get());
        m_pRecordWindow->SetBusyCheck([this] { return m_pView && m_pView->IsDownloading(); });
        m_pRecordWindow->show();
        m_pRecordWindow->Start();
        return;
    }
    m_pRecordWindow->show();
    m_pRecordWindow->raise();
    m_pRecordWindow->activateWindow();
}

void CKeluApp::OnFitForecast()
{
    CFitForecastDlg dlg(*m_pHistory, m_pMainWnd.get());
    dlg.exec();
}

void CKeluApp::OnFilePrintSetup()
{
    // The print dialog in set-up use: the printer, and through its properties the paper and
    // the orientation, chosen for the jobs to come. A job's pages are chosen when it prints.
    if (m_pView && m_pView->GetDocument()->GetVenue() != 0)
        m_pView->NamePrintJob(GetPrinter(), false);
    QPrintDialog dlg(GetPrinter(), m_pMainWnd.get());
    dlg.setWindowTitle(ToQString(Sjis("ﾌﾟﾘﾝﾀの設定")));
    dlg.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (auto* pButtons = dlg.findChild<QDialogButtonBox*>()) {
        for (QAbstractButton* pButton : pButtons->buttons())
            if (pButtons->buttonRole(pButton) == QDialogButtonBox::AcceptRole) {
                pButton->setText(QStringLiteral("OK"));
                pButton->setIcon(QIcon());
            }
    }
    if (dlg.exec() == QDialog::Accepted)
        CKeluView::RememberPdfFolder(GetPrinter());
}
