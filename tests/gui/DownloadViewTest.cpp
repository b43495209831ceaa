// The two download commands from the view, against a real HTTP server on 127.0.0.1: the
// progress dialog, the message, the day read afresh, and what the program refuses while a
// download runs.

#include "DayFixture.h"
#include "MessageLog.h"
#include "LzhWriter.h"
#include "TestHttpServer.h"
#include "ViewHost.h"
#include "download/DownloadDlg.h"
#include "download/Downloader.h"
#include "platform/gui/MessageBox.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTimer>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using testsupport::CTestHttpServer;
using testsupport::ReadBytes;
using viewtest::CViewHost;

namespace {

const QDate kDay(2020, 2, 2);

CTime Noon(const QDate& date)
{
    return CTime(date.year(), date.month(), date.day(), 12, 0, 0);
}

// The day's program archive ('B': venues 3 and 12) or result archive ('K': venue 3).
std::string DayArchive(char chKind, const QDate& date)
{
    std::string file;
    if (chKind == 'B') {
        std::vector<fixture::ProgramVenue> venues(2);
        venues[0].venue = 3;
        venues[1].venue = 12;
        for (fixture::ProgramVenue& venue : venues)
            venue.races.emplace_back().race = 1;
        file = fixture::ProgramFile(venues);
    } else {
        fixture::ResultVenue venue;
        venue.venue = 3;
        venue.races.emplace_back().race = 1;
        file = fixture::ResultFile({venue});
    }
    const CString name = CString::Formatted("%c%02d%02d%02d.TXT", chKind, date.year() % 100, date.month(), date.day());
    return lzhtest::StoredArchive({{name.GetString(), file}});
}

CDownloadDlg* ShownDownloadDlg()
{
    for (QWidget* pWidget : QApplication::topLevelWidgets())
        if (auto* pDlg = dynamic_cast<CDownloadDlg*>(pWidget); pDlg && pDlg->isVisible())
            return pDlg;
    return nullptr;
}

// Runs the step at every turn of the event loop while a command runs, until it returns true.
class CWhileRunning {
public:
    explicit CWhileRunning(std::function<bool()> step)
        : m_step(std::move(step))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (!m_bDone && m_step())
                m_bDone = true;
        });
        m_timer.start(0);
    }
    bool Done() const { return m_bDone; }

private:
    std::function<bool()> m_step;
    QTimer m_timer;
    bool m_bDone = false;
};

class DownloadViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("no_proxy", "127.0.0.1,localhost", 1);
        fs::create_directories("data/prog");
        fs::create_directories("data/res");
        std::ofstream("data/kelu.ini") << "[URL]\r\nDATA=" << m_server.Url() << "\r\n";
    }
    void ServeDay(const QDate& date)
    {
        for (char chKind : {'B', 'K'})
            m_server.Serve(ArchivePath(chKind, Noon(date)).GetString(), DayArchive(chKind, date));
    }

    CTestHttpServer m_server;
    testsupport::CMessageLog m_messages;
};

} // namespace

TEST(DownloadDlgTest, TheTemplateTheLogAndEveryWayOfStopping)
{
    CDownloadDlg dlg(nullptr);
    dlg.CreateModeless();
    EXPECT_EQ(dlg.windowTitle().toStdString(), "データファイルのダウンロード中 ...");
    EXPECT_EQ(dlg.size(), QSize(dlg.Units().ToPixelsX(187), dlg.Units().ToPixelsY(115)));
    auto* pStop = dlg.Item<QPushButton>(IDCANCEL);
    ASSERT_NE(pStop, nullptr);
    EXPECT_EQ(pStop->text().toStdString(), "中止");
    EXPECT_TRUE(dlg.GetLog()->isReadOnly());
    EXPECT_TRUE(dlg.GetLog()->toPlainText().isEmpty());
    dlg.AppendText(Sjis("2020/02/02 番組表のダウンロード中...\r\n"));
    dlg.AppendText(Sjis("2020/02/02 番組表の解凍中...\r\n"));
    EXPECT_EQ(dlg.GetLog()->toPlainText().toStdString(),
              "2020/02/02 番組表のダウンロード中...\n2020/02/02 番組表の解凍中...\n");
    EXPECT_FALSE(dlg.IsCancelled());
    QTest::mouseClick(pStop, Qt::LeftButton);
    EXPECT_TRUE(dlg.IsCancelled());
    EXPECT_FALSE(dlg.isVisible());

    CDownloadDlg byKey(nullptr);
    byKey.CreateModeless();
    QTest::keyClick(&byKey, Qt::Key_Escape);
    EXPECT_TRUE(byKey.IsCancelled());

    CDownloadDlg byCloseBox(nullptr);
    byCloseBox.CreateModeless();
    byCloseBox.close();
    EXPECT_TRUE(byCloseBox.IsCancelled());
    EXPECT_FALSE(byCloseBox.isVisible());
}

TEST_F(DownloadViewTest, TheDayIsFetchedUnpackedAndShownWithTheProgressDialogMeanwhile)
{
    CViewHost host;
    host.TypeDate(kDay);
    ASSERT_TRUE(host.VenueItems().empty());
    ServeDay(kDay);
    const int nLoads = host.View().m_nLoads;

    std::string caption, log;
    CWhileRunning watch([&] {
        if (CDownloadDlg* pDlg = ShownDownloadDlg()) {
            caption = pDlg->windowTitle().toStdString();
            log = pDlg->GetLog()->toPlainText().toStdString();
        }
        return false;
    });
    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_TODAY));
    EXPECT_EQ(caption, "データファイルのダウンロード中 ...");
    EXPECT_EQ(log.substr(0, log.find('\n')), "2020/02/02 番組表のダウンロード中...");
    EXPECT_EQ(ShownDownloadDlg(), nullptr);
    EXPECT_TRUE(m_messages.calls.empty());
    EXPECT_EQ(host.View().m_nLoads, nLoads + 1);
    EXPECT_EQ(host.VenueItems(), (std::vector<std::string>{"03# 江戸川 ", "12# 住之江 "}));
    EXPECT_TRUE(fs::exists("data/res/K200202.TXT"));
    EXPECT_FALSE(fs::exists("temp.lzh"));
    // What the download disabled is back.
    EXPECT_TRUE(host.Date()->isEnabled());
    EXPECT_TRUE(host.RaceButton(5)->isEnabled());
    EXPECT_FALSE(host.VenueButton(1)->isEnabled());
    EXPECT_TRUE(host.VenueButton(3)->isEnabled());
}

TEST_F(DownloadViewTest, AMissingProgramArchiveIsReportedAndAMissingResultIsNot)
{
    CViewHost host;
    host.TypeDate(kDay);
    const int nLoads = host.View().m_nLoads;
    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_TODAY));
    ASSERT_EQ(m_messages.calls.size(), 1u);
    EXPECT_EQ(m_messages.calls[0].text, "出走表がダウンロードできません。\n(Error 404)");
    EXPECT_EQ(m_messages.calls[0].caption, "ダウンロード");
    EXPECT_EQ(m_messages.calls[0].type, unsigned(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(host.View().m_nLoads, nLoads + 1);
    EXPECT_EQ(m_server.Paths().size(), 1u);

    m_server.Serve(ArchivePath('B', Noon(kDay)).GetString(), DayArchive('B', kDay));
    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_TODAY));
    EXPECT_EQ(m_messages.calls.size(), 1u);
    EXPECT_EQ(host.View().m_nLoads, nLoads + 2);
    EXPECT_EQ(host.VenueItems().size(), 2u);
}

TEST_F(DownloadViewTest, TheStopButtonEndsATransferWithoutAWord)
{
    m_server.ServeStalled(ArchivePath('B', Noon(kDay)).GetString(), DayArchive('B', kDay));
    CViewHost host;
    host.TypeDate(kDay);
    const int nLoads = host.View().m_nLoads;
    CWhileRunning stop([] {
        CDownloadDlg* pDlg = ShownDownloadDlg();
        if (!pDlg || !fs::exists("temp.lzh"))
            return false;
        QTest::mouseClick(pDlg->Item<QPushButton>(IDCANCEL), Qt::LeftButton);
        return true;
    });
    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_TODAY));
    EXPECT_TRUE(stop.Done());
    EXPECT_TRUE(m_messages.calls.empty());
    EXPECT_EQ(fs::file_size("temp.lzh"), 512u);
    EXPECT_TRUE(fs::is_empty("data/prog"));
    EXPECT_EQ(host.View().m_nLoads, nLoads + 1);
    EXPECT_FALSE(m_server.StallReleased());
}

TEST_F(DownloadViewTest, WhileItRunsOtherCommandsWaitAndClosingTheWindowStopsItFirst)
{
    m_server.ServeStalled(ArchivePath('B', Noon(kDay)).GetString(), DayArchive('B', kDay));
    CViewHost host;
    host.TypeDate(kDay);
    std::vector<UINT> enabled;
    bool bSecondRan = true, bControlsOn = true, bCloseRefused = false;
    CWhileRunning check([&] {
        if (!ShownDownloadDlg() || !fs::exists("temp.lzh"))
            return false;
        const std::vector<UINT> ids = {ID_FILE_DOWNLOAD_TODAY, ID_FILE_DOWNLOAD_WEEK, ID_FILE_PRINT_ALL,
                                       ID_FILE_PRINT_RACE, ID_FILE_PREVIEW_ALL, ID_FILE_PREVIEW_RACE, ID_FILE_PRINT,
                                       ID_FILE_PRINT_PREVIEW, ID_FILE_NEW, ID_FILE_OPEN, ID_FAVORITE_ADD,
                                       ID_FAVORITE_ORGANIZE, ID_FAVORITE_FIRST, IDHELP};
        for (UINT nID : ids) {
            CCmdUI ui(nID);
            if (host.Router().QueryState(ui) && ui.m_bEnabled)
                enabled.push_back(nID);
        }
        bSecondRan = host.Router().Execute(ID_FILE_DOWNLOAD_WEEK);
        bControlsOn = host.Date()->isEnabled() || host.Item<QPushButton>(IDC_NEXT_DAY)->isEnabled() ||
                      host.VenueList()->isEnabled() || host.RaceList()->isEnabled() || host.RaceButton(1)->isEnabled();
        bCloseRefused = !host.Frame().close() && host.Frame().isVisible();
        return true;
    });
    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_TODAY));
    ASSERT_TRUE(check.Done());
    EXPECT_EQ(enabled, std::vector<UINT>{UINT(IDHELP)});
    EXPECT_FALSE(bSecondRan);
    EXPECT_FALSE(bControlsOn);
    EXPECT_EQ(m_server.Paths().size(), 1u);
    // The close stopped the download, which unwound; the window closes after it.
    EXPECT_TRUE(bCloseRefused);
    EXPECT_FALSE(host.View().IsDownloading());
    EXPECT_FALSE(m_server.StallReleased());
    EXPECT_TRUE(host.Frame().isVisible());
    QTest::qWait(20);
    EXPECT_FALSE(host.Frame().isVisible());
}
