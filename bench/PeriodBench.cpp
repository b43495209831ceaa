// The period download of a year of days (730 archives) from a server on 127.0.0.1 that answers
// every request 20 ms late, as a distant server would, with 1 and with 4 requests at once,
// against the curl tool fetching the same addresses to /dev/null with the same number at once
// (curl --parallel --parallel-max N). The download also writes each archive to its work file,
// unpacks its day's member and deletes it; the curl tool only receives.
//
// Every day's archives are the published archives of 5 January 2020 with the member renamed
// to the day's file, so that each unpacks as that day. A quick run (benchratio::IsQuickRun)
// fetches 10 days instead; KELU_BENCH_PERIOD_DAYS sets the number of days for any run.

#include "BenchRatio.h"
#include "NoWindow.h"
#include "ServedFolder.h"
#include "TestHttpServer.h"
#include "download/DataServer.h"
#include "download/PeriodDownload.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kYearDays = 365;
constexpr int kQuickDays = 10;
constexpr int kServerDelayMs = 20;
const CTime kFirstDay(2019, 1, 1, 12, 0, 0);

// A level-0 LZH archive with its one member renamed to a name of the same length: the name's
// bytes and the header's checksum (the sum of the header's bytes after its first two). Empty
// when the archive is not laid out so.
std::string RenamedArchive(std::string archive, const std::string& name)
{
    constexpr size_t kNameLengthAt = 21;
    if (archive.size() < kNameLengthAt + 1 || static_cast<unsigned char>(archive[kNameLengthAt]) != name.size())
        return std::string();
    const size_t nHeaderEnd = 2 + static_cast<unsigned char>(archive[0]);
    auto checksum = [&archive, nHeaderEnd] {
        unsigned nSum = 0;
        for (size_t i = 2; i < nHeaderEnd; ++i)
            nSum += static_cast<unsigned char>(archive[i]);
        return static_cast<char>(nSum & 0xFF);
    };
    if (checksum() != archive[1])
        return std::string();
    archive.replace(kNameLengthAt + 1, name.size(), name);
    archive[1] = checksum();
    return archive;
}

int DaysToFetch()
{
    if (const char* psz = std::getenv("KELU_BENCH_PERIOD_DAYS"))
        return std::max(1, std::atoi(psz));
    return benchratio::IsQuickRun() ? kQuickDays : kYearDays;
}

// The server with every day's archives, the working folder the download writes into, and the
// curl tool's list of the same addresses.
class CPeriodBench : public benchdownload::CServedFolder {
public:
    CPeriodBench()
        : CServedFolder("kelu-bench-period")
        , m_nDays(DaysToFetch())
    {
        setenv("no_proxy", "127.0.0.1,localhost", 1);
        const fs::path shared = KELU_SHARED_DATA_DIR;
        const std::string program = testsupport::ReadBytes((shared / "b200105.lzh").string());
        const std::string result = testsupport::ReadBytes((shared / "k200105.lzh").string());
        fs::create_directories("data/prog");
        fs::create_directories("data/res");
        std::ofstream config(m_strConfig);
        for (int n = 0; n < m_nDays; ++n) {
            const CTime day = kFirstDay.AddDays(n);
            for (char chKind : {'B', 'K'}) {
                const std::string name = chKind + std::string(day.Format("%y%m%d").GetString()) + ".TXT";
                const std::string archive = RenamedArchive(chKind == 'B' ? program : result, name);
                if (archive.empty())
                    return;
                const std::string path = ArchivePath(chKind, day).GetString();
                m_server.Serve(path, archive);
                config << "url = \"" << m_server.Url() << path << "\"\noutput = \"/dev/null\"\n";
            }
        }
        m_server.SetDelay(kServerDelayMs);
        m_bReady = config.good();
    }

    int Days() const { return m_nDays; }
    std::string Server() const { return m_server.Url(); }
    const std::string& Config() const { return m_strConfig; }

private:
    int m_nDays;
    std::string m_strConfig = m_folder.Path() + "/curl-urls.txt";
};

const CPeriodBench& Bench()
{
    static const CPeriodBench bench;
    return bench;
}

using benchdownload::CNoWindow;

void BM_PeriodDownload(benchmark::State& state, int nConnections)
{
    if (!Bench().Enter(state))
        return;
    CNoWindow progress;
    CPeriodRequest request;
    request.first = kFirstDay;
    request.last = kFirstDay.AddDays(Bench().Days() - 1);
    // Every round fetches every day again, over the files of the round before.
    request.bSkipPresent = false;
    request.nConnections = nConnections;
    for (auto _ : state) {
        const CPeriodOutcome outcome = DownloadPeriod(Bench().Server().c_str(), request, progress);
        if (outcome.nFetched != Bench().Days())
            state.SkipWithError("the period download missed days");
    }
    state.counters["archives"] = 2.0 * Bench().Days();
}

// The curl tool, as a shell would run it; its exit status is 0 when every transfer went well.
void BM_CurlParallel(benchmark::State& state, int nConnections)
{
    if (!Bench().Enter(state))
        return;
    const std::string max = std::to_string(nConnections);
    std::vector<std::string> args = {"curl", "--parallel", "--parallel-max", max, "--silent", "--show-error",
                                     "--fail", "--config", Bench().Config()};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t pid = 0;
        int nStatus = 0;
        if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0 || waitpid(pid, &nStatus, 0) != pid ||
            !WIFEXITED(nStatus) || WEXITSTATUS(nStatus) != 0) {
            state.SkipWithError("curl is not installed or did not fetch every archive");
            return;
        }
    }
    state.counters["archives"] = 2.0 * Bench().Days();
}

BENCHMARK_CAPTURE(BM_PeriodDownload, connections1, 1)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();
BENCHMARK_CAPTURE(BM_CurlParallel, connections1, 1)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();
BENCHMARK_CAPTURE(BM_PeriodDownload, connections4, 4)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();
BENCHMARK_CAPTURE(BM_CurlParallel, connections4, 4)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();

KELU_RATIO("period download of a year, 1 at once, vs curl --parallel-max 1", "BM_PeriodDownload/connections1",
           "BM_CurlParallel/connections1", 1.3);
KELU_RATIO("period download of a year, 4 at once, vs curl --parallel-max 4", "BM_PeriodDownload/connections4",
           "BM_CurlParallel/connections4", 1.3);

} // namespace
