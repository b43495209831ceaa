// The day and week download against a real HTTP server on 127.0.0.1, with a progress log that
// records what the dialog would show and can stop the download from inside a turn of the loop.

#include "TestDir.h"
#include "TestHttpServer.h"
#include "app/Startup.h"
#include "download/DataServer.h"
#include "download/Downloader.h"
#include "download/HttpConnection.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>

namespace fs = std::filesystem;
using testsupport::CTestHttpServer;
using testsupport::ReadBytes;

namespace {

const std::string kLzhDir = std::string(KELU_TEST_DATA_DIR) + "/lzh/";
const CTime kJan23(2005, 1, 23, 12, 0, 0);

class CProgressLog : public IDownloadProgress {
public:
    void AppendText(const CString& strText) override { m_strLog += SjisToUtf8(strText.Str()); }
    bool IsCancelled() const override { return m_bCancelled; }
    void PumpOneMessage() override
    {
        ++m_nPumps;
        if (m_onPump)
            m_onPump(*this);
    }

    std::string m_strLog;
    bool m_bCancelled = false;
    int m_nPumps = 0;
    std::function<void(CProgressLog&)> m_onPump;
};

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

    // Both archives of the day: the test's good program and result archives.
    void ServeDay(const CTime& day)
    {
        m_server.Serve(ArchivePath('B', day).GetString(), ReadBytes(kLzhDir + "good.lzh"));
        m_server.Serve(ArchivePath('K', day).GetString(), ReadBytes(kLzhDir + "kgood.lzh"));
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
    EXPECT_FALSE(fs::exists("temp.lzh"));
    EXPECT_EQ(m_log.m_strLog, "2005/01/23 番組表のダウンロード中...\r\n"
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
    EXPECT_EQ(DownloadFromServer(server.c_str(), m_log, march1, 7).end, DownloadEnd::Completed);
    std::vector<std::string> expected;
    for (const char* day : {"0223", "0224", "0225", "0226", "0227", "0228"})
        for (const char* kind : {"B/200502/b05", "K/200502/k05"})
            expected.push_back(std::string("/od2/") + kind + day + ".lzh");
    expected.push_back("/od2/B/200503/b050301.lzh");
    expected.push_back("/od2/K/200503/k050301.lzh");
    EXPECT_EQ(m_server.Paths(), expected);
    const std::string first = "2005/02/23 番組表のダウンロード中...\r\n";
    EXPECT_EQ(m_log.m_strLog.substr(0, first.size()), first);

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

TEST_F(DownloadTest, AMissingProgramArchiveEndsWithItsStatusAMissingResultSilently)
{
    CDownloadOutcome outcome = Download(kJan23, 1);
    EXPECT_EQ(outcome.end, DownloadEnd::ProgramFailed);
    EXPECT_EQ(outcome.nCode, 404);
    EXPECT_EQ(m_server.Paths().size(), 1u);
    EXPECT_FALSE(fs::exists("temp.lzh"));
    EXPECT_EQ(SjisToUtf8(ProgramErrorText(404).Str()), "出走表がダウンロードできません。\n(Error 404)");
    EXPECT_EQ(SjisToUtf8(DownloadCaption().Str()), "ダウンロード");

    // The week's first day has no result yet: its program is unpacked and nothing follows.
    const CTime day = kJan23.AddDays(-6);
    m_server.Serve(ArchivePath('B', day).GetString(), ReadBytes(kLzhDir + "good.lzh"));
    outcome = Download(kJan23, 7);
    EXPECT_EQ(outcome.end, DownloadEnd::ResultFailed);
    EXPECT_EQ(outcome.nCode, 404);
    EXPECT_EQ(m_server.Paths().size(), 3u);
    EXPECT_TRUE(fs::exists("data/prog/B050123.TXT"));
}

TEST_F(DownloadTest, BlocksOfAtMost512BytesGoToTheFileEachFollowedByATurnOfTheLoop)
{
    const std::string body = RandomBytes(20000);
    m_server.Serve("/a.lzh", body);
    long long nLast = 0;
    long long nLargestStep = 0;
    m_log.m_onPump = [&](CProgressLog&) {
        const long long n = std::max(0LL, FileSize("temp.lzh"));
        nLargestStep = std::max(nLargestStep, n - nLast);
        nLast = n;
    };
    CHttpConnection connection(m_server.Url().c_str(), kUserAgent);
    EXPECT_EQ(FetchFile(connection, m_log, "/a.lzh"), kFetchDone);
    EXPECT_EQ(ReadBytes("temp.lzh"), body);
    EXPECT_EQ(nLargestStep, 512);
    EXPECT_GE(m_log.m_nPumps, 40);
}

TEST_F(DownloadTest, BrokenTransfersAreInternetErrorsAndNeverUnpacked)
{
    std::ofstream("data/prog/B050123.TXT", std::ios::binary) << "the good day file";
    m_server.ServeCut(ArchivePath('B', kJan23).GetString(), ReadBytes(kLzhDir + "good.lzh"));
    CDownloadOutcome outcome = Download(kJan23, 1);
    EXPECT_EQ(outcome.end, DownloadEnd::ProgramFailed);
    EXPECT_EQ(outcome.nCode, kFetchInternet);
    EXPECT_EQ(ReadBytes("data/prog/B050123.TXT"), "the good day file");

    // Nobody listening; a protocol that is not the web's.
    const int nClosedPort = [] { CTestHttpServer gone; return gone.Port(); }();
    const std::string closed = "http://127.0.0.1:" + std::to_string(nClosedPort);
    EXPECT_EQ(DownloadFromServer(closed.c_str(), m_log, kJan23, 1).nCode, kFetchInternet);
    const std::string ftp = "ftp://127.0.0.1:" + std::to_string(m_server.Port());
    EXPECT_EQ(DownloadFromServer(ftp.c_str(), m_log, kJan23, 1).nCode, kFetchInternet);

    // "temp.lzh" that cannot be made is reported like any internet error of a program archive.
    ServeDay(kJan23);
    fs::remove("temp.lzh");
    fs::create_directory("temp.lzh");
    outcome = Download(kJan23, 1);
    EXPECT_EQ(outcome.end, DownloadEnd::ProgramFailed);
    EXPECT_EQ(outcome.nCode, kFetchInternet);
    EXPECT_EQ(ReadBytes("data/prog/B050123.TXT"), "the good day file");
}

TEST_F(DownloadTest, ASilentServerCanBeStoppedAndIsGivenUpAfterTheLowSpeedTime)
{
    m_server.ServeStalled("/stall.lzh", RandomBytes(4096));
    CHttpConnection connection(m_server.Url().c_str(), kUserAgent);
    // Stopped from a turn of the loop that comes while the server says nothing: a few turns
    // after the one that followed the first block.
    int nFirstBlock = 0;
    m_log.m_onPump = [&nFirstBlock](CProgressLog& log) {
        if (FileSize("temp.lzh") == 512 && nFirstBlock == 0)
            nFirstBlock = log.m_nPumps;
        if (nFirstBlock != 0 && log.m_nPumps >= nFirstBlock + 3)
            log.m_bCancelled = true;
    };
    EXPECT_EQ(FetchFile(connection, m_log, "/stall.lzh"), kFetchStopped);
    EXPECT_FALSE(m_server.StallReleased());

    m_log = CProgressLog();
    connection.SetTimeouts(5, 1);
    EXPECT_EQ(FetchFile(connection, m_log, "/stall.lzh"), kFetchInternet);
    EXPECT_FALSE(m_server.StallReleased());
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
