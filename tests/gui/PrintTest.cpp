// Printing and previewing on a real day (6 January 2020, 児島, venue 16) with the shipped
// templates: the pages a command prints, the races on each page, the messages, the paper check,
// and a whole venue printed to a PDF file.

#include "AppHarness.h"
#include "MessageLog.h"
#include "TestDir.h"
#include "model/KeluDoc.h"
#include "platform/Profile.h"
#include "platform/Sjis.h"
#include "platform/gui/CommandRouter.h"
#include "platform/gui/MessageBox.h"
#include "print/PrintInfo.h"
#include "print/RecordingDC.h"
#include "res/resource.h"
#include "view/KeluView.h"

#include <QDateEdit>
#include <QMainWindow>
#include <QPageSize>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using apptest::CModalDriver;

namespace {

using Races = std::vector<int>;

constexpr int kKojima = 16;
constexpr int kAmagasaki = 13;

// The heading of race r as the day files write it: "　７Ｒ", "１２Ｒ".
std::string RaceLabel(int r)
{
    static const char* const kDigits[] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    return (r < 10 ? std::string("　") : std::string(kDigits[r / 10])) + kDigits[r % 10] + "Ｒ";
}

// The view as the frame hosts it; every page it prints is also drawn on a recording device
// context, so that a test can read which texts each page holds.
class CRecordingView : public CKeluView {
public:
    using CKeluView::CKeluView;
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override
    {
        CRecordingDC dc;
        CKeluView::OnPrint(&dc, pInfo);
        std::string strTexts;
        for (const std::string& l : dc.Lines(CRecordingDC::EKind::Text))
            strTexts += l + "\n";
        m_pages.push_back(strTexts);
        CKeluView::OnPrint(pDC, pInfo);
    }
    // The races whose headings each page shows.
    std::vector<Races> PageRaces() const
    {
        std::vector<Races> pages;
        for (const std::string& s : m_pages) {
            Races races;
            for (int r = 1; r <= 12; ++r)
                if (s.find(RaceLabel(r)) != std::string::npos)
                    races.push_back(r);
            pages.push_back(races);
        }
        return pages;
    }
    bool EveryPageHas(const char* pszUtf8) const
    {
        return !m_pages.empty() && std::all_of(m_pages.begin(), m_pages.end(), [&](const std::string& s) {
            return s.find(pszUtf8) != std::string::npos;
        });
    }
    std::vector<std::string> m_pages;
};

// Records the message boxes and gives the answer set.
using CMessages = testsupport::CMessageLog;
const CMessages::CCall kPaperQuestion{
    "用紙サイズがA4縦に設定されていないためレイアウトが崩れます。\n強制的に印刷をしますか？", "確認",
    MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2};

class PrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories("data");
        for (const char* pszName : {"yftpl.txt", "ydtpl.txt", "kftpl.txt", "kdtpl.txt"})
            fs::copy_file(fs::path(KELU_TEMPLATE_DIR) / pszName, fs::path("data") / pszName);
        if (!testsupport::CopySharedDayFile("B200106.TXT", "data/prog/B200106.TXT") ||
            !testsupport::CopySharedDayFile("K200106.TXT", "data/res/K200106.TXT") ||
            !testsupport::CopySharedDayFile("B200108.TXT", "data/prog/B200108.TXT") ||
            !testsupport::CopySharedDayFile("K200108.TXT", "data/res/K200108.TXT"))
            GTEST_SKIP() << testsupport::NoSharedDataReason();
        m_pView = new CRecordingView(m_pDoc.get(), &m_router, &m_frame);
        m_frame.setCentralWidget(m_pView);
        m_router.SetRoute({m_pView});
        m_pView->OnInitialUpdate();
        m_frame.show();
        Choose(QDate(2020, 1, 6), kKojima, 1);
    }

    void Choose(const QDate& day, int nVenue, int nRace)
    {
        static_cast<QDateEdit*>(m_pView->GetDlgItem(IDC_DATE))->setDate(day);
        m_pView->SelectVenue(nVenue);
        m_pView->SelectRace(nRace);
    }
    // The printer prints PDF files, into the working directory; each job names its own file.
    void PrintInto(const char* pszFile)
    {
        Printer()->setOutputFileName(QString::fromStdString(fs::absolute(pszFile).string()));
    }
    QPrinter* Printer() { return m_pView->GetPrinter(); }
    // Runs a command, meeting its dialogs with the steps; the pages it printed.
    std::vector<Races> Run(UINT nID, std::vector<CModalDriver::Step> steps = {})
    {
        m_pView->m_pages.clear();
        CModalDriver driver(std::move(steps));
        m_router.Execute(nID);
        m_seen = driver.Seen();
        return m_pView->PageRaces();
    }

    std::unique_ptr<CKeluDoc> m_pDoc = std::make_unique<CKeluDoc>();
    CCommandRouter m_router;
    QMainWindow m_frame;
    CRecordingView* m_pView = nullptr;
    QStringList m_seen;
};

// Accepts the print dialog, after checking the pages it offers and choosing some when asked.
CModalDriver::Step AcceptPrint(int nMaxPage, int nFrom = 0, int nTo = 0)
{
    return [=](QWidget* pWidget) {
        auto* pDialog = qobject_cast<QPrintDialog*>(pWidget);
        ASSERT_NE(pDialog, nullptr);
        EXPECT_EQ(pDialog->minPage(), 1);
        EXPECT_EQ(pDialog->maxPage(), nMaxPage);
        if (nFrom > 0) {
            pDialog->findChild<QRadioButton*>(QStringLiteral("printRange"))->setChecked(true);
            pDialog->findChild<QSpinBox*>(QStringLiteral("from"))->setValue(nFrom);
            pDialog->findChild<QSpinBox*>(QStringLiteral("to"))->setValue(nTo);
        }
        QMetaObject::invokeMethod(pDialog, "accept", Qt::QueuedConnection);
    };
}

// Notes how many pages the preview shows and closes it.
CModalDriver::Step ClosePreview(int& nPages)
{
    return [&nPages](QWidget* pWidget) {
        auto* pDialog = qobject_cast<QPrintPreviewDialog*>(pWidget);
        ASSERT_NE(pDialog, nullptr);
        nPages = pDialog->findChild<QPrintPreviewWidget*>()->pageCount();
        QMetaObject::invokeMethod(pDialog, "reject", Qt::QueuedConnection);
    };
}

std::string Shell(const std::string& strCommand)
{
    std::string out;
    if (std::FILE* p = popen(strCommand.c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

std::string WithoutBlanks(std::string s)
{
    for (const char* pszBlank : {" ", "　", "\n", "\f"})
        for (size_t i; (i = s.find(pszBlank)) != std::string::npos;)
            s.erase(i, std::string(pszBlank).size());
    return s;
}

} // namespace

TEST_F(PrintTest, ThePageOfTheChosenRaceOrTheChosenPagesOfTheVenue)
{
    Choose(QDate(2020, 1, 6), kKojima, 8);
    PrintInto("race.pdf");
    EXPECT_EQ(Run(ID_FILE_PRINT_RACE, {AcceptPrint(1)}), (std::vector<Races>{{7, 8, 9}}));
    EXPECT_TRUE(fs::exists("2020-01-06 児島 7R-9R.pdf"));
    // Race 8 has its result, so the result frame is on the page.
    EXPECT_TRUE(m_pView->EveryPageHas("単勝"));

    PrintInto("range.pdf");
    EXPECT_EQ(Run(ID_FILE_PRINT_ALL, {AcceptPrint(4, 2, 3)}), (std::vector<Races>{{4, 5, 6}, {7, 8, 9}}));
    // Ctrl+P prints what the last command chose: all races, all pages again.
    PrintInto("all.pdf");
    EXPECT_EQ(Run(ID_FILE_PRINT, {AcceptPrint(4)}), (std::vector<Races>{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}}));
    // A cancelled dialog prints nothing.
    EXPECT_TRUE(Run(ID_FILE_PRINT_RACE).empty());
    EXPECT_EQ(m_seen, QStringList{QStringLiteral("QPrintDialog")});

    // The sheets live only while their page is drawn; the selection is as the user left it.
    EXPECT_FALSE(fs::exists("data/yddat.txt"));
    EXPECT_FALSE(fs::exists("data/kddat.txt"));
    EXPECT_EQ(m_pDoc->GetVenue(), kKojima);
    EXPECT_EQ(m_pDoc->GetRace(), 8);
}

TEST_F(PrintTest, PreviewShowsThePagesWithoutADialogAndTheChosenRaceDecidesTheResults)
{
    int nPages = 0;
    Choose(QDate(2020, 1, 6), kKojima, 12);
    EXPECT_EQ(Run(ID_FILE_PREVIEW_RACE, {ClosePreview(nPages)}), (std::vector<Races>{{10, 11, 12}}));
    EXPECT_EQ(nPages, 1);
    EXPECT_EQ(m_seen, QStringList{QStringLiteral("QPrintPreviewDialog")});

    // 尼崎 on 8 January: races 1 and 2 were run, the rest cancelled. Race 1 chosen: every page
    // gets the result frame; race 5 chosen: none does.
    Choose(QDate(2020, 1, 8), kAmagasaki, 1);
    EXPECT_EQ(Run(ID_FILE_PREVIEW_ALL, {ClosePreview(nPages)}).size(), 4u);
    EXPECT_EQ(nPages, 4);
    EXPECT_TRUE(m_pView->EveryPageHas("単勝"));
    EXPECT_TRUE(m_pView->EveryPageHas("風 "));
    Choose(QDate(2020, 1, 8), kAmagasaki, 5);
    EXPECT_EQ(Run(ID_FILE_PREVIEW_ALL, {ClosePreview(nPages)}).size(), 4u);
    for (const std::string& s : m_pView->m_pages)
        EXPECT_EQ(s.find("単勝"), std::string::npos);
}

TEST_F(PrintTest, NothingToPrintIsSaidAndNoDialogOpens)
{
    CMessages messages;
    const CMessages::CCall kChooseVenue{"レース場を選択してください", "操作ガイド", MB_OK | MB_ICONINFORMATION};
    const CMessages::CCall kNothing{"印刷できるものがありません", "操作ガイド", MB_OK | MB_ICONINFORMATION};

    // A venue without a race chosen.
    m_pDoc->ClearSelection();
    m_pDoc->SetSelection(kKojima, 0);
    EXPECT_TRUE(Run(ID_FILE_PRINT_RACE).empty());
    EXPECT_TRUE(Run(ID_FILE_PREVIEW_ALL).empty());
    // No venue: the four commands are off, but Ctrl+P still asks for one.
    m_pDoc->ClearSelection();
    EXPECT_FALSE(m_router.Execute(ID_FILE_PRINT_ALL));
    EXPECT_TRUE(Run(ID_FILE_PRINT).empty());
    // 浜名湖 does not race that day.
    m_pDoc->SetSelection(6, 1);
    EXPECT_TRUE(Run(ID_FILE_PREVIEW_RACE).empty());

    EXPECT_EQ(messages.calls, (std::vector<CMessages::CCall>{kChooseVenue, kChooseVenue, kChooseVenue, kNothing}));
    EXPECT_TRUE(m_seen.isEmpty());
}

TEST_F(PrintTest, PaperOtherThanA4PortraitIsQuestioned)
{
    CMessages messages;
    // At 254 pixels an inch a pixel is a tenth of a millimetre.
    const struct {
        int nWidth, nHeight;
        bool bAsks;
    } kPapers[] = {
        {2080, 2950, false}, {2100, 2980, false}, {2099, 2969, false}, {2079, 2970, true}, {2101, 2970, true},
        {2100, 2949, true},  {2100, 2981, true},  {2970, 2100, true},  {2159, 2794, true},
    };
    for (const auto& p : kPapers) {
        for (int nAnswer : {IDYES, IDNO}) {
            messages.calls.clear();
            messages.nAnswer = nAnswer;
            CRecordingDC dc(254, p.nWidth, p.nHeight);
            CPrintInfo info;
            m_pView->OnBeginPrinting(&dc, &info);
            EXPECT_EQ(messages.calls.size(), p.bAsks ? 1u : 0u) << p.nWidth << "x" << p.nHeight;
            EXPECT_EQ(info.m_bContinuePrinting, !p.bAsks || nAnswer == IDYES) << p.nWidth << "x" << p.nHeight;
        }
    }

    // Letter: asked after the print dialog; No prints nothing and makes no file.
    messages.calls.clear();
    messages.nAnswer = IDNO;
    Printer()->setPageSize(QPageSize(QPageSize::Letter));
    PrintInto("letter.pdf");
    EXPECT_TRUE(Run(ID_FILE_PRINT_RACE, {AcceptPrint(1)}).empty());
    EXPECT_EQ(messages.calls, std::vector<CMessages::CCall>{kPaperQuestion});
    EXPECT_FALSE(fs::exists("letter.pdf"));

    // A4 landscape in the preview: asked, and No shows no page, Yes the page.
    int nPages = -1;
    Printer()->setPageSize(QPageSize(QPageSize::A4));
    Printer()->setPageOrientation(QPageLayout::Landscape);
    messages.calls.clear();
    EXPECT_TRUE(Run(ID_FILE_PREVIEW_RACE, {ClosePreview(nPages)}).empty());
    EXPECT_EQ(nPages, 0);
    messages.nAnswer = IDYES;
    EXPECT_EQ(Run(ID_FILE_PREVIEW_RACE, {ClosePreview(nPages)}).size(), 1u);
    EXPECT_EQ(nPages, 1);
    EXPECT_EQ(messages.calls, (std::vector<CMessages::CCall>{kPaperQuestion, kPaperQuestion}));

    // A printer reporting 209.9 x 296.9 mm is not asked about.
    messages.calls.clear();
    Printer()->setPageOrientation(QPageLayout::Portrait);
    Printer()->setPageSize(QPageSize(QSizeF(209.9, 296.9), QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
    EXPECT_EQ(Run(ID_FILE_PREVIEW_RACE, {ClosePreview(nPages)}).size(), 1u);
    EXPECT_TRUE(messages.calls.empty());
}

TEST_F(PrintTest, AMissingTemplateIsNamedOnceAJobAndNoOlderSheetIsDrawn)
{
    CMessages messages;
    const std::string kIntro = "次の印刷テンプレートを読めないため、ページのその部分が欠けています。";
    const unsigned kType = MB_OK | MB_ICONINFORMATION;
    Choose(QDate(2020, 1, 6), kKojima, 8);
    fs::remove("data/ydtpl.txt");
    // A program sheet left behind by a run that ended while drawing.
    std::ofstream("data/yddat.txt", std::ios::binary) << "TEXT\t20\t20\tSTALE-SHEET\r\n";
    int nPages = 0;
    EXPECT_EQ(Run(ID_FILE_PREVIEW_ALL, {ClosePreview(nPages)}).size(), 4u);
    EXPECT_EQ(nPages, 4);
    ASSERT_EQ(m_pView->m_pages.size(), 4u);
    for (const std::string& strPage : m_pView->m_pages)
        EXPECT_EQ(strPage.find("STALE-SHEET"), std::string::npos);
    // The rest of the page is there: the program frame, the result frame and its values.
    EXPECT_TRUE(m_pView->EveryPageHas("選　手　名"));
    EXPECT_TRUE(m_pView->EveryPageHas("単勝"));
    EXPECT_TRUE(m_pView->EveryPageHas("風 "));
    EXPECT_FALSE(m_pView->EveryPageHas("柏野"));
    EXPECT_EQ(messages.calls, (std::vector<CMessages::CCall>{{kIntro + "\ndata\\ydtpl.txt", "操作ガイド", kType}}));

    // The next job tells again, every missing template once, in the order the page needs them.
    fs::remove("data/kftpl.txt");
    fs::remove("data/kdtpl.txt");
    messages.calls.clear();
    PrintInto("missing.pdf");
    EXPECT_EQ(Run(ID_FILE_PRINT_ALL, {AcceptPrint(4)}).size(), 4u);
    EXPECT_EQ(messages.calls, (std::vector<CMessages::CCall>{
                                  {kIntro + "\ndata\\ydtpl.txt\ndata\\kftpl.txt\ndata\\kdtpl.txt", "操作ガイド", kType}}));
    EXPECT_TRUE(m_pView->EveryPageHas("選　手　名"));
    EXPECT_FALSE(m_pView->EveryPageHas("風 "));
    EXPECT_FALSE(fs::exists("data/yddat.txt"));
}

TEST_F(PrintTest, AWholeVenueToPdf)
{
    if (Shell("command -v pdftotext >/dev/null && command -v pdfinfo >/dev/null && echo yes") != "yes\n")
        FAIL() << "pdftotext and pdfinfo are needed (Debian package poppler-utils)";
    PrintInto("venue.pdf");
    ASSERT_EQ(Run(ID_FILE_PRINT_ALL, {AcceptPrint(4)}).size(), 4u);
    const std::string strInfo = Shell("pdfinfo '2020-01-06 児島 1R-12R.pdf'");
    EXPECT_NE(strInfo.find("Pages:           4\n"), std::string::npos);
    // The file's title names the day, the venue and the races.
    EXPECT_NE(strInfo.find("Title:           2020-01-06 児島 1R-12R\n"), std::string::npos) << strInfo;
    const std::string strText = WithoutBlanks(Shell("pdftotext -enc UTF-8 -f 1 -l 1 '2020-01-06 児島 1R-12R.pdf' -"));
    for (const char* pszText : {"児島", "柏野幸二", "玄馬徹", "中村格", "井川真人", "福嶋智之", "守屋大地"})
        EXPECT_NE(strText.find(pszText), std::string::npos) << pszText;
}

TEST_F(PrintTest, ThePdfFileOfferedIsNamedAfterThePageInTheDocumentsFolderAndTheFolderChosenIsKept)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has printers: the print dialog would offer one of them";
    // A home of the test's own, with a documents folder.
    const fs::path home = fs::absolute("home");
    fs::create_directories(home / "Documents");
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(home.string()));
    qunsetenv("XDG_DOCUMENTS_DIR");
    // Reads the file the dialog offers and prints into it, or into the one typed instead.
    QString offered;
    const auto PrintOffered = [&offered](const QString& typed) -> CModalDriver::Step {
        return [&offered, typed](QWidget* pWidget) {
            QLineEdit* pFile = nullptr;
            for (QLineEdit* pEdit : pWidget->findChildren<QLineEdit*>())
                if (pEdit->text().endsWith(QStringLiteral(".pdf")))
                    pFile = pEdit;
            if (!pFile) {
                ADD_FAILURE() << "no PDF file offered";
                QMetaObject::invokeMethod(pWidget, "reject", Qt::QueuedConnection);
                return;
            }
            offered = pFile->text();
            if (!typed.isEmpty())
                pFile->setText(typed);
            QMetaObject::invokeMethod(pWidget, "accept", Qt::QueuedConnection);
        };
    };
    Choose(QDate(2020, 1, 6), kKojima, 5);
    EXPECT_EQ(Run(ID_FILE_PRINT_RACE, {PrintOffered({})}).size(), 1u);
    const fs::path documents = home / "Documents";
    EXPECT_EQ(offered.toStdString(), (documents / "2020-01-06 児島 4R-6R.pdf").string());
    EXPECT_TRUE(fs::is_regular_file(documents / "2020-01-06 児島 4R-6R.pdf"));

    // Another folder typed in the dialog is offered for the next job, also after a restart.
    fs::create_directories(home / "races");
    const std::string typed = (home / "races" / "mine.pdf").string();
    EXPECT_EQ(Run(ID_FILE_PRINT_ALL, {PrintOffered(QString::fromStdString(typed))}).size(), 4u);
    EXPECT_EQ(offered.toStdString(), (documents / "2020-01-06 児島 1R-12R.pdf").string());
    EXPECT_TRUE(fs::is_regular_file(typed));
    EXPECT_EQ(CProfile("data/kelu.ini").GetProfileString("Print", "PdfFolder", "").Str(), (home / "races").string());
    Printer()->setOutputFileName(QString());
    Choose(QDate(2020, 1, 6), kKojima, 12);
    EXPECT_EQ(Run(ID_FILE_PRINT_RACE, {PrintOffered({})}).size(), 1u);
    EXPECT_EQ(offered.toStdString(), (home / "races" / "2020-01-06 児島 10R-12R.pdf").string());
    qputenv("HOME", oldHome);
}
