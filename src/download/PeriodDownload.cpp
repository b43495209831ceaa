#include "download/PeriodDownload.h"

#include "download/DataServer.h"
#include "download/DayArchive.h"
#include "download/Downloader.h"
#include "download/Fetch.h"
#include "download/HttpConnection.h"
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

// The longest the worker waits for the network before it looks at the stop flag again.
constexpr int kPollMilliseconds = 100;
// The progress is told at most this often; the end of the run is always told.
constexpr milliseconds kStatusInterval(200);
constexpr int kTries = 2;

bool IsDayFile(const CString& strPath)
{
    struct stat st{};
    return stat(strPath.GetString(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

// Answers that may well be different when asked again a little later; a 404 or a 403 will not.
bool MayPass(int nCode)
{
    return nCode == kFetchInternet || nCode == 408 || nCode == 429 || nCode >= 500;
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
    CString strWorkFile;
    int nTries = 0;
    Clock::time_point due; // when a second chance may go out
    CURL* pCurl = nullptr;  // while it runs
    CFetch fetch{};
};

// One period download: the days, the transfers, the multi handle and what the user is told.
class CPeriodRun {
public:
    CPeriodRun(const CString& strServer, const CPeriodRequest& request, IPeriodProgress& progress)
        : m_strServer(NormaliseServer(strServer))
        , m_nConnections(std::clamp(request.nConnections, kMinPeriodConnections, kMaxPeriodConnections))
        , m_progress(progress)
        , m_bStop(progress.StopFlag())
        , m_strToday(CTime::GetCurrentTime().Format("%Y%m%d"))
        , m_pMulti(curl_multi_init())
    {
        for (int i = 0; i < m_nConnections; ++i)
            if (CURL* pCurl = curl_easy_init()) {
                SetUpTransfer(pCurl, kUserAgent);
                m_handles.push_back(pCurl);
            }
        m_free = m_handles;
        PlanDays(request);
    }

    ~CPeriodRun()
    {
        for (CTransfer* pTransfer : m_open)
            curl_multi_remove_handle(m_pMulti, pTransfer->pCurl);
        for (CURL* pCurl : m_handles)
            curl_easy_cleanup(pCurl);
        if (m_pMulti)
            curl_multi_cleanup(m_pMulti);
    }

    CPeriodRun(const CPeriodRun&) = delete;
    CPeriodRun& operator=(const CPeriodRun&) = delete;

    CPeriodOutcome Run()
    {
        m_start = Clock::now();
        Report(true);
        if (!m_pMulti || m_handles.empty())
            GiveUp(FetchFailureText(kFetchInternet, {false, TransferError(CURLE_FAILED_INIT)}));
        while (!m_bStop) {
            FillSlots();
            if (m_open.empty() && m_queue.empty() && m_retries.empty())
                break;
            int nRunning = 0;
            curl_multi_perform(m_pMulti, &nRunning);
            ReadDone();
            Report(false);
            if (!m_bStop)
                curl_multi_poll(m_pMulti, nullptr, 0, WaitMilliseconds(), nullptr);
        }
        if (m_bStop)
            Abandon();
        // Days end in the order their last archive came; the message lists them by date.
        std::stable_sort(m_outcome.lists.missed.begin(), m_outcome.lists.missed.end(),
                         [](const CString& a, const CString& b) { return a.Str() < b.Str(); });
        Report(true);
        m_outcome.bStopped = m_bStop;
        m_outcome.nDays = static_cast<int>(m_days.size());
        return m_outcome;
    }

private:
    // The days, oldest first; each day not passed over asks for its program, then its result.
    void PlanDays(const CPeriodRequest& request)
    {
        const CString strLast = request.last.Format("%Y%m%d");
        for (CTime day = request.first; day.Format("%Y%m%d") <= strLast; day = day.AddDays(1)) {
            CDay& added = m_days.emplace_back();
            added.day = day;
            added.strDate = day.Format("%Y/%m/%d");
        }
        for (CDay& day : m_days) {
            if (request.bSkipPresent && IsDayFile(DayFileOf(kProgramArchive, day.day)) &&
                IsDayFile(DayFileOf(kResultArchive, day.day))) {
                ++m_outcome.nSkipped;
                continue;
            }
            for (const CArchiveKind* pKind : {&kProgramArchive, &kResultArchive}) {
                CTransfer& transfer = m_transfers.emplace_back();
                transfer.pDay = &day;
                transfer.pKind = pKind;
                transfer.strWorkFile = PeriodWorkFile(pKind->chKind, day.day);
                m_queue.push_back(&transfer);
                ++day.nOpen;
            }
        }
        if (m_outcome.nSkipped > 0)
            Log(Sjis("番組と結果がそろっている ") + CString::Formatted("%d", m_outcome.nSkipped) +
                Sjis(" 日は飛ばします"));
    }

    // Up to the chosen number of requests open: a second chance that is due first, since its
    // day is older than any not yet asked for. While the server may be out of reach, only the
    // second chance that finds out goes.
    void FillSlots()
    {
        if (m_open.empty() && m_retries.empty())
            m_bInDoubt = false;
        const Clock::time_point now = Clock::now();
        while (static_cast<int>(m_open.size()) < m_nConnections && !m_free.empty()) {
            CTransfer* pNext = nullptr;
            if (!m_retries.empty() && m_retries.front()->due <= now) {
                pNext = m_retries.front();
                m_retries.pop_front();
            } else if (!m_queue.empty() && !m_bInDoubt) {
                pNext = m_queue.front();
                m_queue.pop_front();
            } else {
                break;
            }
            Launch(*pNext);
        }
    }

    void Launch(CTransfer& transfer)
    {
        ++transfer.nTries;
        transfer.pCurl = m_free.back();
        m_free.pop_back();
        transfer.fetch = CFetch{&m_bStop, transfer.pCurl, transfer.strWorkFile.GetString()};
        const CString strUrl = m_strServer + ArchivePath(transfer.pKind->chKind, transfer.pDay->day);
        curl_easy_setopt(transfer.pCurl, CURLOPT_URL, strUrl.GetString());
        curl_easy_setopt(transfer.pCurl, CURLOPT_PRIVATE, &transfer);
        AttachFetch(transfer.fetch);
        Log(transfer, Sjis("のダウンロード中..."));
        if (curl_multi_add_handle(m_pMulti, transfer.pCurl) != CURLM_OK) {
            m_free.push_back(transfer.pCurl);
            transfer.pCurl = nullptr;
            CFetchDetail detail{false, TransferError(CURLE_FAILED_INIT)};
            Failed(transfer, kFetchInternet, detail);
            return;
        }
        m_open.push_back(&transfer);
    }

    void ReadDone()
    {
        int nQueued = 0;
        while (CURLMsg* pMsg = curl_multi_info_read(m_pMulti, &nQueued)) {
            if (pMsg->msg != CURLMSG_DONE)
                continue;
            CURL* pCurl = pMsg->easy_handle;
            const CURLcode rc = pMsg->data.result;
            OnDone(pCurl, rc);
            if (m_bStop)
                return;
        }
    }

    void OnDone(CURL* pCurl, CURLcode rc)
    {
        char* pPrivate = nullptr;
        curl_easy_getinfo(pCurl, CURLINFO_PRIVATE, &pPrivate);
        auto* pTransfer = reinterpret_cast<CTransfer*>(pPrivate);
        curl_multi_remove_handle(m_pMulti, pCurl);
        m_open.erase(std::find(m_open.begin(), m_open.end(), pTransfer));
        m_free.push_back(pCurl);
        pTransfer->pCurl = nullptr;
        CFetchDetail detail;
        const int nCode = FinishFetch(pTransfer->fetch, rc, detail);
        if (nCode == kFetchStopped) {
            std::remove(pTransfer->strWorkFile.GetString());
            return;
        }
        // The next requests go out before this archive is unpacked, so that the server works on
        // them meanwhile.
        FillSlots();
        int nRunning = 0;
        curl_multi_perform(m_pMulti, &nRunning);
        if (nCode == kFetchDone)
            Unpack(*pTransfer);
        else
            Failed(*pTransfer, nCode, detail);
    }

    void Unpack(CTransfer& transfer)
    {
        m_nBytesDone += transfer.fetch.nBytes;
        m_bInDoubt = false;
        Log(transfer, Sjis("の解凍中..."));
        const CDay& day = *transfer.pDay;
        const bool bWritten =
            UnpackDayArchive(*transfer.pKind, day.day, transfer.strWorkFile.GetString(), m_progress, m_outcome.lists);
        const CString strDay = day.day.Format("%Y%m%d");
        if (m_outcome.changed.empty() || m_outcome.changed.back() != strDay)
            m_outcome.changed.push_back(strDay);
        ArchiveDone(transfer, bWritten);
    }

    void Failed(CTransfer& transfer, int nCode, const CFetchDetail& detail)
    {
        // A transfer cut short, or refused on the way, leaves nothing behind.
        std::remove(transfer.strWorkFile.GetString());
        const CString strWhy = FetchFailureText(nCode, detail);
        if (!detail.bUnreachable && nCode != kFetchInternet)
            m_bInDoubt = false;
        if (MayPass(nCode) && transfer.nTries < kTries && !m_bGivenUp) {
            m_bInDoubt = m_bInDoubt || detail.bUnreachable;
            Log(transfer, Sjis("をダウンロードできません ") + strWhy + Sjis("。2 秒後にもう一度試します"));
            transfer.due = Clock::now() + milliseconds(kPeriodRetryMilliseconds);
            m_retries.push_back(&transfer);
            return;
        }
        // Today's result is out only once the day's races are over.
        if (transfer.pKind == &kResultArchive && nCode == 404 && transfer.pDay->day.Format("%Y%m%d") >= m_strToday) {
            Log(transfer, Sjis("はまだ発表されていません"));
            ArchiveDone(transfer, true);
            return;
        }
        Log(transfer, Sjis("をダウンロードできません ") + strWhy);
        Missed(transfer, strWhy);
        if (detail.bUnreachable)
            GiveUp(strWhy);
    }

    // The server cannot be reached even the second time: the rest is named, not asked for.
    void GiveUp(const CString& strWhy)
    {
        m_bGivenUp = true;
        std::deque<CTransfer*> rest;
        rest.swap(m_retries);
        rest.insert(rest.end(), m_queue.begin(), m_queue.end());
        m_queue.clear();
        for (CTransfer* pTransfer : rest)
            Missed(*pTransfer, strWhy);
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

    // The user stopped: what runs is dropped, its work files deleted; nothing more is asked for.
    void Abandon()
    {
        for (CTransfer* pTransfer : m_open) {
            curl_multi_remove_handle(m_pMulti, pTransfer->pCurl);
            CFetchDetail detail;
            FinishFetch(pTransfer->fetch, CURLE_ABORTED_BY_CALLBACK, detail);
            std::remove(pTransfer->strWorkFile.GetString());
            m_free.push_back(pTransfer->pCurl);
            pTransfer->pCurl = nullptr;
        }
        m_open.clear();
        m_queue.clear();
        m_retries.clear();
    }

    // Until the network has something, the next second chance is due, or a tenth of a second
    // has passed for a look at the stop flag.
    int WaitMilliseconds() const
    {
        int nWait = kPollMilliseconds;
        if (!m_retries.empty()) {
            const auto untilDue =
                std::chrono::duration_cast<milliseconds>(m_retries.front()->due - Clock::now()).count();
            nWait = static_cast<int>(std::clamp<long long>(untilDue, 0, nWait));
        }
        return nWait;
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
        status.nBytes = m_nBytesDone;
        for (const CTransfer* pTransfer : m_open)
            status.nBytes += pTransfer->fetch.nBytes;
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
    int m_nConnections;
    IPeriodProgress& m_progress;
    const std::atomic<bool>& m_bStop;
    CString m_strToday;
    CURLM* m_pMulti;
    std::vector<CURL*> m_handles;
    std::vector<CURL*> m_free;
    // Deques: the transfers point at their day, the lists and libcurl at the transfers.
    std::deque<CDay> m_days;
    std::deque<CTransfer> m_transfers;
    std::deque<CTransfer*> m_queue;   // not yet asked for, oldest first
    std::deque<CTransfer*> m_retries; // waiting for their second chance, in the order they are due
    std::vector<CTransfer*> m_open;
    bool m_bInDoubt = false;          // the last failure never reached the server
    bool m_bGivenUp = false;
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
