// Printing and previewing the races of the chosen venue: one page of three races (the page of
// the chosen race) or the venue's four pages, on A4 portrait. Every page is drawn from the
// templates in data/: the program form, the program data sheet written for the page, and,
// when the chosen race has its result, the result form and the result data sheet.

#include "view/KeluView.h"

#include "app/Startup.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"
#include "platform/TextFile.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/QtText.h"
#include "print/PainterDC.h"
#include "print/PrintInfo.h"
#include "print/TemplateRenderer.h"
#include "res/StringIds.h"
#include "res/Strings.h"
#include "res/resource.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QStandardPaths>

#include <algorithm>

#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr int kRacesPerPage = 3;
constexpr int kPagesOfVenue = 4;

constexpr const char* kProgramForm = "data\\yftpl.txt";
constexpr const char* kResultForm = "data\\kftpl.txt";

// A4 portrait as a printer reports it, in millimetres, bounds included.
constexpr double kA4MinWidth = 208.0;
constexpr double kA4MaxWidth = 210.0;
constexpr double kA4MinHeight = 295.0;
constexpr double kA4MaxHeight = 298.0;
constexpr double kMillimetresPerInch = 25.4;

// The first race of a page: 1, 4, 7 or 10.
int FirstRaceOf(int nRaceOrPage, bool bByRace)
{
    const int nPage = bByRace ? (nRaceOrPage - 1) / kRacesPerPage + 1 : nRaceOrPage;
    if (nPage >= 1 && nPage <= kPagesOfVenue - 1)
        return (nPage - 1) * kRacesPerPage + 1;
    return (kPagesOfVenue - 1) * kRacesPerPage + 1;
}

// Where a PDF file goes when nothing was chosen yet: the documents folder, else the home folder.
QString DefaultPdfFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

bool PrintsToPdf(const QPrinter* pPrinter)
{
    // Without a printer of the system's the print dialog offers the PDF file alone.
    return pPrinter->outputFormat() == QPrinter::PdfFormat || QPrinterInfo::availablePrinterNames().isEmpty();
}

void DeleteFile(const char* pszPath)
{
    std::remove(DiskPath(pszPath).GetString());
}

// Draws a data sheet and deletes it, also when drawing fails.
void DrawSheet(CTemplateRenderer& renderer, CDC* pDC, const char* pszSheet)
{
    struct CDeleteAfter {
        const char* pszPath;
        ~CDeleteAfter() { DeleteFile(pszPath); }
    } deleteAfter{pszSheet};
    renderer.PrintTemplate(pszSheet, pDC);
}

// The paper a printer holds, in whole device pixels, as the paper check reads it.
struct CPaper {
    int nWidth, nHeight, nDpiX, nDpiY;
    bool operator==(const CPaper&) const = default;
};

CPaper PaperOf(CDC* pDC)
{
    return {pDC->GetDeviceCaps(CDC::PHYSICALWIDTH), pDC->GetDeviceCaps(CDC::PHYSICALHEIGHT),
            pDC->GetDeviceCaps(CDC::LOGPIXELSX), pDC->GetDeviceCaps(CDC::LOGPIXELSY)};
}

// The pages of the job that the printer's page range chooses.
std::vector<int> ChosenPages(const QPrinter* pPrinter, const CPrintInfo& info)
{
    const bool bRange = pPrinter->printRange() == QPrinter::PageRange;
    const QPageRanges ranges = pPrinter->pageRanges();
    std::vector<int> pages;
    for (int nPage = info.GetMinPage(); nPage <= info.GetMaxPage(); ++nPage) {
        const bool bChosen = !bRange || (ranges.isEmpty() ? nPage >= pPrinter->fromPage() && nPage <= pPrinter->toPage()
                                                          : ranges.contains(nPage));
        if (bChosen)
            pages.push_back(nPage);
    }
    return pages;
}

} // namespace

void CKeluView::SetPrinterSource(std::function<QPrinter*()> fnPrinter, int nPreviewPages)
{
    m_fnPrinter = std::move(fnPrinter);
    m_nPreviewPages = nPreviewPages;
}

QPrinter* CKeluView::GetPrinter()
{
    if (m_fnPrinter)
        return m_fnPrinter();
    if (!m_pOwnPrinter) {
        m_pOwnPrinter = std::make_shared<QPrinter>(QPrinter::HighResolution);
        m_pOwnPrinter->setFullPage(true);
    }
    return m_pOwnPrinter.get();
}

bool CKeluView::OnPreparePrinting(CPrintInfo* pInfo)
{
    const CKeluDoc* pDoc = GetDocument();
    const int nVenue = pDoc->GetVenue();
    const int nRace = pDoc->GetRace();
    if (nVenue == 0 || nRace == 0) {
        KeluMessageBox(this, Sjis("レース場を選択してください"), Sjis("操作ガイド"), MB_OK | MB_ICONINFORMATION);
        return false;
    }
    if (!pDoc->HasRace(nVenue, nRace)) {
        KeluMessageBox(this, Sjis("印刷できるものがありません"), Sjis("操作ガイド"), MB_OK | MB_ICONINFORMATION);
        return false;
    }
    pInfo->SetMaxPage(m_bPrintAll ? kPagesOfVenue : 1);
    return DoPreparePrinting(pInfo);
}

void CKeluView::NamePrintJob(QPrinter* pPrinter, bool bWholeVenue)
{
    const CKeluDoc* pDoc = GetDocument();
    const int nFirst = bWholeVenue ? 1 : FirstRaceOf(pDoc->GetRace(), true);
    const int nLast = bWholeVenue ? kRacesPerPage * kPagesOfVenue : nFirst + kRacesPerPage - 1;
    // No slash in it: the file name is made from the job's name, and a slash would make folders.
    const QString name = ToQString(m_dateShown.Format("%Y-%m-%d") + " " + CKeluDoc::GetVenueName(pDoc->GetVenue())) +
                         QStringLiteral(" %1R-%2R").arg(nFirst).arg(nLast);
    pPrinter->setDocName(name);
    if (!PrintsToPdf(pPrinter))
        return;
    QString folder = QFileInfo(pPrinter->outputFileName()).absolutePath();
    if (pPrinter->outputFileName().isEmpty() || !QFileInfo(folder).isDir()) {
        folder = ToQString(OpenKeluProfile().GetProfileString("Print", "PdfFolder", ""));
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            folder = DefaultPdfFolder();
    }
    pPrinter->setOutputFileName(QDir(folder).filePath(name + QStringLiteral(".pdf")));
}

void CKeluView::RememberPdfFolder(const QPrinter* pPrinter)
{
    if (pPrinter->outputFormat() != QPrinter::PdfFormat || pPrinter->outputFileName().isEmpty())
        return;
    const QString folder = QFileInfo(pPrinter->outputFileName()).absolutePath();
    OpenKeluProfile().WriteProfileString("Print", "PdfFolder", FromQString(folder).GetString());
}

bool CKeluView::DoPreparePrinting(CPrintInfo* pInfo)
{
    QPrinter* pPrinter = GetPrinter();
    NamePrintJob(pPrinter, pInfo->GetMaxPage() > 1);
    // Every job offers all of its pages first, whatever range the last one printed.
    pPrinter->setPrintRange(QPrinter::AllPages);
    pPrinter->setPageRanges(QPageRanges());
    if (pInfo->m_bPreview)
        return true;
    QPrintDialog dlg(pPrinter, this);
    dlg.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                   QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintCollateCopies);
    dlg.setMinMax(pInfo->GetMinPage(), pInfo->GetMaxPage());
    if (dlg.exec() != QDialog::Accepted)
        return false;
    RememberPdfFolder(pPrinter);
    return true;
}

void CKeluView::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo)
{
    // Multiplied before dividing, so that paper of exactly 208 mm is not taken for 207.99999.
    const double dWidth = pDC->GetDeviceCaps(CDC::PHYSICALWIDTH) * kMillimetresPerInch /
                          pDC->GetDeviceCaps(CDC::LOGPIXELSX);
    const double dHeight = pDC->GetDeviceCaps(CDC::PHYSICALHEIGHT) * kMillimetresPerInch /
                           pDC->GetDeviceCaps(CDC::LOGPIXELSY);
    const bool bA4Portrait = dWidth >= kA4MinWidth && dWidth <= kA4MaxWidth && dHeight >= kA4MinHeight &&
                             dHeight <= kA4MaxHeight;
    if (bA4Portrait)
        return;
    const int nAnswer = KeluMessageBox(
        this, Sjis("用紙サイズがA4縦に設定されていないためレイアウトが崩れます。\n強制的に印刷をしますか？"),
        Sjis("確認"), MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
    if (nAnswer != IDYES)
        pInfo->m_bContinuePrinting = false;
}

void CKeluView::OnPrint(CDC* pDC, CPrintInfo* pInfo)
{
    CKeluDoc* pDoc = GetDocument();
    CTemplateRenderer renderer;
    const int nVenue = pDoc->GetVenue();
    const bool bOnePage = pInfo->GetMaxPage() == 1;
    const int nFirstRace = FirstRaceOf(bOnePage ? pDoc->GetRace() : pInfo->m_nCurPage, bOnePage);
    // A template that cannot be read leaves its layer out and the page goes on; the user is
    // told which file it was once the pages are drawn.
    auto drawForm = [&](const char* pszForm) {
        if (!renderer.PrintTemplate(pszForm, pDC))
            pInfo->NoteMissingTemplate(pszForm);
    };
    auto writeSheet = [&](bool bWritten, const char* pszTemplate) {
        if (!bWritten)
            pInfo->NoteMissingTemplate(pszTemplate);
    };

    drawForm(kProgramForm);
    writeSheet(pDoc->WriteProgramSheet(nVenue, nFirstRace), CKeluDoc::kProgramDataTemplate);
    DrawSheet(renderer, pDC, CKeluDoc::kProgramSheet);
    // The chosen race decides for every page of the job whether results are printed: a race
    // with a result section, also a void one; a cancelled race or one still to be run has none,
    // whatever words the page would show for it.
    if (!pDoc->GetPublishedWinningMove().IsEmpty()) {
        drawForm(kResultForm);
        writeSheet(pDoc->WriteResultSheet(nVenue, nFirstRace), CKeluDoc::kResultDataTemplate);
        DrawSheet(renderer, pDC, CKeluDoc::kResultSheet);
    }
}

void CKeluView::TellMissingTemplates(CPrintInfo& info)
{
    if (info.m_missingTemplates.empty() || info.m_bMissingTold)
        return;
    info.m_bMissingTold = true;
    CString strText = Sjis("次の印刷テンプレートを読めないため、ページのその部分が欠けています。");
    for (const std::string& path : info.m_missingTemplates)
        strText += CString("\n") + path.c_str();
    KeluMessageBox(this, strText, Sjis("操作ガイド"), MB_OK | MB_ICONINFORMATION);
}

void CKeluView::PrintPages(QPrinter* pPrinter, CPrintInfo& info)
{
    const std::vector<int> pages = ChosenPages(pPrinter, info);
    if (pages.empty())
        return;
    QPainter painter;
    if (!painter.begin(pPrinter)) {
        KeluMessageBox(this, Sjis("印刷ｼﾞｮﾌﾞを開始できませんでした。"), LoadKeluString(IDS_APP_TITLE),
                       MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CPainterDC dc(pPrinter, &painter);
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0)
            pPrinter->newPage();
        info.m_nCurPage = pages[i];
        OnPrint(&dc, &info);
    }
    painter.end();
    TellMissingTemplates(info);
}

void CKeluView::OnFilePrint()
{
    CPrintInfo info;
    if (!OnPreparePrinting(&info))
        return;
    QPrinter* pPrinter = GetPrinter();
    // The paper is checked before the job starts, so that No leaves no empty job or file.
    CPainterDC attributes(pPrinter, nullptr);
    OnBeginPrinting(&attributes, &info);
    if (info.m_bContinuePrinting)
        PrintPages(pPrinter, info);
}

void CKeluView::OnFilePrintPreview()
{
    CPrintInfo info;
    info.m_bPreview = true;
    if (!OnPreparePrinting(&info))
        return;
    QPrinter* pPrinter = GetPrinter();
    // The paper is checked once before the preview opens, and again only when the user picks
    // another paper in the preview's own page set-up. No shows the preview without pages.
    std::optional<CPaper> judged;
    bool bGoOn = true;
    auto checkPaper = [&](QPrinter* pDevice) {
        CPainterDC attributes(pDevice, nullptr);
        const CPaper paper = PaperOf(&attributes);
        if (judged && *judged == paper)
            return;
        judged = paper;
        CPrintInfo check = info;
        OnBeginPrinting(&attributes, &check);
        bGoOn = check.m_bContinuePrinting;
    };
    checkPaper(pPrinter);

    QPrintPreviewDialog dlg(pPrinter, this);
    // Room for a whole A4 page at a readable size rather than the dialog's small default.
    if (const QScreen* pScreen = screen()) {
        const QRect avail = pScreen->availableGeometry();
        const int nHeight = avail.height() * 9 / 10;
        dlg.resize(std::min(avail.width() * 9 / 10, nHeight * 4 / 5), nHeight);
    }
    if (m_nPreviewPages == 1)
        dlg.findChild<QPrintPreviewWidget*>()->setViewMode(QPrintPreviewWidget::SinglePageView);
    else if (m_nPreviewPages >= 2)
        dlg.findChild<QPrintPreviewWidget*>()->setViewMode(QPrintPreviewWidget::FacingPagesView);
    connect(&dlg, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter* pDevice) {
        checkPaper(pDevice);
        if (bGoOn)
            PrintPages(pDevice, info);
    });
    dlg.exec();
    // The preview's own print dialog may have chosen a PDF file.
    RememberPdfFolder(pPrinter);
}
