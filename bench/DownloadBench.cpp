// The download's two costs against what the libraries under it need for the same work, with
// the two real archives of 5 January 2020:
//  - unpacking: ExtractArchive (loading liblha32.so, unpacking, writing the day files through
//    their temporary names) against libarchive reading the same archives into memory, for a
//    day not yet on disk and for one whose files are replaced (where the file system flushes
//    each new file before it takes the old one's place);
//  - the transfer: FetchFile of both archives into the work file in 512-byte blocks from a server
//    on 127.0.0.1, against one libcurl handle fetching the two files into memory;
//  - the whole day: a one-day download (fetching, unpacking over the day files of the previous
//    round, deleting) against the same fetch into memory, and against that fetch followed by
//    libarchive decoding the archives in memory. The unpacking and the writing of the day files
//    are work the fetch alone does not do, so only the second baseline does the same work.

#include "BenchRatio.h"
#include "NoWindow.h"
#include "ServedFolder.h"
#include "TestHttpServer.h"
#include "download/Archive.h"
#include "download/Downloader.h"
#include "download/InternetSession.h"
#include "download/HttpConnection.h"

#include <archive.h>
#include <archive_entry.h>
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const CTime kDay(2020, 1, 5, 12, 0, 0);
const char* const kArchives[] = {"b200105.lzh", "k200105.lzh"};

// A temporary working folder with the two archives and the data folders, and a server that
// serves the archives at their paths.
class CDownloadBench : public benchdownload::CServedFolder {
public:
    CDownloadBench()
        : CServedFolder("kelu-bench-dl")
    {
        const std::string& m_strDir = m_folder.Path();
        fs::create_directories(m_strDir + "/data/prog");
        fs::create_directories(m_strDir + "/data/res");
        const fs::path shared = KELU_SHARED_DATA_DIR;
        m_bReady = fs::exists(shared / kArchives[0]) && fs::exists(shared / kArchives[1]);
        if (!m_bReady)
            return;
        for (const char* name : kArchives) {
            fs::copy_file(shared / name, fs::path(m_strDir) / name);
            m_bodies.push_back(testsupport::ReadBytes((shared / name).string()));
        }
        m_server.Serve(ArchivePath('B', kDay).GetString(), m_bodies[0]);
        m_server.Serve(ArchivePath('K', kDay).GetString(), m_bodies[1]);
    }
    const std::string& Body(int i) const { return m_bodies[static_cast<size_t>(i)]; }
    std::string Url(int i) const { return m_server.Url() + ArchivePath(i == 0 ? 'B' : 'K', kDay).GetString(); }
    std::string Server() const { return m_server.Url(); }

private:
    std::vector<std::string> m_bodies;
};

const CDownloadBench& Bench()
{
    static const CDownloadBench bench;
    return bench;
}

using benchdownload::CNoWindow;

size_t AppendBody(char* p, size_t, size_t n, void* pUser)
{
    static_cast<std::string*>(pUser)->append(p, n);
    return n;
}

// The first member of an archive held in memory, decoded.
std::string DecodeInMemory(const std::string& archive)
{
    struct archive* a = archive_read_new();
    archive_read_support_format_lha(a);
    std::string out;
    archive_entry* pEntry = nullptr;
    if (archive_read_open_memory(a, archive.data(), archive.size()) == ARCHIVE_OK &&
        archive_read_next_header(a, &pEntry) == ARCHIVE_OK) {
        out.resize(static_cast<size_t>(archive_entry_size(pEntry)));
        archive_read_data(a, out.data(), out.size());
    }
    archive_read_free(a);
    return out;
}

void BM_ExtractArchiveDay(benchmark::State& state)
{
    if (!Bench().Enter(state))
        return;
    for (auto _ : state) {
        const int b = ExtractArchive("efw=data\\prog b200105.lzh B200105.TXT").nCode;
        const int k = ExtractArchive("efw=data\\res k200105.lzh K200105.TXT").nCode;
        if (b != 0 || k != 0)
            state.SkipWithError("the archives did not unpack");
    }
}
BENCHMARK(BM_ExtractArchiveDay);

// The first download of a day: no day file to replace.
void BM_ExtractArchiveNewDay(benchmark::State& state)
{
    if (!Bench().Enter(state))
        return;
    for (auto _ : state) {
        state.PauseTiming();
        std::remove("data/prog/B200105.TXT");
        std::remove("data/res/K200105.TXT");
        state.ResumeTiming();
        const int b = ExtractArchive("efw=data\\prog b200105.lzh B200105.TXT").nCode;
        const int k = ExtractArchive("efw=data\\res k200105.lzh K200105.TXT").nCode;
        if (b != 0 || k != 0)
            state.SkipWithError("the archives did not unpack");
    }
}
BENCHMARK(BM_ExtractArchiveNewDay);

void BM_LibarchiveDayToMemory(benchmark::State& state)
{
    if (!Bench().Enter(state))
        return;
    for (auto _ : state) {
        for (const char* name : kArchives) {
            struct archive* a = archive_read_new();
            archive_read_support_format_lha(a);
            archive_entry* pEntry = nullptr;
            std::string out;
            if (archive_read_open_filename(a, name, 64 * 1024) == ARCHIVE_OK &&
                archive_read_next_header(a, &pEntry) == ARCHIVE_OK) {
                out.resize(static_cast<size_t>(archive_entry_size(pEntry)));
                archive_read_data(a, out.data(), out.size());
            }
            archive_read_free(a);
            benchmark::DoNotOptimize(out.data());
        }
    }
}
BENCHMARK(BM_LibarchiveDayToMemory);

void BM_DownloadDay(benchmark::State& state)
{
    if (!Bench().Enter(state))
        return;
    CNoWindow progress;
    for (auto _ : state) {
        const CDownloadOutcome outcome = DownloadFromServer(Bench().Server().c_str(), progress, kDay, 1);
        if (outcome.end != DownloadEnd::Completed)
            state.SkipWithError("the download failed");
    }
}
BENCHMARK(BM_DownloadDay)->UseRealTime();

// The transfer alone: both archives through FetchFile into the work file, one connection.
void BM_FetchDay(benchmark::State& state)
{
    if (!Bench().Enter(state))
        return;
    CNoWindow progress;
    for (auto _ : state) {
        const CInternetSession session(kUserAgent);
        const auto pConnection = session.GetHttpConnection(Bench().Server().c_str());
        for (char chKind : {'B', 'K'})
            if (FetchFile(*pConnection, progress.StopFlag(), ArchivePath(chKind, kDay), DayWorkFile().GetString()) != kFetchDone)
                state.SkipWithError("the fetch failed");
    }
}
BENCHMARK(BM_FetchDay)->UseRealTime();

// Both files with one handle, as the download uses one per command.
void FetchDay(std::string bodies[2])
{
    CURL* pCurl = curl_easy_init();
    for (int i = 0; i < 2; ++i) {
        const std::string url = Bench().Url(i);
        curl_easy_setopt(pCurl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(pCurl, CURLOPT_WRITEFUNCTION, &AppendBody);
        curl_easy_setopt(pCurl, CURLOPT_WRITEDATA, &bodies[i]);
        curl_easy_perform(pCurl);
    }
    curl_easy_cleanup(pCurl);
}

void BM_CurlDayToMemory(benchmark::State& state)
{
    if (!Bench().Enter(state))
        return;
    for (auto _ : state) {
        std::string bodies[2];
        FetchDay(bodies);
        if (bodies[0] != Bench().Body(0))
            state.SkipWithError("the fetch failed");
    }
}
BENCHMARK(BM_CurlDayToMemory)->UseRealTime();

void BM_CurlAndDecodeDayInMemory(benchmark::State& state)
{
    if (!Bench().Enter(state))
        return;
    for (auto _ : state) {
        std::string bodies[2];
        FetchDay(bodies);
        for (const std::string& body : bodies) {
            const std::string text = DecodeInMemory(body);
            benchmark::DoNotOptimize(text.data());
        }
    }
}
BENCHMARK(BM_CurlAndDecodeDayInMemory)->UseRealTime();

KELU_RATIO("ExtractArchive of a new day vs libarchive into memory", "BM_ExtractArchiveNewDay", "BM_LibarchiveDayToMemory", 1.5);
KELU_RATIO("ExtractArchive replacing a day vs libarchive into memory", "BM_ExtractArchiveDay", "BM_LibarchiveDayToMemory", 1.5);
KELU_RATIO("fetching a day's archives vs fetching them into memory", "BM_FetchDay", "BM_CurlDayToMemory");
KELU_RATIO("download of a day vs fetching it into memory", "BM_DownloadDay", "BM_CurlDayToMemory", 1.5);
KELU_RATIO("download of a day vs fetching and decoding it in memory", "BM_DownloadDay", "BM_CurlAndDecodeDayInMemory");

} // namespace
