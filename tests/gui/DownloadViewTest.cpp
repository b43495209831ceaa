// The download commands from the view, against a real HTTP server on 127.0.0.1: the
// progress dialog, the message, the day read afresh, and what the program refuses while a
// download runs.

#include "DayFixture.h"
#include "MessageLog.h"
#include "LzhWriter.h"
#include "TestHttpServer.h"
#include "ViewHost.h"
#include "AppHarness.h"
#include "download/DownloadDlg.h"
#include "download/DownloadWorker.h"
#include "download/PeriodDownloadDlg.h"
#include "download/SettingsDlg.h"
#include "record/HistoryService.h"
#include "download/DataServer.h"
#include "forecast/ModelFile.h"
#include "download/Downloader.h"
#include "platform/gui/MessageBox.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QElapsedTimer>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStatusBar>

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <filesystem>
#include <fstream>
#include <functional>

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

// Runs a download command to its end.
bool RunDownload(CViewHost& host, UINT nID)
{
    const bool bRan = host.Router().Execute(nID);
    EXPECT_TRUE(host.WaitForDownload());
    return bRan;
}

// Lets the loop turn until the condition holds; false when it never does.
bool WaitUntil(const std::function<bool()>& condition, int nMilliseconds = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < nMilliseconds)
        QTest::qWait(5);
    return condition();
}

// A port of 127.0.0.1 that was free a moment ago and that nobody listens on.
int ClosedPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t nLength = sizeof address;
    const bool bBound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &nLength) == 0;
    close(fd);
    return bBound ? ntohs(address.sin_port) : 0;
}

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
    int nStops = 0;
    dlg.SetStopHandler([&nStops] { ++nStops; });
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
    EXPECT_EQ(nStops, 1);
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

    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_TODAY));
    // The command has handed the work to its worker: the window is the user's meanwhile.
    CDownloadDlg* pDlg = ShownDownloadDlg();
    ASSERT_NE(pDlg, nullptr);
    EXPECT_EQ(pDlg->windowTitle().toStdString(), "データファイルのダウンロード中 ...");
    std::string log;
    QObject::connect(pDlg->GetLog(), &QPlainTextEdit::textChanged,
                     [&log, pDlg] { log = pDlg->GetLog()->toPlainText().toStdString(); });
    EXPECT_TRUE(host.WaitForDownload());
    EXPECT_EQ(log, "2020/02/02 番組表のダウンロード中...\n2020/02/02 番組表の解凍中...\n"
                   "2020/02/02 結果表のダウンロード中...\n2020/02/02 結果表の解凍中...\n");
    EXPECT_EQ(ShownDownloadDlg(), nullptr);
    EXPECT_TRUE(m_messages.calls.empty());
    EXPECT_EQ(host.View().m_nLoads, nLoads + 1);
    EXPECT_EQ(host.VenueItems(), (std::vector<std::string>{"03# 江戸川 ", "12# 住之江 "}));
    EXPECT_TRUE(fs::exists("data/res/K200202.TXT"));
    EXPECT_FALSE(fs::exists(DayWorkFile().Str()));
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
    EXPECT_TRUE(RunDownload(host, ID_FILE_DOWNLOAD_TODAY));
    ASSERT_EQ(m_messages.calls.size(), 1u);
    // The code as it always was, then what it means.
    EXPECT_EQ(m_messages.calls[0].text, "出走表がダウンロードできません。\n(Error 404)\n"
                                        "サーバーにファイルがありません (404)。まだ発表されていない日か、"
                                        "サーバーのアドレスが違うのかもしれません。");
    EXPECT_EQ(m_messages.calls[0].caption, "ダウンロード");
    EXPECT_EQ(m_messages.calls[0].type, unsigned(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(host.View().m_nLoads, nLoads + 1);
    EXPECT_EQ(m_server.Paths().size(), 1u);

    m_server.Serve(ArchivePath('B', Noon(kDay)).GetString(), DayArchive('B', kDay));
    EXPECT_TRUE(RunDownload(host, ID_FILE_DOWNLOAD_TODAY));
    EXPECT_EQ(m_messages.calls.size(), 1u);
    EXPECT_EQ(host.View().m_nLoads, nLoads + 2);
    EXPECT_EQ(host.VenueItems().size(), 2u);
}

TEST_F(DownloadViewTest, AWeekWithDaysItCouldNotFetchOrWriteTellsThemInOneMessageAtTheEnd)
{
    // 27 January to 2 February: the 27th's program is missing, and the 29th's program cannot be
    // written because its day file's name is taken by a folder.
    for (int d = 1; d < 7; ++d)
        ServeDay(kDay.addDays(-d));
    ServeDay(kDay);
    m_server.Handle(ArchivePath('B', Noon(kDay.addDays(-6))).GetString(),
                    [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
    fs::create_directories("data/prog/B200129.TXT");
    CViewHost host;
    host.TypeDate(kDay);
    EXPECT_TRUE(RunDownload(host, ID_FILE_DOWNLOAD_WEEK));
    ASSERT_EQ(m_messages.calls.size(), 1u);
    EXPECT_EQ(m_messages.calls[0].text, "ダウンロードできなかった日があります。\n"
                                        "2020/01/27 出走表 (Error 404)\n\n"
                                        "書き込めなかったファイルがあります。\n"
                                        "data/prog/B200129.TXT: errno 21: Is a directory");
    EXPECT_EQ(m_messages.calls[0].caption, "ダウンロード");
    // Every other day came, the shown one included.
    EXPECT_TRUE(fs::exists("data/prog/B200128.TXT") && fs::exists("data/res/K200202.TXT"));
    EXPECT_EQ(host.VenueItems().size(), 2u);
}

TEST_F(DownloadViewTest, TheStopButtonEndsATransferWithoutAWord)
{
    m_server.ServeStalled(ArchivePath('B', Noon(kDay)).GetString(), std::string(4096, 'x'));
    CViewHost host;
    host.TypeDate(kDay);
    const int nLoads = host.View().m_nLoads;
    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_TODAY));
    ASSERT_TRUE(WaitUntil([] { return fs::exists(DayWorkFile().Str()) && fs::file_size(DayWorkFile().Str()) == 512; }));
    CDownloadDlg* pDlg = ShownDownloadDlg();
    ASSERT_NE(pDlg, nullptr);
    QTest::mouseClick(pDlg->Item<QPushButton>(IDCANCEL), Qt::LeftButton);
    EXPECT_EQ(ShownDownloadDlg(), nullptr);
    EXPECT_TRUE(host.WaitForDownload());
    EXPECT_TRUE(m_messages.calls.empty());
    // The half-fetched archive is not kept: no later run of this process would use it.
    EXPECT_FALSE(fs::exists(DayWorkFile().Str()));
    EXPECT_TRUE(fs::is_empty("data/prog"));
    EXPECT_EQ(host.View().m_nLoads, nLoads + 1);
    // The server was still holding its stall: the stop did not wait for it.
    EXPECT_FALSE(m_server.StallReleased());
}

TEST_F(DownloadViewTest, ASilentServerIsSeenWaitingAndFailuresAreToldInPlainWords)
{
    // A server that keeps silent after its first bytes: the log's last line counts the wait.
    m_server.ServeStalled(ArchivePath('B', Noon(kDay)).GetString(), std::string(4096, 'x'));
    CViewHost host;
    host.TypeDate(kDay);
    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_TODAY));
    CDownloadDlg* pDlg = nullptr;
    ASSERT_TRUE(WaitUntil([&pDlg] { return (pDlg = ShownDownloadDlg()) != nullptr; }));
    auto lastLine = [pDlg] { return pDlg->GetLog()->toPlainText().split(QLatin1Char('\n')).last(); };
    // Counted in whole seconds from the second one on.
    const QRegularExpression waiting(QStringLiteral("^サーバーの応答を待っています \\(([0-9]+) 秒\\)$"));
    ASSERT_TRUE(WaitUntil([&] {
        const QRegularExpressionMatch match = waiting.match(lastLine());
        return match.hasMatch() && match.captured(1).toInt() >= 3;
    })) << lastLine().toStdString();
    // The lines before it stay as they were.
    EXPECT_EQ(pDlg->GetLog()->toPlainText().split(QLatin1Char('\n')).first(),
              QStringLiteral("2020/02/02 番組表のダウンロード中..."));
    EXPECT_EQ(pDlg->GetLog()->toPlainText().count(QStringLiteral("待っています")), 1);
    QTest::mouseClick(pDlg->Item<QPushButton>(IDCANCEL), Qt::LeftButton);
    EXPECT_TRUE(host.WaitForDownload());
    EXPECT_TRUE(m_messages.calls.empty());

    // A port nobody listens on: the connection is refused, and the message says so.
    std::ofstream("data/kelu.ini") << "[URL]\r\nDATA=http://127.0.0.1:" << ClosedPort() << "/od2\r\n";
    EXPECT_TRUE(RunDownload(host, ID_FILE_DOWNLOAD_TODAY));
    ASSERT_EQ(m_messages.calls.size(), 1u);
    EXPECT_EQ(m_messages.calls[0].text, "出走表がダウンロードできません。\n(Error 2)\n"
                                        "接続を拒否されました（サーバーに接続できません）。");

    // An address with another path than the archives' folder is refused in words that name it.
    CString strWhy;
    EXPECT_FALSE(CheckDataServer("http://127.0.0.1:8765/data/od2", &strWhy));
    EXPECT_NE(SjisToUtf8(strWhy.Str()).find("/data/od2 のようなパスは要りません"), std::string::npos)
        << SjisToUtf8(strWhy.Str());
}

TEST_F(DownloadViewTest, WhileItRunsOtherCommandsWaitAndClosingTheWindowStopsItFirst)
{
    m_server.ServeStalled(ArchivePath('B', Noon(kDay)).GetString(), std::string(4096, 'x'));
    CViewHost host;
    host.TypeDate(kDay);
    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_TODAY));
    ASSERT_TRUE(WaitUntil([] { return fs::exists(DayWorkFile().Str()); }));
    std::vector<UINT> enabled;
    const std::vector<UINT> ids = {ID_FILE_DOWNLOAD_TODAY, ID_FILE_DOWNLOAD_WEEK, ID_FILE_PRINT_ALL,
                                   ID_FILE_PRINT_RACE, ID_FILE_PREVIEW_ALL, ID_FILE_PREVIEW_RACE, ID_FILE_PRINT,
                                   ID_FILE_PRINT_PREVIEW, ID_FILE_NEW, ID_FILE_OPEN, ID_FAVORITE_ADD,
                                   ID_FAVORITE_ORGANIZE, ID_FAVORITE_FIRST, ID_APP_ABOUT, IDHELP};
    for (UINT nID : ids) {
        CCmdUI ui(nID);
        if (host.Router().QueryState(ui) && ui.m_bEnabled)
            enabled.push_back(nID);
    }
    EXPECT_EQ(enabled, std::vector<UINT>{UINT(IDHELP)});
    EXPECT_FALSE(host.Router().Execute(ID_FILE_DOWNLOAD_WEEK));
    EXPECT_FALSE(host.Date()->isEnabled() || host.Item<QPushButton>(IDC_NEXT_DAY)->isEnabled() ||
                 host.VenueList()->isEnabled() || host.RaceList()->isEnabled() || host.RaceButton(1)->isEnabled());
    // The window stays while the download ends, then closes.
    EXPECT_FALSE(host.Frame().close());
    EXPECT_TRUE(host.Frame().isVisible());
    EXPECT_TRUE(host.WaitForDownload());
    EXPECT_EQ(m_server.Paths().size(), 1u);
    EXPECT_FALSE(m_server.StallReleased());
    EXPECT_TRUE(m_messages.calls.empty());
    EXPECT_TRUE(WaitUntil([&host] { return !host.Frame().isVisible(); }));
}

TEST_F(DownloadViewTest, APlaceholderServerOpensTheSettingsWhichCheckWriteAndThenDownload)
{
    std::filesystem::remove("data/kelu.ini");
    ServeDay(kDay);
    CViewHost host;
    host.TypeDate(kDay);
    std::string strWhy, strCheck;
    std::vector<std::string> refusals;
    auto* pMessages = &m_messages;
    auto driver = std::make_unique<apptest::CModalDriver>(std::vector<apptest::CModalDriver::Step>{[&](QWidget* pWidget) {
        auto* pDlg = dynamic_cast<CSettingsDlg*>(pWidget);
        ASSERT_NE(pDlg, nullptr);
        for (QLabel* pLabel : pDlg->findChildren<QLabel*>())
            if (pLabel->text().contains(Utf8("見本のアドレス")))
                strWhy = pLabel->text().toStdString();
        EXPECT_EQ(pDlg->ServerEdit()->text().toStdString(), "http://www.kelu.invalid");
        // Addresses the downloads and the schedule page could not use are refused.
        const std::pair<std::string, std::string> bad[] = {
            {"ftp://127.0.0.1", "http://x/%d"},
            {"http://www.kelu.invalid", "http://x/%d"},
            {m_server.Url(), "http://x/%s?no=%d"},
        };
        for (const auto& [server, assen] : bad) {
            pDlg->ServerEdit()->setText(QString::fromStdString(server));
            pDlg->AssenEdit()->setText(QString::fromStdString(assen));
            QTest::mouseClick(pDlg->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
            EXPECT_TRUE(pDlg->isVisible());
        }
        for (const auto& call : pMessages->calls)
            refusals.push_back(call.text);
        pMessages->calls.clear();
        pDlg->AssenEdit()->setText(QStringLiteral("http://schedule.example.invalid/?no=%d"));
        // The check asks for the shown day's program archive and says what came back.
        QTest::mouseClick(pDlg->CheckButton(), Qt::LeftButton);
        for (int i = 0; i < 500 && !pDlg->CheckButton()->isEnabled(); ++i)
            QTest::qWait(10);
        strCheck = pDlg->CheckResult()->text().toStdString();
        QTest::mouseClick(pDlg->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    }});
    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_TODAY));
    ASSERT_EQ(driver->Seen().size(), 1);
    driver.reset();
    EXPECT_EQ(strWhy, "番組と結果をダウンロードするには、データのサーバーのアドレスを設定してください。"
                      "今の設定は見本のアドレスのままで、どこにもつながりません。");
    EXPECT_EQ(refusals, (std::vector<std::string>{
                            "アドレスは http:// か https:// で始めてください。",
                            "http://www.kelu.invalid は見本のアドレスで、どこにもつながりません。本当のデータのサーバーのアドレスを入力してください。",
                            "あっせん予定のページのアドレスには、登録番号の入る所に %d を一つだけ書いてください（% は %% と書きます）。"}));
    EXPECT_EQ(strCheck, "接続できました。2020/02/02 の番組表の書庫がサーバーにあります。");
    // The check asked without fetching; the download, once the settings were written, fetched.
    EXPECT_TRUE(host.WaitForDownload());
    EXPECT_EQ(m_server.Paths().front(), ArchivePath('B', Noon(kDay)).GetString());
    EXPECT_EQ(m_server.Paths().size(), 3u);
    EXPECT_EQ(ReadBytes("data/kelu.ini"),
              "[URL]\r\nDATA=" + m_server.Url() + "\r\nASSEN=http://schedule.example.invalid/?no=%d\r\n");
    EXPECT_EQ(host.VenueItems().size(), 2u);
    EXPECT_TRUE(m_messages.calls.empty());

    // Cancelled, the settings stay and nothing is asked of any server.
    std::ofstream("data/kelu.ini") << "[URL]\r\nDATA=http://www.kelu.invalid\r\n";
    const size_t nRequests = m_server.Paths().size();
    {
        apptest::CModalDriver cancel;
        EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_WEEK));
        EXPECT_EQ(cancel.Seen().size(), 1);
    }
    EXPECT_FALSE(host.View().IsDownloading());
    EXPECT_EQ(m_server.Paths().size(), nRequests);
    EXPECT_EQ(ReadBytes("data/kelu.ini"), "[URL]\r\nDATA=http://www.kelu.invalid\r\n");
}

namespace {

std::string Text(const QWidget* pWidget)
{
    if (auto* pLabel = qobject_cast<const QLabel*>(pWidget))
        return pLabel->text().toStdString();
    return pWidget->accessibleName().toStdString();
}

// The work files of the period download, in data/.
bool NoWorkFiles()
{
    for (const auto& entry : fs::directory_iterator("data"))
        if (entry.path().extension() == ".lzh")
            return false;
    return true;
}

} // namespace

TEST_F(DownloadViewTest, ThePeriodDialogOffersTheMonthUpToTheShownDayAndRunsToOneSummary)
{
    // 31 January to 2 February: the 1st has no racing.
    ServeDay(kDay.addDays(-2));
    ServeDay(kDay);
    CViewHost host;
    host.TypeDate(kDay);
    const int nLoads = host.View().m_nLoads;
    std::vector<std::string> names, texts, log;
    QDate first, last;
    int nConnections = 0, nMin = 0, nMax = 0;
    bool bSkip = false, bSunday = false, bDownloadingMeanwhile = false;
    int nBarValue = -1, nBarMax = -1;
    auto driver = std::make_unique<apptest::CModalDriver>(std::vector<apptest::CModalDriver::Step>{[&](QWidget* pWidget) {
        auto* pDlg = dynamic_cast<CPeriodDownloadDlg*>(pWidget);
        ASSERT_NE(pDlg, nullptr);
        CCmdUI ui(ID_FILE_DOWNLOAD_WEEK);
        bDownloadingMeanwhile = host.View().IsDownloading() && host.Router().QueryState(ui) && !ui.m_bEnabled;
        texts.push_back(pDlg->windowTitle().toStdString());
        for (QWidget* pControl : std::initializer_list<QWidget*>{
                 pDlg->FirstDate(), pDlg->LastDate(), pDlg->ConnectionsBox(), pDlg->SkipBox(), pDlg->StartButton(),
                 pDlg->StopButton(), pDlg->CloseButton(), pDlg->Log()})
            names.push_back(pControl->accessibleName().toStdString());
        first = pDlg->FirstDate()->date();
        last = pDlg->LastDate()->date();
        bSunday = pDlg->FirstDate()->calendarWidget()->firstDayOfWeek() == Qt::Sunday &&
                  pDlg->FirstDate()->calendarWidget()->locale().language() == QLocale::Japanese;
        nConnections = pDlg->ConnectionsBox()->value();
        nMin = pDlg->ConnectionsBox()->minimum();
        nMax = pDlg->ConnectionsBox()->maximum();
        bSkip = pDlg->SkipBox()->isChecked();
        // A period that ends before it starts is refused.
        pDlg->FirstDate()->setDate(kDay.addDays(1));
        QTest::mouseClick(pDlg->StartButton(), Qt::LeftButton);
        EXPECT_FALSE(pDlg->IsRunning());
        pDlg->FirstDate()->setDate(kDay.addDays(-2));
        QTest::mouseClick(pDlg->StartButton(), Qt::LeftButton);
        EXPECT_TRUE(pDlg->IsRunning());
        EXPECT_FALSE(pDlg->StartButton()->isEnabled() || pDlg->FirstDate()->isEnabled());
        EXPECT_TRUE(pDlg->StopButton()->isEnabled());
        EXPECT_TRUE(WaitUntil([pDlg] { return !pDlg->IsRunning(); }));
        texts.push_back(Text(pDlg->SummaryLabel()));
        texts.push_back(pDlg->DaysBar()->text().toStdString());
        texts.push_back(Text(pDlg->DoneLabel()));
        nBarValue = pDlg->DaysBar()->value();
        nBarMax = pDlg->DaysBar()->maximum();
        log = {pDlg->Log()->toPlainText().toStdString()};
        EXPECT_TRUE(pDlg->StartButton()->isEnabled() && !pDlg->StopButton()->isEnabled());
        QTest::mouseClick(pDlg->CloseButton(), Qt::LeftButton);
    }});
    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_PERIOD));
    ASSERT_EQ(driver->Seen().size(), 1);
    driver.reset();
    EXPECT_TRUE(bDownloadingMeanwhile);
    EXPECT_FALSE(host.View().IsDownloading());
    EXPECT_EQ(names, (std::vector<std::string>{"開始日", "終了日", "同時接続数", "番組と結果の両方がある日は飛ばす", "開始",
                                               "中止", "閉じる", "転送の記録"}));
    EXPECT_EQ(first, QDate(2020, 1, 4));
    EXPECT_EQ(last, kDay);
    EXPECT_TRUE(bSunday);
    EXPECT_EQ(std::vector<int>({nConnections, nMin, nMax}), std::vector<int>({2, 1, 4}));
    EXPECT_TRUE(bSkip);
    ASSERT_EQ(m_messages.calls.size(), 1u);
    EXPECT_EQ(m_messages.calls[0].text, "開始日は終了日と同じ日か、それより前の日にしてください。");
    EXPECT_EQ(m_messages.calls[0].caption, "操作ガイド");
    const long long nBytes = static_cast<long long>(DayArchive('B', kDay).size() + DayArchive('K', kDay).size() +
                                                    DayArchive('B', kDay.addDays(-2)).size() +
                                                    DayArchive('K', kDay.addDays(-2)).size());
    EXPECT_EQ(texts, (std::vector<std::string>{"期間を指定してダウンロード", "終了しました。取得 2 日、飛ばした日 0 日、失敗 1 日",
                                               "3 / 3 日", "受信 " + std::to_string(nBytes / 1024) + " KB"}));
    EXPECT_EQ(nBarValue, 3);
    EXPECT_EQ(nBarMax, 3);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("2020/01/31 番組表のダウンロード中...\n"), std::string::npos) << log[0];
    EXPECT_NE(log[0].find("\n\nダウンロードできなかった日があります。\n2020/02/01 出走表と結果表 (Error 404)"),
              std::string::npos)
        << log[0];
    EXPECT_TRUE(NoWorkFiles());
    // The shown day came: it is read afresh.
    EXPECT_EQ(host.View().m_nLoads, nLoads + 1);
    EXPECT_EQ(host.VenueItems(), (std::vector<std::string>{"03# 江戸川 ", "12# 住之江 "}));

    // A period without the shown day leaves it alone, while the history store follows the files.
    int nHistoryUpdates = 0;
    QObject::connect(&host.View().History(), &CHistoryService::started, [&nHistoryUpdates] { ++nHistoryUpdates; });
    apptest::CModalDriver other({[&](QWidget* pWidget) {
        auto* pDlg = dynamic_cast<CPeriodDownloadDlg*>(pWidget);
        ASSERT_NE(pDlg, nullptr);
        pDlg->LastDate()->setDate(kDay.addDays(-2));
        pDlg->FirstDate()->setDate(kDay.addDays(-2));
        pDlg->SkipBox()->setChecked(false);
        QTest::mouseClick(pDlg->StartButton(), Qt::LeftButton);
        EXPECT_TRUE(WaitUntil([pDlg] { return !pDlg->IsRunning(); }));
        QTest::mouseClick(pDlg->CloseButton(), Qt::LeftButton);
    }});
    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_PERIOD));
    EXPECT_EQ(host.View().m_nLoads, nLoads + 1);
    EXPECT_EQ(m_server.Paths().size(), 8u);
    EXPECT_TRUE(WaitUntil([&nHistoryUpdates] { return nHistoryUpdates > 0; }));
}

TEST_F(DownloadViewTest, ThePeriodsStopKeepsTheDialogWithItsSummaryAndClosingItStopsFirst)
{
    m_server.ServeStalled(ArchivePath('B', Noon(kDay)).GetString(), std::string(4096, 'x'));
    CViewHost host;
    host.TypeDate(kDay);
    std::string summary;
    bool bClosedAtOnce = false;
    apptest::CModalDriver driver({[&](QWidget* pWidget) {
        auto* pDlg = dynamic_cast<CPeriodDownloadDlg*>(pWidget);
        ASSERT_NE(pDlg, nullptr);
        pDlg->FirstDate()->setDate(kDay);
        QTest::mouseClick(pDlg->StartButton(), Qt::LeftButton);
        ASSERT_TRUE(WaitUntil([] { return !NoWorkFiles(); }));
        // The silent server is seen waiting, where the time left would be.
        const QRegularExpression waiting(QStringLiteral("^サーバーの応答を待っています \\(([0-9]+) 秒\\)$"));
        EXPECT_TRUE(WaitUntil([&] { return waiting.match(pDlg->TimeLeftLabel()->text()).hasMatch(); }))
            << pDlg->TimeLeftLabel()->text().toStdString();
        EXPECT_GE(waiting.match(pDlg->TimeLeftLabel()->text()).captured(1).toInt(), 2);
        QTest::mouseClick(pDlg->StopButton(), Qt::LeftButton);
        EXPECT_TRUE(WaitUntil([pDlg] { return !pDlg->IsRunning(); }));
        summary = Text(pDlg->SummaryLabel());
        EXPECT_TRUE(pDlg->isVisible());
        // Again, and this time the close box while it runs.
        QTest::mouseClick(pDlg->StartButton(), Qt::LeftButton);
        ASSERT_TRUE(WaitUntil([] { return !NoWorkFiles(); }));
        pDlg->close();
        bClosedAtOnce = !pDlg->isVisible() && !pDlg->IsRunning() && NoWorkFiles();
    }});
    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_PERIOD));
    EXPECT_EQ(summary, "中止しました。取得 0 日、飛ばした日 0 日、失敗 0 日、取得していない日 1 日");
    EXPECT_TRUE(bClosedAtOnce);
    EXPECT_FALSE(m_server.StallReleased());
    EXPECT_TRUE(NoWorkFiles());
    EXPECT_FALSE(fs::exists("data/prog/B200202.TXT"));
    EXPECT_TRUE(m_messages.calls.empty());
}

TEST(DownloadWorkerTest, ADownloadThatDoesNotEndIsLeftAfterTheBoundAndTellsNoOne)
{
    // A download caught in something that ignores the stop (a disk that does not answer).
    std::atomic<bool> bDiskAnswers{false};
    std::atomic<bool> bEnded{false};
    int nLines = 0;
    bool bToldEnd = false;
    QObject receiver;
    CDownloadWorker::CHandlers handlers;
    handlers.fnLine = [&](const CString&) { ++nLines; };
    handlers.fnEnded = [&] { bToldEnd = true; };
    const auto start = std::chrono::steady_clock::now();
    {
        CDownloadWorker worker(&receiver, handlers, [&](IPeriodProgress& progress) {
            progress.AppendText("first\r\n");
            while (!bDiskAnswers)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            progress.AppendText("after the stop\r\n");
            bEnded = true;
        });
        QTest::qWait(50);
        EXPECT_FALSE(worker.Wait(0));
    }
    // The window thread went on after the bound, not when the download ended.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(CDownloadWorker::kWaitMilliseconds / 1000 + 5));
    EXPECT_FALSE(bEnded);
    bDiskAnswers = true;
    for (int i = 0; i < 500 && !bEnded; ++i)
        QTest::qWait(10);
    QTest::qWait(50);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(bEnded);
    // What it told before the worker went still came; nothing after.
    EXPECT_EQ(nLines, 1);
    EXPECT_FALSE(bToldEnd);
}

TEST_F(DownloadViewTest, EachDownloadSaysWhatItBroughtAndThePeriodIsOfferedAgain)
{
    ServeDay(kDay);
    // The program's own model, so that no word of a missing one comes between.
    std::ofstream(CModelFile::kPath, std::ios::binary) << CModelFile::ShippedText();
    CViewHost host;
    host.TypeDate(kDay);
    auto shownMessage = [&host] { return host.Frame().statusBar()->currentMessage().toStdString(); };
    // The history's summary of the new day may follow at once: every message shown is kept.
    QStringList shown;
    QObject::connect(host.Frame().statusBar(), &QStatusBar::messageChanged,
                     [&shown](const QString& text) { shown << text; });
    auto settle = [&host] {
        EXPECT_TRUE(host.WaitForDownload());
        EXPECT_TRUE(WaitUntil([&host] { return !host.View().History().IsUpdating(); }));
        QApplication::processEvents();
    };
    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_TODAY));
    settle();
    EXPECT_TRUE(shown.contains(QStringLiteral("番組と結果のファイルを新しくしました"))) << shown.join(u'|').toStdString();
    EXPECT_FALSE(shown.contains(QStringLiteral("新しいファイルはありませんでした")));
    // The same files again: nothing new, which the history's own quiet update leaves standing.
    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_TODAY));
    settle();
    EXPECT_EQ(shownMessage(), "新しいファイルはありませんでした");
    // The day's word beside it asks for a venue.
    bool bAsked = false;
    for (QLabel* pLabel : host.Frame().statusBar()->findChildren<QLabel*>())
        bAsked = bAsked || pLabel->text().startsWith(QStringLiteral("レース場を選んでください"));
    EXPECT_TRUE(bAsked);
    // A stopped download says nothing of what it brought.
    host.Frame().statusBar()->clearMessage();
    m_server.ServeStalled(ArchivePath('B', Noon(kDay)).GetString(), std::string(4096, 'x'));
    EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_TODAY));
    CDownloadDlg* pDlg = nullptr;
    ASSERT_TRUE(WaitUntil([&pDlg] { return (pDlg = ShownDownloadDlg()) != nullptr; }));
    QTest::mouseClick(pDlg->Item<QPushButton>(IDCANCEL), Qt::LeftButton);
    settle();
    EXPECT_EQ(shownMessage(), "");

    // The period dialog offers the dates it was closed with, also in a later run of the program.
    QDate first, last;
    auto choose = [&first, &last](const QDate& newFirst, const QDate& newLast) {
        return [&first, &last, newFirst, newLast](QWidget* pWidget) {
            auto* pDlg = dynamic_cast<CPeriodDownloadDlg*>(pWidget);
            ASSERT_NE(pDlg, nullptr);
            first = pDlg->FirstDate()->date();
            last = pDlg->LastDate()->date();
            pDlg->FirstDate()->setDate(newFirst);
            pDlg->LastDate()->setDate(newLast);
            QMetaObject::invokeMethod(pDlg, "reject", Qt::QueuedConnection);
        };
    };
    {
        apptest::CModalDriver driver({choose(QDate(2019, 12, 24), QDate(2020, 1, 3))});
        EXPECT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_PERIOD));
    }
    EXPECT_EQ(first, kDay.addDays(-29));
    EXPECT_EQ(last, kDay);
    {
        CViewHost again;
        apptest::CModalDriver driver({choose(QDate(2020, 1, 1), QDate(2020, 1, 2))});
        EXPECT_TRUE(again.Router().Execute(ID_FILE_DOWNLOAD_PERIOD));
    }
    EXPECT_EQ(first, QDate(2019, 12, 24));
    EXPECT_EQ(last, QDate(2020, 1, 3));
    EXPECT_NE(ReadBytes("data/kelu.ini").find("[Period]\r\nFirst=2020-01-01\r\nLast=2020-01-02\r\n"), std::string::npos);
}
