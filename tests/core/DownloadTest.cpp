// The day and week download against a real HTTP server on 127.0.0.1, with a progress log that
// records what the dialog would show and can stop the download from inside a turn of the loop.

#include "LzhWriter.h"
#include "ProgressLog.h"
#include "TestDir.h"
#include "TestHttpServer.h"
#include "app/Startup.h"
#include "download/Archive.h"
#include "download/DataServer.h"
#include "download/Downloader.h"
#include "download/HttpConnection.h"
#include "download/TransferEngine.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

#include <httplib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::CTestHttpServer;
using testsupport::CProgressLog;
using testsupport::ReadBytes;

namespace {

const std::string kLzhDir = std::string(KELU_TEST_DATA_DIR) + "/lzh/";
const CTime kJan23(2005, 1, 23, 12, 0, 0);

long long FileSize(const char* path)
{
    std::error_code ec;
    const auto n = fs::file_size(path, ec);
    return ec ? -1 : static_cast<long long>(n);
}

std::string RandomBytes(size_t n)
{
    std::mt19937 gen(7);
    std::string s(n, '\0');
    for (char& ch : s)
        ch = static_cast<char>(gen());
    return s;
}

// Sets an environment variable for the scope, and puts back what was there.
class CScopedEnv {
public:
    CScopedEnv(const char* pszName, const char* pszValue)
        : m_name(pszName)
    {
        if (const char* psz = std::getenv(pszName))
            m_old = psz;
        setenv(pszName, pszValue, 1);
        tzset();
    }
    ~CScopedEnv()
    {
        if (m_old)
            setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            unsetenv(m_name.c_str());
        tzset();
    }

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDataDirectories();
        // The test server is reached directly, whatever proxy the machine is set up with.
        setenv("no_proxy", "127.0.0.1,localhost", 1);
    }

    // Both archives of the day: the test's good program and result archives for 23 January
    // 2005, archives of a made-up day file of that day's name for the others.
    void ServeDay(const CTime& day)
    {
        if (day.Format("%Y%m%d") == "20050123") {
            m_server.Serve(ArchivePath('B', day).GetString(), ReadBytes(kLzhDir + "good.lzh"));
            m_server.Serve(ArchivePath('K', day).GetString(), ReadBytes(kLzhDir + "kgood.lzh"));
            return;
        }
        for (char chKind : {'B', 'K'})
            m_server.Serve(ArchivePath(chKind, day).GetString(), DayArchive(chKind, day));
    }
    static std::string DayFileName(char chKind, const CTime& day)
    {
        return std::string(1, chKind) + day.Format("%y%m%d").GetString() + ".TXT";
    }
    static std::string DayArchive(char chKind, const CTime& day)
    {
        return lzhtest::StoredArchive({{DayFileName(chKind, day), "day file " + DayFileName(chKind, day)}});
    }
    CDownloadOutcome Download(const CTime& day, int nDays)
    {
        return DownloadFromServer(m_server.Url().c_str(), m_log, day, nDays);
    }

    CTestHttpServer m_server;
    CProgressLog m_log;
};

} // namespace

TEST_F(DownloadTest, OneDayAsksForTheProgramThenTheResultOverOneConnection)
{
    ServeDay(kJan23);
    const CDownloadOutcome outcome = Download(kJan23, 1);
    EXPECT_EQ(outcome.end, DownloadEnd::Completed);
    EXPECT_EQ(m_server.Paths(), (std::vector<std::string>{"/od2/B/200501/b050123.lzh", "/od2/K/200501/k050123.lzh"}));
    EXPECT_EQ(m_server.Agents(), (std::vector<std::string>{"kelu Browser", "kelu Browser"}));
    EXPECT_EQ(m_server.Connections(), 1u);
    EXPECT_EQ(ReadBytes("data/prog/B050123.TXT"), ReadBytes(kLzhDir + "B050123.TXT"));
    EXPECT_EQ(ReadBytes("data/res/K050123.TXT"), ReadBytes(kLzhDir + "K050123.TXT"));
    EXPECT_FALSE(fs::exists(DayWorkFile().Str()));
    EXPECT_EQ(m_log.Log(), "2005/01/23 番組表のダウンロード中...\r\n"
                              "2005/01/23 番組表の解凍中...\r\n"
                              "2005/01/23 結果表のダウンロード中...\r\n"
                              "2005/01/23 結果表の解凍中...\r\n");
}

TEST_F(DownloadTest, AWeekRunsOldestFirstAcrossTheMonthAndTheClockChange)
{
    const CTime march1(2005, 3, 1, 0, 30, 0);
    for (int d = 0; d < 7; ++d)
        ServeDay(march1.AddDays(-d));
    // A bare host with a trailing "/" is an http address all the same.
    const std::string server = m_server.Url().substr(7) + "/";
    const CDownloadOutcome outcome = DownloadFromServer(server.c_str(), m_log, march1, 7);
    EXPECT_EQ(outcome.end, DownloadEnd::Completed);
    EXPECT_TRUE(outcome.missed.empty() && outcome.unwritten.empty());
    EXPECT_EQ(ReadBytes("data/res/K050228.TXT"), "day file K050228.TXT");
    std::vector<std::string> expected;
    for (const char* day : {"0223", "0224", "0225", "0226", "0227", "0228"})
        for (const char* kind : {"B/200502/b05", "K/200502/k05"})
            expected.push_back(std::string("/od2/") + kind + day + ".lzh");
    expected.push_back("/od2/B/200503/b050301.lzh");
    expected.push_back("/od2/K/200503/k050301.lzh");
    EXPECT_EQ(m_server.Paths(), expected);
    const std::string first = "2005/02/23 番組表のダウンロード中...\r\n";
    EXPECT_EQ(m_log.Log().substr(0, first.size()), first);

    // Half past midnight the day after the clocks go forward: 86,400 seconds back would be the
    // evening before the day before.
    if (!fs::exists("/usr/share/zoneinfo/Europe/Berlin"))
        GTEST_SKIP() << "no time zone data";
    const CScopedEnv tz("TZ", "Europe/Berlin");
    const CTime march28(2005, 3, 28, 0, 30, 0);
    ServeDay(march28);
    ServeDay(march28.AddDays(-1));
    const size_t nBefore = m_server.Paths().size();
    Download(march28, 2);
    const std::vector<std::string> paths = m_server.Paths();
    ASSERT_EQ(paths.size(), nBefore + 4);
    EXPECT_EQ(paths[nBefore], "/od2/B/200503/b050327.lzh");
    EXPECT_EQ(paths[nBefore + 2], "/od2/B/200503/b050328.lzh");
}

TEST_F(DownloadTest, TwoProcessesInOneFolderDownloadSideBySideWithoutTouchingEachOthersWork)
{
    for (int d = 0; d < 7; ++d)
        ServeDay(kJan23.AddDays(-d));
    // Every answer a little late, so that the two weeks overlap all the way.
    m_server.SetDelay(15);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CProgressLog log;
        const CDownloadOutcome outcome = DownloadFromServer(m_server.Url().c_str(), log, kJan23, 7);
        _exit(outcome.end == DownloadEnd::Completed && outcome.missed.empty() && outcome.unwritten.empty() ? 0 : 1);
    }
    const CDownloadOutcome outcome = Download(kJan23, 7);
    int nStatus = -1;
    ASSERT_EQ(waitpid(child, &nStatus, 0), child);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0);
    EXPECT_EQ(outcome.end, DownloadEnd::Completed);
    EXPECT_TRUE(outcome.missed.empty() && outcome.unwritten.empty());
    EXPECT_EQ(m_server.Paths().size(), 28u);
    EXPECT_EQ(ReadBytes("data/prog/B050123.TXT"), ReadBytes(kLzhDir + "B050123.TXT"));
    EXPECT_EQ(ReadBytes("data/res/K050117.TXT"), "day file K050117.TXT");
    EXPECT_FALSE(fs::exists(DayWorkFile().Str()));
    EXPECT_FALSE(fs::exists("temp-" + std::to_string(child) + ".lzh"));
}

TEST_F(DownloadTest, AMissingProgramEndsOneDayWithItsStatusAndAWeekGoesOnNamingWhatItMissed)
{
    CDownloadOutcome outcome = Download(kJan23, 1);
    EXPECT_EQ(outcome.end, DownloadEnd::ProgramFailed);
    EXPECT_EQ(outcome.nCode, 404);
    EXPECT_EQ(m_server.Paths().size(), 1u);
    EXPECT_FALSE(fs::exists(DayWorkFile().Str()));
    EXPECT_EQ(SjisToUtf8(DownloadEndMessage(outcome).Str()),
              "出走表がダウンロードできません。\n(Error 404)\nサーバーにファイルがありません (404)。"
              "まだ発表されていない日か、サーバーのアドレスが違うのかもしれません。");
    EXPECT_EQ(SjisToUtf8(DownloadCaption().Str()), "ダウンロード");

    // The week of 17 to 23 January: the first day's program and the 20th's result are not on
    // the server, nor the shown day's result, which is not out yet.
    for (int d = 0; d < 7; ++d)
        ServeDay(kJan23.AddDays(-d));
    const std::string b17 = ArchivePath('B', kJan23.AddDays(-6)).GetString();
    const std::string k20 = ArchivePath('K', kJan23.AddDays(-3)).GetString();
    const std::string k23 = ArchivePath('K', kJan23).GetString();
    for (const std::string& path : {b17, k20, k23})
        m_server.Handle(path, [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
    const size_t nBefore = m_server.Paths().size();
    outcome = Download(kJan23, 7);
    // The 17th's result is not asked for: a result without its program is never read.
    std::vector<std::string> expected{b17};
    for (int d = 5; d >= 0; --d)
        for (char chKind : {'B', 'K'})
            expected.push_back(ArchivePath(chKind, kJan23.AddDays(-d)).GetString());
    const std::vector<std::string> paths = m_server.Paths();
    EXPECT_EQ(std::vector<std::string>(paths.begin() + static_cast<long>(nBefore), paths.end()), expected);
    EXPECT_EQ(outcome.end, DownloadEnd::ResultFailed);
    EXPECT_EQ(SjisToUtf8(DownloadEndMessage(outcome).Str()),
              "ダウンロードできなかった日があります。\n2005/01/17 出走表 (Error 404)\n2005/01/20 結果表 (Error 404)");
    EXPECT_NE(m_log.Log().find("2005/01/17 番組表をダウンロードできません (Error 404)\r\n"
                               "2005/01/18 番組表のダウンロード中...\r\n"),
              std::string::npos);
    EXPECT_FALSE(fs::exists("data/prog/B050117.TXT"));
    EXPECT_TRUE(fs::exists("data/prog/B050120.TXT") && fs::exists("data/res/K050121.TXT"));
    EXPECT_FALSE(fs::exists("data/res/K050120.TXT"));

    // A server nobody answers for: the week ends at once, naming every day.
    const int nClosedPort = [] { CTestHttpServer gone; return gone.Port(); }();
    const std::string closed = "http://127.0.0.1:" + std::to_string(nClosedPort);
    outcome = DownloadFromServer(closed.c_str(), m_log, kJan23, 7);
    ASSERT_EQ(outcome.missed.size(), 7u);
    EXPECT_EQ(SjisToUtf8(outcome.missed[0].Str()), "2005/01/17 出走表 (Error 2: 接続を拒否されました（サーバーに接続できません）)");
    EXPECT_EQ(SjisToUtf8(outcome.missed[6].Str()), "2005/01/23 出走表 (Error 2: 接続を拒否されました（サーバーに接続できません）)");
}

TEST_F(DownloadTest, AStopEndsAStalledOrAFlowingTransferAndUnpacksNothing)
{
    // Stopped from another thread, as the dialog's button does, once the first bytes are in.
    auto stopOnceWritten = [this](long long nBytes) {
        return std::thread([this, nBytes] {
            while (FileSize(DayWorkFile().GetString()) < nBytes)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            m_log.m_bStop = true;
        });
    };
    // More than the first block the server sends before it falls silent.
    m_server.ServeStalled(ArchivePath('B', kJan23).GetString(), RandomBytes(4096));
    std::thread stopper = stopOnceWritten(512);
    CDownloadOutcome outcome = Download(kJan23, 1);
    stopper.join();
    EXPECT_EQ(outcome.end, DownloadEnd::Stopped);
    EXPECT_TRUE(DownloadEndMessage(outcome).IsEmpty());
    // The stall still held when the download had ended: it did not wait for the server.
    EXPECT_FALSE(m_server.StallReleased());
    EXPECT_TRUE(fs::is_empty("data/prog"));

    // A server that never stops sending, a kilobyte at a time.
    m_server.Handle("/flowing.lzh", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("application/octet-stream", [](size_t, httplib::DataSink& sink) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            return sink.write(std::string(1024, 'x').data(), 1024);
        });
    });
    m_log.m_bStop = false;
    stopper = stopOnceWritten(64 * 1024);
    CHttpConnection connection(m_server.Url().c_str(), kUserAgent);
    EXPECT_EQ(FetchFile(connection, m_log.StopFlag(), "/flowing.lzh", DayWorkFile().GetString()), kFetchStopped);
    stopper.join();
    EXPECT_LT(FileSize(DayWorkFile().GetString()), CHttpConnection::kMaxBodyBytes);

    // A stop during the unpacking lets it finish, then ends the command before the next request.
    m_log.m_bStop = false;
    const CTime jan22 = kJan23.AddDays(-1);
    ServeDay(jan22);
    m_log.m_onLine = [](CProgressLog& log, const std::string& line) {
        if (line.find("番組表の解凍中") != std::string::npos)
            log.m_bStop = true;
    };
    const size_t nRequests = m_server.Paths().size();
    outcome = Download(jan22, 1);
    m_log.m_onLine = nullptr;
    EXPECT_EQ(outcome.end, DownloadEnd::Stopped);
    EXPECT_EQ(m_server.Paths().size(), nRequests + 1);
    EXPECT_EQ(ReadBytes("data/prog/B050122.TXT"), "day file B050122.TXT");

    // Left alone, a silent server is given up after the low-speed time.
    m_log.m_bStop = false;
    m_server.ServeStalled("/stall.lzh", RandomBytes(4096));
    connection.SetTimeouts(5, 1);
    CFetchDetail detail;
    EXPECT_EQ(FetchFile(connection, m_log.StopFlag(), "/stall.lzh", DayWorkFile().GetString(), &detail), kFetchInternet);
    EXPECT_EQ(SjisToUtf8(detail.strReason.Str()), "時間切れです（サーバーの応答が途絶えました）");
    EXPECT_FALSE(m_server.StallReleased());
}

TEST_F(DownloadTest, BrokenAndOversizedTransfersAreInternetErrorsAndNeverUnpacked)
{
    std::ofstream("data/prog/B050123.TXT", std::ios::binary) << "the good day file";
    m_server.ServeCut(ArchivePath('B', kJan23).GetString(), ReadBytes(kLzhDir + "good.lzh"));
    CDownloadOutcome outcome = Download(kJan23, 1);
    EXPECT_EQ(outcome.end, DownloadEnd::ProgramFailed);
    EXPECT_EQ(outcome.nCode, kFetchInternet);
    EXPECT_EQ(ReadBytes("data/prog/B050123.TXT"), "the good day file");

    // A body that says it is a gigabyte is refused before a byte is kept; one that does not say
    // is cut off at the limit. Neither is unpacked.
    const curl_off_t nLimit = CHttpConnection::kMaxBodyBytes;
    m_server.Handle("/declared.lzh", [](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(size_t(1) << 30, "application/octet-stream",
                                 [](size_t, size_t, httplib::DataSink& sink) {
                                     return sink.write(std::string(65536, 'x').data(), 65536);
                                 });
    });
    m_server.Handle(ArchivePath('B', kJan23).GetString(), [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("application/octet-stream", [](size_t, httplib::DataSink& sink) {
            return sink.write(std::string(65536, 'x').data(), 65536);
        });
    });
    CHttpConnection connection(m_server.Url().c_str(), kUserAgent);
    CFetchDetail detail;
    EXPECT_EQ(FetchFile(connection, m_log.StopFlag(), "/declared.lzh", "declared.lzh", &detail), kFetchInternet);
    EXPECT_LE(FileSize("declared.lzh"), 0);
    EXPECT_EQ(SjisToUtf8(detail.strReason.Str()), "大きすぎます (16 MB を超えています)");
    const auto Asked = [this](const CString& strPath) {
        const std::vector<std::string> paths = m_server.Paths();
        return std::count(paths.begin(), paths.end(), strPath.Str());
    };
    const auto nAsked = Asked(ArchivePath('B', kJan23));
    outcome = Download(kJan23, 1);
    EXPECT_EQ(outcome.end, DownloadEnd::ProgramFailed);
    EXPECT_EQ(outcome.nCode, kFetchInternet);
    // Too large is final: not asked for a second time.
    EXPECT_EQ(Asked(ArchivePath('B', kJan23)), nAsked + 1);
    EXPECT_LE(FileSize(DayWorkFile().GetString()), nLimit);
    EXPECT_EQ(ReadBytes("data/prog/B050123.TXT"), "the good day file");

    // Nobody listening; a protocol that is not the web's.
    const int nClosedPort = [] { CTestHttpServer gone; return gone.Port(); }();
    const std::string closed = "http://127.0.0.1:" + std::to_string(nClosedPort);
    EXPECT_EQ(DownloadFromServer(closed.c_str(), m_log, kJan23, 1).nCode, kFetchInternet);
    const std::string ftp = "ftp://127.0.0.1:" + std::to_string(m_server.Port());
    EXPECT_EQ(DownloadFromServer(ftp.c_str(), m_log, kJan23, 1).nCode, kFetchInternet);

    // A work file that cannot be made is reported like any internet error of a program archive.
    ServeDay(kJan23);
    fs::remove(DayWorkFile().Str());
    fs::create_directory(DayWorkFile().Str());
    outcome = Download(kJan23, 1);
    EXPECT_EQ(outcome.end, DownloadEnd::ProgramFailed);
    EXPECT_EQ(outcome.nCode, kFetchInternet);
    EXPECT_EQ(ReadBytes("data/prog/B050123.TXT"), "the good day file");
}

TEST_F(DownloadTest, RedirectsGoOnlyToTheWebAndNeverFromHttpsDownToHttp)
{
    // Another server, as another host would be: a redirect to it is followed.
    CTestHttpServer other;
    other.Serve(ArchivePath('B', kJan23).GetString(), ReadBytes(kLzhDir + "good.lzh"));
    other.Serve(ArchivePath('K', kJan23).GetString(), ReadBytes(kLzhDir + "kgood.lzh"));
    for (char chKind : {'B', 'K'}) {
        const std::string path = ArchivePath(chKind, kJan23).GetString();
        m_server.Handle(path, [&other, path](const httplib::Request&, httplib::Response& res) {
            res.set_redirect(other.Url() + path);
        });
    }
    CDownloadOutcome outcome = Download(kJan23, 1);
    EXPECT_EQ(outcome.end, DownloadEnd::Completed);
    EXPECT_EQ(other.Paths().size(), 2u);
    EXPECT_EQ(ReadBytes("data/prog/B050123.TXT"), ReadBytes(kLzhDir + "B050123.TXT"));

    // Off the web: a local file is never read.
    fs::remove("data/prog/B050123.TXT");
    m_server.Handle(ArchivePath('B', kJan23).GetString(), [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("file://" + fs::absolute(kLzhDir + "good.lzh").string());
    });
    outcome = Download(kJan23, 1);
    EXPECT_EQ(outcome.end, DownloadEnd::ProgramFailed);
    EXPECT_EQ(outcome.nCode, kFetchInternet);
    EXPECT_FALSE(fs::exists("data/prog/B050123.TXT"));

    // From an https address, an http answer is refused wherever it comes from: here a handle
    // limited as for https follows a plain redirect no further.
    CURL* pCurl = curl_easy_init();
    ASSERT_NE(pCurl, nullptr);
    CURLM* pMulti = curl_multi_init();
    const std::string url = m_server.Url() + "/hop";
    m_server.Handle("/hop", [&other](const httplib::Request&, httplib::Response& res) {
        res.set_redirect(other.Url() + "/anything");
    });
    curl_easy_setopt(pCurl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(pCurl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(pCurl, CURLOPT_NOBODY, 1L);
    LimitRedirects(pCurl, "https://example.invalid/od2/");
    EXPECT_EQ(PerformOn(pMulti, pCurl, nullptr), CURLE_UNSUPPORTED_PROTOCOL);
    LimitRedirects(pCurl, url.c_str());
    EXPECT_EQ(PerformOn(pMulti, pCurl, nullptr), CURLE_OK);
    curl_multi_cleanup(pMulti);
    curl_easy_cleanup(pCurl);
    EXPECT_EQ(other.Paths().back(), "/anything");
}

TEST_F(DownloadTest, OnlyTheDaysOwnFileIsUnpackedWhateverElseTheArchiveHolds)
{
    std::ofstream("data/prog/B050122.TXT", std::ios::binary) << "the good 22nd";
    const std::string mine = ReadBytes(kLzhDir + "B050123.TXT");
    m_server.Serve(ArchivePath('B', kJan23).GetString(),
                   lzhtest::StoredArchive({{"B050122.TXT", "garbage"}, {"b050123.txt", mine}}));
    m_server.Serve(ArchivePath('K', kJan23).GetString(), lzhtest::StoredArchive({{"K050122.TXT", "garbage"}}));
    const CDownloadOutcome outcome = Download(kJan23, 1);
    EXPECT_EQ(ReadBytes("data/prog/B050122.TXT"), "the good 22nd");
    // Written under the name the reader opens, whatever case the archive used.
    EXPECT_EQ(ReadBytes("data/prog/B050123.TXT"), mine);
    EXPECT_FALSE(fs::exists("data/prog/b050123.txt"));
    EXPECT_TRUE(fs::is_empty("data/res"));
    const std::string log = m_log.Log();
    EXPECT_NE(log.find("2005/01/23 書庫の B050122.TXT は解凍しません: この日のファイルではありません\r\n"),
              std::string::npos);
    EXPECT_NE(log.find("2005/01/23 (書庫に K050123.TXT がありません)\r\n"), std::string::npos);
    EXPECT_EQ(SjisToUtf8(DownloadEndMessage(outcome).Str()),
              "ダウンロードできなかった日があります。\n2005/01/23 結果表 (書庫に K050123.TXT がありません)");
}

TEST_F(DownloadTest, DayFilesThatCannotBeWrittenAreNamedWithWhy)
{
    ServeDay(kJan23);
    // A file where the result folder should be, and a file-size limit the program file cannot
    // fit under: both fail for root as well.
    fs::remove_all("data/res");
    std::ofstream("data/res", std::ios::binary) << "not a folder";
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    // The compressed archive is small enough to arrive; its 4 KB day file is not.
    m_server.Serve(ArchivePath('B', kJan23).GetString(), ReadBytes(kLzhDir + "good.lzh"));
    m_server.Serve(ArchivePath('K', kJan23).GetString(), lzhtest::StoredArchive({{"K050123.TXT", "short"}}));
    CDownloadOutcome outcome = Download(kJan23, 1);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);
    EXPECT_EQ(SjisToUtf8(DownloadEndMessage(outcome).Str()), "書き込めなかったファイルがあります。\n"
                                                              "data/prog/B050123.TXT: errno 27: File too large\n"
                                                              "data/res: フォルダではありません");
    EXPECT_NE(m_log.Log().find("2005/01/23 data/res: フォルダではありません\r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists("data/prog/B050123.TXT"));

    // Without the archive library nothing can be unpacked, and the user hears of it.
    fs::remove("data/res");
    fs::create_directory("data/res");
    SetArchiveLibrary("liblha32-missing.so");
    outcome = Download(kJan23, 1);
    SetArchiveLibrary(nullptr);
    EXPECT_EQ(SjisToUtf8(DownloadEndMessage(outcome).Str()),
              "書き込めなかったファイルがあります。\n"
              "data/prog/B050123.TXT: liblha32.so を読み込めないため解凍できません\n"
              "data/res/K050123.TXT: liblha32.so を読み込めないため解凍できません");

    // A folder the user may not write to: the reason is the system's refusal. Root may write
    // anywhere, so this part needs an ordinary user.
    if (geteuid() == 0)
        return;
    fs::permissions("data/prog", fs::perms::owner_read | fs::perms::owner_exec);
    outcome = Download(kJan23, 1);
    fs::permissions("data/prog", fs::perms::owner_all);
    ASSERT_FALSE(outcome.unwritten.empty());
    EXPECT_EQ(SjisToUtf8(outcome.unwritten[0].Str()), "data/prog/B050123.TXT: 書き込みが許可されていません");
}

TEST_F(DownloadTest, TheSystemProxyIsUsedForTheServer)
{
    ServeDay(kJan23);
    const CScopedEnv proxy("http_proxy", m_server.Url().c_str());
    // The placeholder host cannot be resolved: only the proxy can have answered.
    const CDownloadOutcome outcome = DownloadFromServer(kDefaultDataServer, m_log, kJan23, 1);
    EXPECT_EQ(outcome.end, DownloadEnd::Completed);
    EXPECT_EQ(m_server.Paths().size(), 2u);
    EXPECT_TRUE(fs::exists("data/res/K050123.TXT"));
}

TEST_F(DownloadTest, TheServerSettingIsReadWithADefaultAndNeverWritten)
{
    EXPECT_EQ(ReadDataServer(OpenKeluProfile()), kDefaultDataServer);
    EXPECT_FALSE(fs::exists("data/kelu.ini"));
    std::ofstream("data/kelu.ini") << "[URL]\r\nASSEN=x%d\r\nDATA = http://127.0.0.1:8080 \r\n";
    EXPECT_EQ(ReadDataServer(OpenKeluProfile()), "http://127.0.0.1:8080");
    std::ofstream("data/kelu.ini") << "[URL]\r\nDATA=\r\n";
    EXPECT_EQ(ReadDataServer(OpenKeluProfile()), kDefaultDataServer);
    EXPECT_EQ(ReadBytes("data/kelu.ini"), "[URL]\r\nDATA=\r\n");
}
