// The period download against a real HTTP server on 127.0.0.1: which days are asked for and in
// what order, how many requests are open at once, the second chance of a failed request, the
// stop, and the days it could not fetch.

#include "LzhWriter.h"
#include "ProgressLog.h"
#include "TestDir.h"
#include "TestHttpServer.h"
#include "Unwritable.h"
#include "app/Startup.h"
#include "download/PeriodDownload.h"

#include <gtest/gtest.h>

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testsupport::CProgressLog;
using testsupport::CTestHttpServer;
using testsupport::ReadBytes;

namespace {

const CTime kJan1(2020, 1, 1, 12, 0, 0);

// "/od2/B/202001/b200103.lzh", written out rather than made by the code under test.
std::string PathOf(char chKind, int nDay)
{
    const char chLower = chKind == 'B' ? 'b' : 'k';
    char sz[64];
    std::snprintf(sz, sizeof sz, "/od2/%c/202001/%c2001%02d.lzh", chKind, chLower, nDay);
    return sz;
}

// "data/prog/B200103.TXT" or "data/res/K200103.TXT".
std::string DayFilePath(char chKind, int nDay)
{
    char sz[64];
    std::snprintf(sz, sizeof sz, "data/%s/%c2001%02d.TXT", chKind == 'B' ? "prog" : "res", chKind, nDay);
    return sz;
}

std::string DayText(char chKind, int nDay)
{
    return "the day file of " + DayFilePath(chKind, nDay) + "\r\n" + std::string(2000, static_cast<char>('a' + nDay));
}

// The work files the download makes in data/ beside the folders.
std::vector<std::string> WorkFiles()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator("data"))
        if (entry.is_regular_file() && entry.path().extension() == ".lzh")
            names.push_back(entry.path().filename().string());
    return names;
}

class PeriodDownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDataDirectories();
        setenv("no_proxy", "127.0.0.1,localhost", 1);
    }

    // Both archives of January nFirst to nLast, 2020, each holding its day's file.
    void ServeDays(CTestHttpServer& server, int nFirst, int nLast)
    {
        for (int nDay = nFirst; nDay <= nLast; ++nDay)
            for (char chKind : {'B', 'K'})
                server.Serve(PathOf(chKind, nDay), DayArchive(chKind, nDay));
    }
    static std::string DayArchive(char chKind, int nDay)
    {
        return lzhtest::StoredArchive({{fs::path(DayFilePath(chKind, nDay)).filename().string(), DayText(chKind, nDay)}});
    }
    CPeriodOutcome Download(const CTestHttpServer& server, int nFirst, int nLast, int nConnections = 2,
                            bool bSkip = true)
    {
        CPeriodRequest request;
        request.first = kJan1.AddDays(nFirst - 1);
        request.last = kJan1.AddDays(nLast - 1);
        request.nConnections = nConnections;
        request.bSkipPresent = bSkip;
        return DownloadPeriod(server.Url().c_str(), request, m_log);
    }

    CProgressLog m_log;
};

} // namespace

TEST_F(PeriodDownloadTest, DaysWithBothFilesArePassedOverAndTheOthersAskedForWhole)
{
    CTestHttpServer server;
    ServeDays(server, 1, 5);
    // The 2nd is complete; the 3rd has its program only; the 4th's result is an empty file.
    std::ofstream(DayFilePath('B', 2)) << "kept program";
    std::ofstream(DayFilePath('K', 2)) << "kept result";
    std::ofstream(DayFilePath('B', 3)) << "old program";
    std::ofstream(DayFilePath('B', 4)) << "old program";
    std::ofstream(DayFilePath('K', 4));

    const CPeriodOutcome outcome = Download(server, 1, 5, 1);
    std::vector<std::string> expected;
    for (int nDay : {1, 3, 4, 5})
        for (char chKind : {'B', 'K'})
            expected.push_back(PathOf(chKind, nDay));
    EXPECT_EQ(server.Paths(), expected);
    EXPECT_EQ(outcome.nDays, 5);
    EXPECT_EQ(outcome.nSkipped, 1);
    EXPECT_EQ(outcome.nFetched, 4);
    EXPECT_EQ(outcome.nFailed, 0);
    EXPECT_FALSE(outcome.bStopped);
    EXPECT_EQ(ReadBytes(DayFilePath('B', 2)), "kept program");
    EXPECT_EQ(ReadBytes(DayFilePath('B', 3)), DayText('B', 3));
    EXPECT_EQ(ReadBytes(DayFilePath('K', 4)), DayText('K', 4));
    EXPECT_TRUE(WorkFiles().empty());
    EXPECT_TRUE(outcome.FilesMayHaveChanged(kJan1.AddDays(2)));
    EXPECT_FALSE(outcome.FilesMayHaveChanged(kJan1.AddDays(1)));
    // The bar ends full, with every byte of the eight archives counted.
    const CPeriodStatus last = m_log.Statuses().back();
    EXPECT_EQ(last.nDaysDone, 5);
    long long nBytes = 0;
    for (int nDay : {1, 3, 4, 5})
        nBytes += static_cast<long long>(DayArchive('B', nDay).size() + DayArchive('K', nDay).size());
    EXPECT_EQ(last.nBytes, nBytes);

    // Without the box every day is asked for.
    const CPeriodOutcome all = Download(server, 1, 5, 1, false);
    EXPECT_EQ(server.Paths().size(), expected.size() + 10);
    EXPECT_EQ(all.nFetched, 5);
    EXPECT_EQ(ReadBytes(DayFilePath('B', 2)), DayText('B', 2));
}

TEST_F(PeriodDownloadTest, NeverMoreRequestsOpenThanChosenAndTheOldestDayFirst)
{
    for (int nConnections : {1, 3}) {
        CTestHttpServer server;
        ServeDays(server, 1, 12);
        server.SetDelay(40);
        const CPeriodOutcome outcome = Download(server, 1, 12, nConnections, false);
        EXPECT_EQ(outcome.nFetched, 12);
        EXPECT_EQ(server.MostAtOnce(), nConnections);
        // Connections are kept and used again, never more than one for each request at once.
        EXPECT_LE(server.Connections(), static_cast<size_t>(nConnections));
        // The archives in the order of their days, program first: a request overtakes at most
        // those that went out with it.
        std::vector<std::string> expected;
        for (int nDay = 1; nDay <= 12; ++nDay)
            for (char chKind : {'B', 'K'})
                expected.push_back(PathOf(chKind, nDay));
        const std::vector<std::string> paths = server.Paths();
        ASSERT_EQ(paths.size(), expected.size());
        for (size_t i = 0; i < paths.size(); ++i) {
            const auto nAt = std::find(expected.begin(), expected.end(), paths[i]) - expected.begin();
            EXPECT_LT(std::abs(nAt - static_cast<long>(i)), nConnections) << paths[i] << " asked as " << i;
        }
        if (nConnections == 1) {
            EXPECT_EQ(paths, expected);
        }
    }
}

TEST_F(PeriodDownloadTest, AFailedRequestIsAskedOnceMoreTwoSecondsLater)
{
    CTestHttpServer server;
    ServeDays(server, 1, 3);
    // The 1st's program: the server is busy the first time. The 2nd's result is cut short
    // every time.
    std::mutex mutex;
    std::vector<Clock::time_point> asked;
    const std::string program = DayArchive('B', 1);
    server.Handle(PathOf('B', 1), [&](const httplib::Request&, httplib::Response& res) {
        const std::lock_guard lock(mutex);
        asked.push_back(Clock::now());
        if (asked.size() == 1)
            res.status = 503;
        else
            res.set_content(program, "application/octet-stream");
    });
    server.ServeCut(PathOf('K', 2), DayArchive('K', 2));

    const CPeriodOutcome outcome = Download(server, 1, 3);
    const std::vector<std::string> paths = server.Paths();
    EXPECT_EQ(std::count(paths.begin(), paths.end(), PathOf('B', 1)), 2);
    EXPECT_EQ(std::count(paths.begin(), paths.end(), PathOf('K', 2)), 2);
    EXPECT_EQ(paths.size(), 8u);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_GE(asked[1] - asked[0], std::chrono::milliseconds(1900));
    EXPECT_EQ(outcome.nFetched, 2);
    EXPECT_EQ(outcome.nFailed, 1);
    EXPECT_EQ(ReadBytes(DayFilePath('B', 1)), DayText('B', 1));
    ASSERT_EQ(outcome.lists.missed.size(), 1u);
    EXPECT_EQ(SjisToUtf8(outcome.lists.missed[0].Str()), "2020/01/02 結果表 (Error 2: 転送が途中で切れました)");
    EXPECT_NE(m_log.Log().find("2020/01/01 番組表をダウンロードできません (Error 503)。2 秒後にもう一度試します\r\n"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(DayFilePath('K', 2)));
    EXPECT_TRUE(WorkFiles().empty());

    // A server nobody answers for: after the second chance the rest is named, not tried.
    const int nClosedPort = [] { CTestHttpServer gone; return gone.Port(); }();
    CPeriodRequest request;
    request.first = kJan1.AddDays(9);
    request.last = kJan1.AddDays(13);
    const auto start = Clock::now();
    const CPeriodOutcome closed =
        DownloadPeriod(("http://127.0.0.1:" + std::to_string(nClosedPort)).c_str(), request, m_log);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
    EXPECT_EQ(closed.nFailed, 5);
    ASSERT_EQ(closed.lists.missed.size(), 5u);
    EXPECT_EQ(SjisToUtf8(closed.lists.missed[0].Str()), "2020/01/10 出走表と結果表 (Error 2: 接続を拒否されました（サーバーに接続できません）)");
    EXPECT_EQ(SjisToUtf8(closed.lists.missed[4].Str()), "2020/01/14 出走表と結果表 (Error 2: 接続を拒否されました（サーバーに接続できません）)");
}

TEST_F(PeriodDownloadTest, AStopEndsItPromptlyAsksForNothingMoreAndLeavesNothingHalfWritten)
{
    CTestHttpServer server;
    ServeDays(server, 1, 30);
    server.SetDelay(20);
    // The 3rd's program: its first block goes out, then the user stops (from the server's
    // thread, as the dialog's button would from the window's), then the server falls silent
    // until the test lets it go.
    std::atomic<bool> bHolding{false};
    std::atomic<bool> bLetGo{false};
    const std::string stalled = DayArchive('B', 3);
    server.Handle(PathOf('B', 3), [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(stalled.size(), "application/octet-stream",
                                 [&](size_t nOffset, size_t, httplib::DataSink& sink) {
                                     if (nOffset > 0)
                                         return false;
                                     sink.write(stalled.data(), 512);
                                     m_log.m_bStop = true;
                                     bHolding = true;
                                     for (int i = 0; i < 2000 && !bLetGo; ++i)
                                         std::this_thread::sleep_for(std::chrono::milliseconds(10));
                                     return false;
                                 });
    });
    const CPeriodOutcome outcome = Download(server, 1, 30, 2, false);
    // The run ended while the server still held its answer: the stop did not wait for it.
    EXPECT_TRUE(bHolding && !bLetGo);
    bLetGo = true;
    const size_t nAsked = server.Paths().size();
    EXPECT_TRUE(outcome.bStopped);
    EXPECT_LT(nAsked, 60u);
    EXPECT_LT(outcome.nFetched + outcome.nFailed, 30);
    EXPECT_TRUE(WorkFiles().empty());
    EXPECT_FALSE(fs::exists(DayFilePath('B', 3)));
    // Every day file there is whole, and nothing more was asked for after the stop.
    for (int nDay = 1; nDay <= 30; ++nDay)
        for (char chKind : {'B', 'K'})
            if (fs::exists(DayFilePath(chKind, nDay))) {
                EXPECT_EQ(ReadBytes(DayFilePath(chKind, nDay)), DayText(chKind, nDay));
            }
    EXPECT_EQ(server.Paths().size(), nAsked);
    EXPECT_EQ(SjisToUtf8(PeriodCountsText(outcome).Str()).rfind("中止しました。", 0), 0u);
}

TEST_F(PeriodDownloadTest, FarDatesEndAndAStopIsHeardWhileTheDaysArePlanned)
{
    // The last days a date can have: after 9999/12/31 comes no earlier day.
    CTestHttpServer server;
    CPeriodRequest request;
    request.first = CTime(9999, 12, 30, 12, 0, 0);
    request.last = CTime(9999, 12, 31, 12, 0, 0);
    request.nConnections = 1;
    const CPeriodOutcome far = DownloadPeriod(server.Url().c_str(), request, m_log);
    EXPECT_EQ(far.nDays, 2);
    EXPECT_EQ(far.nFailed, 2);
    EXPECT_EQ(server.Paths(), (std::vector<std::string>{"/od2/B/999912/b991230.lzh", "/od2/K/999912/k991230.lzh",
                                                        "/od2/B/999912/b991231.lzh", "/od2/K/999912/k991231.lzh"}));

    // Eight thousand years of days, stopped before the first is planned: none is, none asked for.
    request.first = CTime(1990, 1, 1, 12, 0, 0);
    m_log.m_bStop = true;
    const CPeriodOutcome stopped = DownloadPeriod(server.Url().c_str(), request, m_log);
    EXPECT_TRUE(stopped.bStopped);
    EXPECT_EQ(stopped.nDays, 0);
    EXPECT_EQ(server.Paths().size(), 4u);
}

TEST_F(PeriodDownloadTest, ABodyOverTheLimitAnUnwritableFolderAndADamagedArchiveFailOnlyTheirDays)
{
    CTestHttpServer server;
    ServeDays(server, 1, 6);
    // The 2nd's program is larger than any archive may be; the 3rd's result is no archive.
    server.Serve(PathOf('B', 2), std::string(16 * 1024 * 1024 + 1, 'x'));
    server.Serve(PathOf('K', 3), "this is not an LZH archive at all");
    const CPeriodOutcome outcome = Download(server, 1, 4, 2);
    const std::vector<std::string> paths = server.Paths();
    // Too large is final: asked for once, not twice.
    EXPECT_EQ(std::count(paths.begin(), paths.end(), PathOf('B', 2)), 1);
    EXPECT_EQ(paths.size(), 8u);
    EXPECT_EQ(outcome.nFetched, 2);
    EXPECT_EQ(outcome.nFailed, 2);
    ASSERT_EQ(outcome.lists.missed.size(), 2u);
    EXPECT_EQ(SjisToUtf8(outcome.lists.missed[0].Str()).rfind("2020/01/02 出走表 (Error 2: ", 0), 0u)
        << SjisToUtf8(outcome.lists.missed[0].Str());
    EXPECT_EQ(SjisToUtf8(outcome.lists.missed[1].Str()),
              "2020/01/03 結果表 (書庫が壊れているか、LZH 書庫ではありません)");
    EXPECT_FALSE(fs::exists(DayFilePath('B', 2)));
    EXPECT_EQ(ReadBytes(DayFilePath('B', 3)), DayText('B', 3));
    EXPECT_EQ(ReadBytes(DayFilePath('K', 4)), DayText('K', 4));
    EXPECT_TRUE(WorkFiles().empty());

    // A program folder that cannot be written: the days' results still come, the programs are
    // named as not written, and the work files are gone.
    testsupport::CUnwritable folder("data/prog");
    if (!folder.IsOn())
        GTEST_SKIP() << testsupport::CUnwritable::kMissing;
    const CPeriodOutcome unwritable = Download(server, 5, 6, 2);
    EXPECT_EQ(unwritable.nFailed, 2);
    ASSERT_EQ(unwritable.lists.unwritten.size(), 2u);
    EXPECT_EQ(SjisToUtf8(unwritable.lists.unwritten[0].Str()).rfind("data/prog/B200105.TXT: ", 0), 0u);
    EXPECT_EQ(ReadBytes(DayFilePath('K', 6)), DayText('K', 6));
    EXPECT_TRUE(WorkFiles().empty());
}

TEST_F(PeriodDownloadTest, ADayWithoutRacingIsNamedAndTodaysMissingResultIsNot)
{
    CTestHttpServer server;
    ServeDays(server, 1, 3);
    ServeDays(server, 5, 5);
    // The 2nd: no archive at all; the 4th: the program only.
    server.Handle(PathOf('B', 2), [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
    server.Handle(PathOf('K', 2), [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
    server.Serve(PathOf('B', 4), DayArchive('B', 4));
    const CPeriodOutcome outcome = Download(server, 1, 5, 2);
    const std::vector<std::string> paths = server.Paths();
    // A 404 is an answer: not asked again.
    EXPECT_EQ(paths.size(), 10u);
    EXPECT_EQ(outcome.nFetched, 3);
    EXPECT_EQ(outcome.nFailed, 2);
    EXPECT_EQ(SjisToUtf8(PeriodSummaryText(outcome).Str()),
              "終了しました。取得 3 日、飛ばした日 0 日、失敗 2 日\n\n"
              "ダウンロードできなかった日があります。\n"
              "2020/01/02 出走表と結果表 (Error 404)\n"
              "2020/01/04 結果表 (Error 404)");

    // Today's result is out only once its races are over.
    const CTime today = CTime::GetCurrentTime();
    const std::string todayProgram = "/od2/B/" + today.Format("%Y%m").Str() + "/b" + today.Format("%y%m%d").Str() + ".lzh";
    const std::string todayFile = "B" + today.Format("%y%m%d").Str() + ".TXT";
    server.Serve(todayProgram, lzhtest::StoredArchive({{todayFile, "today's program"}}));
    CPeriodRequest request;
    request.first = today;
    request.last = today;
    const CPeriodOutcome todays = DownloadPeriod(server.Url().c_str(), request, m_log);
    EXPECT_EQ(todays.nFetched, 1);
    EXPECT_EQ(todays.nFailed, 0);
    EXPECT_TRUE(todays.lists.missed.empty());
    EXPECT_EQ(ReadBytes("data/prog/" + todayFile), "today's program");
    EXPECT_NE(m_log.Log().find(today.Format("%Y/%m/%d").Str() + " 結果表はまだ発表されていません"), std::string::npos);
}
