// Start-up time and peak memory of the real program against a bare window, measured from
// outside: each driver is started as a process of its own, alternately, in one working folder
// that holds a published day under today's name (so that Kelu loads a real day at start, as
// on a race day). The time runs from the start of the process until it reports its first
// paint; the memory is the peak resident size the system accounts the process.
//
// usage: kelu_startbench [--runs N] [--label TEXT] [--rows FILE]
// The drivers are found beside this program. --rows appends the rows of the benchmark table.

#include "BenchTable.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kProbeFd = 3;
constexpr int kTimeoutMs = 30000;

struct CRun {
    bool bOk = false;
    double dMs = 0;    // from the start of the process to its first paint
    double dPeakMb = 0; // peak resident size
};

// Starts argv in dir with the probe's pipe on descriptor 3, waits for its byte and its end.
CRun RunOnce(const std::vector<std::string>& args, const fs::path& dir)
{
    CRun run;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], kProbeFd);
    // Qt's warnings of every start would bury the table; a start that fails is told below.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    std::vector<char*> argv;
    for (const std::string& s : args)
        argv.push_back(const_cast<char*>(s.c_str()));
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int nErr = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (nErr != 0) {
        close(fds[0]);
        std::fprintf(stderr, "kelu_startbench: cannot start %s: %s\n", argv[0], std::strerror(nErr));
        return run;
    }
    pollfd pfd{fds[0], POLLIN, 0};
    char c = 0;
    const bool bPainted = poll(&pfd, 1, kTimeoutMs) == 1 && read(fds[0], &c, 1) == 1;
    const auto end = std::chrono::steady_clock::now();
    close(fds[0]);
    if (!bPainted)
        kill(pid, SIGKILL);
    int nStatus = 0;
    rusage usage{};
    while (wait4(pid, &nStatus, 0, &usage) < 0 && errno == EINTR) {
    }
    run.bOk = bPainted && WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0;
    run.dMs = std::chrono::duration<double, std::milli>(end - start).count();
    run.dPeakMb = usage.ru_maxrss / 1024.0;
    if (!run.bOk)
        std::fprintf(stderr, "kelu_startbench: %s did not report its paint\n", argv[0]);
    return run;
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The published day of 5 January 2020 under today's names, when the shared data is here.
void PutTodaysDay(const fs::path& dir)
{
    const fs::path shared(KELU_SHARED_DATA_DIR);
    std::error_code ec;
    fs::create_directories(dir / "data/prog", ec);
    fs::create_directories(dir / "data/res", ec);
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char szDay[32];
    std::snprintf(szDay, sizeof szDay, "%02d%02d%02d", tm.tm_year % 100, tm.tm_mon + 1, tm.tm_mday);
    fs::copy_file(shared / "B200105.TXT", dir / "data/prog" / (std::string("B") + szDay + ".TXT"), ec);
    fs::copy_file(shared / "K200105.TXT", dir / "data/res" / (std::string("K") + szDay + ".TXT"), ec);
}

// Runs the measured and the baseline command alternately, nRuns times each after one
// unmeasured start of each (which fills the caches the later starts find full).
bool Alternate(const std::vector<std::string>& measured, const std::vector<std::string>& baseline,
               const fs::path& dir, int nRuns, std::vector<CRun>& a, std::vector<CRun>& b)
{
    if (!RunOnce(measured, dir).bOk || !RunOnce(baseline, dir).bOk)
        return false;
    for (int i = 0; i < nRuns; ++i) {
        // ABBA: a slow drift of the machine weighs on both sides alike.
        const bool bFirst = i % 2 == 0;
        CRun r1 = RunOnce(bFirst ? measured : baseline, dir);
        CRun r2 = RunOnce(bFirst ? baseline : measured, dir);
        if (!r1.bOk || !r2.bOk)
            return false;
        a.push_back(bFirst ? r1 : r2);
        b.push_back(bFirst ? r2 : r1);
    }
    return true;
}

std::vector<double> Pick(const std::vector<CRun>& runs, double CRun::*pField)
{
    std::vector<double> v;
    for (const CRun& r : runs)
        v.push_back(r.*pField);
    return v;
}

} // namespace

int main(int argc, char** argv)
{
    int nRuns = 15;
    std::string strLabel;
    std::string strRows;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--runs") == 0)
            nRuns = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--label") == 0)
            strLabel = argv[i + 1];
        else if (std::strcmp(argv[i], "--rows") == 0)
            strRows = argv[i + 1];
    }
    setenv("KELU_PROBE_FD", std::to_string(kProbeFd).c_str(), 1);
    const fs::path self = fs::canonical("/proc/self/exe").parent_path();
    const std::string strKelu = (self / "kelu_start_kelu").string();
    const std::string strEmpty = (self / "kelu_start_empty").string();

    std::string strDir = (fs::temp_directory_path() / "kelu-startbench-XXXXXX").string();
    if (!mkdtemp(strDir.data())) {
        std::perror("kelu_startbench");
        return 1;
    }
    const fs::path dir(strDir);
    PutTodaysDay(dir);

    std::vector<CRun> kelu, empty, keluRace, emptyRace;
    const bool bOk = Alternate({strKelu}, {strEmpty}, dir, nRuns, kelu, empty) &&
                     Alternate({strKelu, "--race"}, {strEmpty}, dir, nRuns, keluRace, emptyRace);
    std::error_code ec;
    fs::remove_all(dir, ec);
    if (!bOk)
        return 1;

    const std::string strSuffix = strLabel.empty() ? std::string() : " (" + strLabel + ")";
    std::vector<benchtable::CRow> rows;
    rows.push_back({"start-up to first paint vs a bare window" + strSuffix, Median(Pick(kelu, &CRun::dMs)),
                    Median(Pick(empty, &CRun::dMs)), "ms", 1.2, 0});
    rows.push_back({"peak memory, a race shown vs a bare window" + strSuffix,
                    Median(Pick(keluRace, &CRun::dPeakMb)), Median(Pick(emptyRace, &CRun::dPeakMb)), "MB", 1.25, 0});
    benchtable::PrintTable(rows, stdout);
    if (!strRows.empty() && !benchtable::AppendRows(strRows, rows)) {
        std::fprintf(stderr, "kelu_startbench: cannot write %s\n", strRows.c_str());
        return 1;
    }
    return 0;
}
