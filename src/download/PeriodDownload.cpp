#include "download/PeriodDownload.h"

#include "download/DataServer.h"
#include "download/DayArchive.h"
#include "download/Downloader.h"
#include "download/Fetch.h"
#include "download/HttpConnection.h"
#include "download/TransferEngine.h"
#include "platform/Sjis.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The progress is told at most this often; the end of the run is always told.
constexpr milliseconds kStatusInterval(200);

bool IsDayFile(const CString& strPath)
{
    struct stat st{};
    return stat(strPath.GetString(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

struct CDay {
    CTime day;
    CString strDate;    // "2020/01/05", as the log names it
    int nOpen = 0;      // archives not yet done with
    bool bFailed = false;
    CString strWhy[2];  // why the program and the result archive could not be fetched
};

// "2020/01/02 出走表 (Error 404)", "2020/01/02 出走表と結果表 (Error 404)": the day as the end
// message names it, with what went wrong with each of its archives.
CString MissedLine(const CDay& day)
{
    const CString& strProgram = day.strWhy[0];
    const CString& strResult = day.strWhy[1];
    if (!strProgram.IsEmpty() && strProgram == strResult)
        return day.strDate + " " + Sjis(kProgramArchive.pszName) + Sjis("と") + Sjis(kResultArchive.pszName) + " " +
               strProgram;
    CString strLine = day.strDate;
    if (!strProgram.IsEmpty())
        strLine += " " + Sjis(kProgramArchive.pszName) + " " + strProgram;
    if (!strProgram.IsEmpty() && !strResult.IsEmpty())
        strLine += Sjis("、");
    if (!strResult.IsEmpty())
        strLine += (strProgram.IsEmpty() ? " " : "") + Sjis(kResultArchive.pszName) + " " + strResult;
    return strLine;
}

struct CTransfer {
    CDay* pDay = nullptr;
    const CArchiveKind* pKind = nullptr;
    CTransferEngine::CJob job;
};

// One period download: the days, their transfers on the engine, and what the user is told.
class CPeriodRun {
public:
    CPeriodRun(const CString& strServer, const CPeriodRequest& request, IPeriodProgress& progress)
        : m_strServer(NormaliseServer(strServer))
        , m_progress(progress)
        , m_bStop(progress.StopFlag())
        , m_nToday(DayNumber(CTime::GetCurrentTime()))
        , m_engine(std::clamp(request.nConnections, kMinPeriodConnections, kMaxPeriodConnections), kUserAgent,
                   progress.StopFlag())
    {
        PlanDays(request);
    }

    CPeriodOutcome Run()
    {
        m_start = Clock::now();
        Report(true);
        if (!m_engine.IsOpen()) {
            CFetchDetail detail;
            detail.strReason = TransferError(CURLE_FAILED_INIT);
            for (CTransferEngine::CJob* pJob : m_engine.GiveUp())
                Missed(Of(*pJob), FetchFailureText(kFetchInternet, detail));
        }
        CTransferEngine::CHandlers handlers;
        handlers.started = [this](CTransferEngine::CJob& job) { Log(Of(job), Sjis("のダウンロード中...")); };
        handlers.ended = [this](CTransferEngine::CJob& job, int nCode, const CFetchDetail& detail, bool bRetry) {
            Ended(Of(job), nCode, detail, bRetry);
        };
        handlers.tick = [this] { Report(false); };
        m_engine.Run(handlers);
        // Days end in the order their last archive came; the message lists them by date.
        std::stable_sort(m_outcome.lists.missed.begin(), m_outcome.lists.missed.end(),
                         [](const CString& a, const CString& b) { return a.Str() < b.Str(); });
        Report(true);
        m_outcome.bStopped = m_bStop;
        m_outcome.nDays = static_cast<int>(m_days.size());
        return m_outcome;
    }

private:
    static long long DayNumber(const CTime& day)
    {
        using namespace std::chrono;
        return sys_days(year_month_day{year(day.GetYear()), month(static_cast<unsigned>(day.GetMonth())),
                                       std::chrono::day(static_cast<unsigned>(day.GetDay()))})
            .time_since_epoch()
            .count();
    }

    static CTransfer& Of(CTransferEngine::CJob& job) { return *static_cast<CTransfer*>(job.pOwner); }

    // The days, oldest first, compared as day numbers; each day not passed over asks for its
    // program, then its result. A stop is heard while the days are planned too.
    void PlanDays(const CPeriodRequest& request)
    {
        const long long nLast = DayNumber(request.last);
        for (CTime day = request.first; DayNumber(day) <= nLast && !m_bStop; day = day.AddDays(1)) {
            CDay& added = m_days.emplace_back();
            added.day = day;
            added.strDate = day.Format("%Y/%m/%d");
        }
        for (CDay& day : m_days) {
            if (m_bStop)
                return;
            if (request.bSkipPresent && IsDayFile(DayFileOf(kProgramArchive, day.day)) &&
                IsDayFile(DayFileOf(kResultArchive, day.day))) {
                ++m_outcome.nSkipped;
                continue;
            }
            for (const CArchiveKind* pKind : {&kProgramArchive, &kResultArchive}) {
                CTransfer& transfer = m_transfers.emplace_back();
                transfer.pDay = &day;
                transfer.pKind = pKind;
                transfer.job.strUrl = m_strServer + ArchivePath(pKind->chKind, day.day);
                transfer.job.strFile = PeriodWorkFile(pKind->chKind, day.day);
                transfer.job.pOwner = &transfer;
                m_engine.Queue(transfer.job);
                ++day.nOpen;
            }
        }
        if (m_outcome.nSkipped > 0)
            Log(Sjis("番組と結果がそろっている ") + CString::Formatted("%d", m_outcome.nSkipped) +
                Sjis(" 日は飛ばします"));
    }

    void Ended(CTransfer& transfer, int nCode, const CFetchDetail& detail, bool bRetry)
    {
        if (nCode == kFetchDone) {
            Unpack(transfer);
            return;
        }
        const CString strWhy = FetchFailureText(nCode, detail);
        if (bRetry) {
            Log(transfer, Sjis("をダウンロードできません ") + strWhy + Sjis("。2 秒後にもう一度試します"));
            return;
        }
        // Today's result is out only once the day's races are over.
        if (transfer.pKind == &kResultArchive && nCode == 404 && DayNumber(transfer.pDay->day) >= m_nToday) {
            Log(transfer, Sjis("はまだ発表されていません"));
            ArchiveDone(transfer, true);
            return;
        }
        Log(transfer, Sjis("をダウンロードできません ") + strWhy);
        Missed(transfer, strWhy);
        // The server cannot be reached even the second time: the rest is named, not asked for.
        if (detail.bUnreachable && !m_engine.HasGivenUp())
            for (CTransferEngine::CJob* pJob : m_engine.GiveUp())
                Missed(Of(*pJob), strWhy);
    }

    void Unpack(CTransfer& transfer)
    {
        m_nBytesDone += transfer.job.fetch.nBytes;
        Log(transfer, Sjis("の解凍中..."));
        const CDay& day = *transfer.pDay;
        const bool bWritten = UnpackDayArchive(*transfer.pKind, day.day, transfer.job.strFile.GetString(), m_progress,
                                               m_outcome.lists);
        const CString strDay = day.day.Format("%Y%m%d");
        if (m_outcome.changed.empty() || m_outcome.changed.back() != strDay)
            m_outcome.changed.push_back(strDay);
        ArchiveDone(transfer, bWritten);
    }

    void Missed(CTransfer& transfer, const CString& strWhy)
    {
        transfer.pDay->strWhy[transfer.pKind == &kProgramArchive ? 0 : 1] = strWhy;
        ArchiveDone(transfer, false);
    }

    void ArchiveDone(CTransfer& transfer, bool bDone)
    {
        ++m_nArchivesDone;
        CDay& day = *transfer.pDay;
        day.bFailed = day.bFailed || !bDone;
        if (--day.nOpen > 0)
            return;
        ++(day.bFailed ? m_outcome.nFailed : m_outcome.nFetched);
        if (!day.strWhy[0].IsEmpty() || !day.strWhy[1].IsEmpty())
            m_outcome.lists.missed.push_back(MissedLine(day));
        Report(false);
    }

    void Report(bool bForce)
    {
        const Clock::time_point now = Clock::now();
        if (!bForce && now - m_lastReport < kStatusInterval)
            return;
        m_lastReport = now;
        CPeriodStatus status;
        status.nDays = static_cast<int>(m_days.size());
        status.nDaysDone = m_outcome.nFetched + m_outcome.nSkipped + m_outcome.nFailed;
        status.nBytes = m_nBytesDone + m_engine.BytesOpen();
        status.nWaitingSeconds = m_engine.WaitingSeconds();
        const size_t nArchives = m_transfers.size();
        if (m_nArchivesDone > 0 && nArchives > 0) {
            const double dElapsed = std::chrono::duration<double>(now - m_start).count();
            status.nSecondsLeft =
                static_cast<int>(dElapsed * static_cast<double>(nArchives - m_nArchivesDone) / m_nArchivesDone + 0.5);
        }
        m_progress.OnStatus(status);
    }

    void Log(const CString& strText) { m_progress.AppendText(strText + "\r\n"); }
    void Log(const CTransfer& transfer, const CString& strText)
    {
        Log(transfer.pDay->strDate + " " + Sjis(transfer.pKind->pszLogName) + strText);
    }

    CString m_strServer;
    IPeriodProgress& m_progress;
    const std::atomic<bool>& m_bStop;
    long long m_nToday;
    CTransferEngine m_engine;
    // Deques: the transfers point at their day, the engine at the transfers' jobs.
    std::deque<CDay> m_days;
    std::deque<CTransfer> m_transfers;
    size_t m_nArchivesDone = 0;
    long long m_nBytesDone = 0;
    Clock::time_point m_start;
    Clock::time_point m_lastReport;
    CPeriodOutcome m_outcome;
};

} // namespace

CString PeriodWorkFile(char chKind, const CTime& day)
{
    return CString::Formatted("data/period-%d-%c%s.lzh", static_cast<int>(getpid()), chKind,
                              day.Format("%y%m%d").GetString());
}

CPeriodOutcome DownloadPeriod(const CString& strServer, const CPeriodRequest& request, IPeriodProgress& progress)
{
    CPeriodRun run(strServer, request, progress);
    return run.Run();
}
