// The application object: the start-up sequence in an empty folder, the command line, the
// socket failure, and the application's commands (new, open, save, printer setup, about).

#include "AppHarness.h"
#include "MessageLog.h"
#include "DayFixture.h"
#include "app/Startup.h"
#include "model/KeluDoc.h"
#include "platform/Profile.h"
#include "platform/Sjis.h"
#include "platform/gui/MessageBox.h"
#include "res/Menu.h"
#include "res/resource.h"
#include "view/KeluView.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFrame>
#include <QLineEdit>
#include <QMessageBox>
#include <QComboBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace apptest;

namespace {

class CNoSocketApp : public CKeluApp {
protected:
    bool InitSocketLayer() override { return false; }
};

void WriteText(const char* path, const char* text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

QString Absolute(const char* path)
{
    return QString::fromStdString(fs::absolute(path).string());
}

CModalDriver::Step ChooseFile(const QString& strPath, QString* pCaption = nullptr, QString* pProposed = nullptr)
{
    return [=](QWidget* pWidget) {
        auto* pDialog = qobject_cast<QFileDialog*>(pWidget);
        ASSERT_NE(pDialog, nullptr);
        if (pCaption)
            *pCaption = pDialog->windowTitle();
        if (pProposed)
            *pProposed = pDialog->selectedFiles().value(0);
        // Typed into the name field, as the user would; the field has the focus, so selectFile()
        // would not fill it.
        auto* pName = pDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(pName, nullptr);
        pName->setText(strPath);
        QMetaObject::invokeMethod(pDialog, "accept", Qt::QueuedConnection);
    };
}

CModalDriver::Step Reject()
{
    return [](QWidget* pWidget) {
        auto* pDialog = qobject_cast<QDialog*>(pWidget);
        ASSERT_NE(pDialog, nullptr);
        QMetaObject::invokeMethod(pDialog, "reject", Qt::QueuedConnection);
    };
}

CModalDriver::Step AnswerYes()
{
    return [](QWidget* pWidget) {
        auto* pBox = qobject_cast<QMessageBox*>(pWidget);
        ASSERT_NE(pBox, nullptr);
        QAbstractButton* pYes = pBox->button(QMessageBox::Yes);
        ASSERT_NE(pYes, nullptr);
        QMetaObject::invokeMethod(pYes, [pYes] { pYes->click(); }, Qt::QueuedConnection);
    };
}

} // namespace

TEST(AppTest, FirstStartMakesTheFoldersAndTheSecondWritesTheSettings)
{
    {
        auto pApp = StartApp();
        EXPECT_TRUE(fs::is_directory("data/prog"));
        EXPECT_TRUE(fs::is_directory("data/res"));
        // "data" did not exist when the address was read, so nothing could be written yet.
        EXPECT_FALSE(fs::exists("data/kelu.ini"));
        EXPECT_EQ(pApp->m_strAssenUrl, CString(kDefaultAssenUrl));

        CMainFrame* pFrame = pApp->GetMainWnd();
        ASSERT_NE(pFrame, nullptr);
        EXPECT_TRUE(pFrame->isVisible());
        EXPECT_FALSE(pFrame->isMaximized());
        EXPECT_EQ(pFrame->centralWidget(), pApp->GetView());
        const std::vector<CCmdTarget*> route{pApp->GetView(), pFrame, pApp.get()};
        EXPECT_EQ(pFrame->GetRouter()->GetRoute(), route);
        EXPECT_EQ(GetKeluApp(), pApp.get());
    }
    WriteText("data/prog/keep.txt", "x");
    // A work file of a process long gone (numbers above the kernel's limit never name one).
    WriteText("data/period-99999999-B200105.lzh", "left by a crash");

    auto pApp = StartApp();
    EXPECT_EQ(CProfile("data/kelu.ini").GetProfileString("URL", "ASSEN", ""), CString(kDefaultAssenUrl));
    EXPECT_EQ(ReadText("data/prog/keep.txt"), "x");
    EXPECT_FALSE(fs::exists("data/period-99999999-B200105.lzh"));
}

TEST(AppTest, EmbeddingSwitchesStartWithoutFoldersOrWindow)
{
    for (const char* psz : {"-Embedding", "/Embedding", "-Automation", "/Automation", "/embedding"}) {
        SCOPED_TRACE(psz);
        CKeluApp app;
        EXPECT_TRUE(app.InitInstance({QString::fromLatin1(psz)}));
        EXPECT_EQ(app.GetMainWnd(), nullptr);
        EXPECT_FALSE(fs::exists("data"));
        for (QWidget* pWidget : QApplication::topLevelWidgets())
            EXPECT_FALSE(pWidget->isVisible()) << pWidget->metaObject()->className();
    }
}

TEST(AppTest, CommandLineSwitchesOfOthersAreIgnoredAndAPathOpensAFile)
{
    testsupport::CMessageLog recorder;
    {
        auto pApp = StartApp({QStringLiteral("-p"), QStringLiteral("/dde"), QStringLiteral("-nosuch")});
        EXPECT_NE(pApp->GetMainWnd(), nullptr);
    }
    {
        // An absolute path begins with "/" like a switch, but names a file to open.
        WriteText("day.kel", "abc");
        auto pApp = StartApp({Absolute("day.kel")});
        EXPECT_NE(pApp->GetMainWnd(), nullptr);
        EXPECT_EQ(ReadText("day.kel"), "abc");
    }
    EXPECT_TRUE(recorder.calls.empty());

    // A file that cannot be opened ends the start, and no empty window stays behind.
    CKeluApp app;
    EXPECT_FALSE(app.InitInstance({Absolute("missing.kel")}));
    EXPECT_EQ(app.GetMainWnd(), nullptr);
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].caption, "kelu");
}

TEST(AppTest, SocketFailureShowsTheMessageAndEndsTheStart)
{
    testsupport::CMessageLog recorder;
    CNoSocketApp app;
    EXPECT_FALSE(app.InitInstance({}));

    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].text, "Windows ｿｹｯﾄの初期化に失敗しました。");
    EXPECT_EQ(recorder.calls[0].caption, "kelu");
    EXPECT_EQ(recorder.calls[0].type, unsigned{MB_OK | MB_ICONEXCLAMATION});
    EXPECT_EQ(app.GetMainWnd(), nullptr);
    EXPECT_FALSE(fs::exists("data"));
}

TEST(AppTest, CtrlNRunsTheViewsSetUpAgain)
{
    fixture::ProgramVenue venue{.venue = 5};
    venue.races.emplace_back().race = 1;
    venue.races.emplace_back().race = 2;
    fixture::WriteProgramFile(CTime::GetCurrentTime(), fixture::ProgramFile({venue}));
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    CKeluDoc* pDoc = pApp->GetDocument();
    CKeluView* pView = pApp->GetView();
    pView->SelectVenue(5);
    pView->SelectRace(2);
    ASSERT_FALSE(pView->m_gridProgram->GetTextMatrix(1, 2).IsEmpty());

    PressCtrl(pFrame, Qt::Key_N);

    // The set-up chooses no venue and race 1, and the race shown before leaves the upper grid:
    // only its headings stay.
    EXPECT_EQ(pDoc->GetVenue(), 0);
    EXPECT_EQ(pDoc->GetRace(), 1);
    EXPECT_EQ(pView->m_gridProgram->GetTextMatrix(0, 2), Sjis("選　手"));
    for (int nRow = 1; nRow <= 6; ++nRow)
        for (int nCol = 0; nCol < 12; ++nCol)
            EXPECT_TRUE(pView->m_gridProgram->GetTextMatrix(nRow, nCol).IsEmpty()) << nRow << "," << nCol;
    EXPECT_TRUE(pView->m_gridLower->GetTextMatrix(1, 1).IsEmpty());
    EXPECT_EQ(pApp->GetDocument(), pDoc);
    EXPECT_EQ(pApp->GetMainWnd(), pFrame);
    EXPECT_EQ(pFrame->windowTitle(), QStringLiteral("kelu"));
}

TEST(AppTest, OpenReadsNothingAndRunsTheSetUpAgain)
{
    WriteText("some.kel", "not a document");
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    CKeluDoc* pDoc = pApp->GetDocument();

    pDoc->SetSelection(5, 7);
    {
        CModalDriver driver({Reject()});
        PressCtrl(pFrame, Qt::Key_O);
        EXPECT_EQ(driver.Seen(), QStringList{QStringLiteral("QFileDialog")});
    }
    EXPECT_EQ(pDoc->GetVenue(), 5) << "a cancelled open changes nothing";

    QString strCaption;
    {
        CModalDriver driver({ChooseFile(Absolute("some.kel"), &strCaption)});
        PressCtrl(pFrame, Qt::Key_O);
        EXPECT_EQ(driver.Seen().size(), 1);
    }
    EXPECT_EQ(strCaption, Utf8("開く"));
    EXPECT_EQ(pDoc->GetVenue(), 0);
    EXPECT_EQ(pDoc->GetRace(), 1);
    EXPECT_EQ(ReadText("some.kel"), "not a document");
    EXPECT_EQ(pFrame->windowTitle(), QStringLiteral("kelu"));
}

TEST(AppTest, CtrlSAsksEveryTimeAndWritesAnEmptyFile)
{
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();

    QString strCaption, strProposed;
    {
        CModalDriver driver({ChooseFile(Absolute("out.kel"), &strCaption, &strProposed)});
        PressCtrl(pFrame, Qt::Key_S);
    }
    EXPECT_EQ(strCaption, Utf8("名前を付けて保存"));
    EXPECT_TRUE(strProposed.endsWith(Utf8("無題"))) << strProposed.toStdString();
    ASSERT_TRUE(fs::exists("out.kel"));
    EXPECT_EQ(fs::file_size("out.kel"), 0u);

    // Saving over a file with content asks first and leaves it empty.
    WriteText("full.kel", "content");
    {
        CModalDriver driver({ChooseFile(Absolute("full.kel")), AnswerYes()});
        PressCtrl(pFrame, Qt::Key_S);
        // The file dialog may be met once more between the question closing and its own end.
        EXPECT_EQ(driver.Seen().mid(0, 2), (QStringList{QStringLiteral("QFileDialog"), QStringLiteral("QMessageBox")}));
    }
    EXPECT_EQ(fs::file_size("full.kel"), 0u);

    // Once opened, a file is not the document's: the next save asks again instead of emptying it.
    WriteText("opened.kel", "keep me");
    {
        CModalDriver driver({ChooseFile(Absolute("opened.kel"))});
        PressCtrl(pFrame, Qt::Key_O);
    }
    {
        CModalDriver driver({Reject()});
        PressCtrl(pFrame, Qt::Key_S);
        EXPECT_EQ(driver.Seen(), QStringList{QStringLiteral("QFileDialog")});
    }
    EXPECT_EQ(ReadText("opened.kel"), "keep me");
    EXPECT_EQ(pFrame->windowTitle(), QStringLiteral("kelu"));
}

TEST(AppTest, PrinterSetupChoosesThePrinterPaperAndOrientationThatPrintingUses)
{
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    QAction* pSetup = PopupAction(pFrame->GetPopup(0), ID_FILE_PRINT_SETUP);
    ASSERT_NE(pSetup, nullptr);

    // The print dialog in set-up use: its properties give the paper and the orientation.
    QPrinter* pShownPrinter = nullptr;
    QString strCaption;
    CModalDriver driver({[&](QWidget* pWidget) {
                             auto* pDialog = qobject_cast<QPrintDialog*>(pWidget);
                             ASSERT_NE(pDialog, nullptr);
                             pShownPrinter = pDialog->printer();
                             strCaption = pDialog->windowTitle();
                             auto* pProperties = pDialog->findChild<QPushButton*>(QStringLiteral("properties"));
                             ASSERT_NE(pProperties, nullptr);
                             QMetaObject::invokeMethod(pProperties, "click", Qt::QueuedConnection);
                         },
                         [](QWidget* pProperties) {
                             auto* pSize = pProperties->findChild<QComboBox*>(QStringLiteral("pageSizeCombo"));
                             auto* pLandscape = pProperties->findChild<QRadioButton*>(QStringLiteral("landscape"));
                             ASSERT_TRUE(pSize && pLandscape);
                             pSize->setCurrentIndex(pSize->findText(QStringLiteral("A5")));
                             pLandscape->click();
                             QMetaObject::invokeMethod(qobject_cast<QDialog*>(pProperties), "accept", Qt::QueuedConnection);
                         },
                         [](QWidget* pDialog) {
                             QMetaObject::invokeMethod(qobject_cast<QDialog*>(pDialog), "accept", Qt::QueuedConnection);
                         }});
    pSetup->trigger();

    EXPECT_EQ(pShownPrinter, pApp->GetPrinter());
    EXPECT_EQ(strCaption, Utf8("ﾌﾟﾘﾝﾀの設定"));
    QPrinter* pPrinter = pApp->GetPrinter();
    EXPECT_EQ(pPrinter->pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(pPrinter->pageLayout().pageSize().id(), QPageSize::A5);
    // Printing and the preview use that same printer: the paper check now asks about it.
    EXPECT_EQ(pApp->GetView()->GetPrinter(), pPrinter);
    testsupport::CMessageLog messages;
    fixture::ProgramRace race;
    WriteText(CKeluDoc::ProgramFileName(CTime::GetCurrentTime()).GetString(),
              fixture::ProgramFile({{.venue = 4, .races = {race}}}).c_str());
    pApp->GetView()->LoadShownDay();
    pApp->GetDocument()->SetSelection(4, 1);
    {
        CModalDriver closer;
        pFrame->GetRouter()->Execute(ID_FILE_PREVIEW_RACE);
    }
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(messages.calls[0].caption, "確認");
}

TEST(AppTest, AboutBoxShowsTheVersionAndOkClosesIt)
{
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    QAction* pAbout = PopupAction(pFrame->GetPopup(kHelpPopup), ID_APP_ABOUT);
    ASSERT_NE(pAbout, nullptr);

    QPointer<QDialog> pShown;
    QString strCaption;
    QStringList texts;
    bool bIcon = false, bRule = false, bOkDefault = false;
    CModalDriver driver({[&](QWidget* pWidget) {
        pShown = qobject_cast<QDialog*>(pWidget);
        ASSERT_TRUE(pShown);
        strCaption = pShown->windowTitle();
        for (QLabel* pLabel : pShown->findChildren<QLabel*>()) {
            texts << pLabel->text();
            bIcon = bIcon || !pLabel->pixmap().isNull();
        }
        int nTextBottom = 0, nRuleTop = 0;
        for (QLabel* pLabel : pShown->findChildren<QLabel*>())
            nTextBottom = std::max(nTextBottom, pLabel->geometry().bottom());
        for (QFrame* pFrameChild : pShown->findChildren<QFrame*>())
            if (pFrameChild->frameShape() == QFrame::HLine && pFrameChild->frameShadow() == QFrame::Sunken) {
                bRule = true;
                nRuleTop = pFrameChild->geometry().top();
            }
        // Laid out tight: no empty band between the icon and version line and the rule.
        EXPECT_LT(nRuleTop - nTextBottom, pShown->fontMetrics().height());
        auto* pOk = qobject_cast<QPushButton*>(pShown->findChild<QWidget*>(QStringLiteral("1")));
        ASSERT_NE(pOk, nullptr);
        bOkDefault = pOk->isDefault() && pOk->text() == QStringLiteral("OK");
        QMetaObject::invokeMethod(pOk, [pOk] { QTest::mouseClick(pOk, Qt::LeftButton); }, Qt::QueuedConnection);
    }});
    pAbout->trigger();

    EXPECT_EQ(strCaption, Utf8("バージョン情報"));
    EXPECT_TRUE(texts.contains(QStringLiteral("kelu Version 2.02"))) << texts.join(u'|').toStdString();
    EXPECT_TRUE(bIcon) << "the program's icon is missing";
    EXPECT_TRUE(bRule);
    EXPECT_TRUE(bOkDefault);
    // OK ended the dialog: trigger() returned, and only the one dialog was met.
    EXPECT_EQ(driver.Seen().size(), 1);
    EXPECT_TRUE(!pShown || !pShown->isVisible());
}
