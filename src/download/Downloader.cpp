#include "download/Downloader.h"

#include "download/DayArchive.h"
#include "download/Fetch.h"
#include "download/HttpConnection.h"
#include "download/TransferEngine.h"
#include "platform/Sjis.h"

#include <unistd.h>

#include <cstdio>
#include <vector>

namespace {

// One day or week download: the days oldest first, for each the program archive and then,
// once it is in, the result archive, one at a time on the engine's one connection. An archive
// that does not come is named at the end and the week goes on, unless the server is out of
// reach.
class CDayDownload {
public:
    CDayDownload(const CString& strServer, IDownloadProgress& progress, const CTime& dateShown, int nDays)
        : m_strServer(NormaliseServer(strServer))
        , m_progress(progress)
        , m_engine(1, kUserAgent, progress.StopFlag())
        , m_strWorkFile(DayWorkFile())
    {
        // Calendar days: 86,400-second steps would give the wrong date across a change of the clocks.
        for (int nBack = nDays - 1; nBack >= 0; --nBack)
            m_days.push_back(dateShown.AddDays(-nBack));
    }

    CDownloadOutcome Run()
    {
        if (!m_engine.IsOpen())
            return End(DownloadEnd::ProgramFailed, kFetchInternet);
        Ask(0, kProgramArchive);
        CTransferEngine::CHandlers handlers;
        handlers.started = [this](CTransferEngine::CJob&) {
            ShowWaiting(0);
            Log(Sjis(m_pKind->pszLogName) + Sjis("のダウンロード中..."));
        };
        handlers.ended = [this](CTransferEngine::CJob& job, int nCode, const CFetchDetail& detail, bool bRetry) {
            ShowWaiting(0);
            Ended(job, nCode, detail, bRetry);
        };
        // A silent server is told of after a second or two, not only when the time-out ends it.
        handlers.tick = [this] { ShowWaiting(m_engine.WaitingSeconds()); };
        const bool bDone = m_engine.Run(handlers);
        if (!bDone || m_progress.IsCancelled())
            return End(DownloadEnd::Stopped, kFetchStopped);
        return End(m_end, m_nCode);
    }

private:
    void ShowWaiting(int nSeconds)
    {
        if (nSeconds == m_nWaitShown)
            return;
        m_nWaitShown = nSeconds;
        m_progress.OnWaiting(nSeconds);
    }

    void Ask(size_t nDay, const CArchiveKind& kind)
    {
        m_nDay = nDay;
        m_pKind = &kind;
        m_job = CTransferEngine::CJob();
        m_job.strUrl = m_strServer + ArchivePath(kind.chKind, m_days[nDay]);
        m_job.strFile = m_strWorkFile;
        m_engine.Queue(m_job);
    }

    void Ended(CTransferEngine::CJob&, int nCode, const CFetchDetail& detail, bool bRetry)
    {
        const CArchiveKind& kind = *m_pKind;
        if (nCode == kFetchDone) {
            Log(Sjis(kind.pszLogName) + Sjis("の解凍中..."));
            UnpackDayArchive(kind, m_days[m_nDay], m_strWorkFile.GetString(), m_progress, m_outcome);
            std::remove(m_strWorkFile.GetString());
            if (m_progress.IsCancelled())
                return;
            if (&kind == &kProgramArchive)
                Ask(m_nDay, kResultArchive);
            else
                Next();
            return;
        }
        const CString strWhy = FetchFailureText(nCode, detail);
        if (bRetry) {
            Log(Sjis(kind.pszLogName) + Sjis("をダウンロードできません ") + strWhy + Sjis("。2 秒後にもう一度試します"));
            return;
        }
        Log(Sjis(kind.pszLogName) + Sjis("をダウンロードできません ") + strWhy);
        const bool bShownDay = m_nDay + 1 == m_days.size();
        // One day's missing program ends it with its status; the shown day's results may not be
        // out yet, and its missing result needs no word.
        if (m_days.size() == 1 && &kind == &kProgramArchive) {
            m_end = DownloadEnd::ProgramFailed;
            m_nCode = nCode;
            m_outcome.strReason = detail.strReason;
            return;
        }
        if (bShownDay && &kind == &kResultArchive) {
            m_end = DownloadEnd::ResultFailed;
            m_nCode = nCode;
            return;
        }
        // A result without its program is never read: the day is passed over whole.
        m_outcome.missed.push_back(m_days[m_nDay].Format("%Y/%m/%d") + " " + Sjis(kind.pszName) + " " + strWhy);
        if (detail.bUnreachable) {
            for (size_t n = m_nDay + 1; n < m_days.size(); ++n)
                m_outcome.missed.push_back(m_days[n].Format("%Y/%m/%d") + " " + Sjis(kProgramArchive.pszName) + " " +
                                           strWhy);
            return;
        }
        Next();
    }

    void Next()
    {
        if (m_nDay + 1 < m_days.size())
            Ask(m_nDay + 1, kProgramArchive);
    }

    void Log(const CString& strText)
    {
        m_progress.AppendText(m_days[m_nDay].Format("%Y/%m/%d") + " " + strText + "\r\n");
    }

    CDownloadOutcome End(DownloadEnd end, int nCode)
    {
        std::remove(m_strWorkFile.GetString());
        m_outcome.end = end;
        m_outcome.nCode = nCode;
        return m_outcome;
    }

    CString m_strServer;
    IDownloadProgress& m_progress;
    CTransferEngine m_engine;
    CString m_strWorkFile;
    std::vector<CTime> m_days;
    size_t m_nDay = 0;
    const CArchiveKind* m_pKind = nullptr;
    CTransferEngine::CJob m_job;
    CDownloadOutcome m_outcome;
    DownloadEnd m_end = DownloadEnd::Completed;
    int m_nCode = 0;
    int m_nWaitShown = 0;
};

} // namespace

CString DayWorkFile()
{
    return CString::Formatted("temp-%d.lzh", static_cast<int>(getpid()));
}

int FetchFile(CHttpConnection& connection, const std::atomic<bool>& bStop, const CString& strPath, const char* pszFile,
              CFetchDetail* pDetail)
{
    CFetchDetail ignored;
    CFetchDetail& detail = pDetail ? *pDetail : ignored;
    CURL* pCurl = connection.Handle();
    if (!pCurl || !connection.IsOpen()) {
        detail.strReason = TransferError(CURLE_FAILED_INIT);
        return kFetchInternet;
    }
    CFetch fetch{&bStop, pCurl, pszFile};
    const CString strUrl = connection.UrlOf(strPath);
    curl_easy_setopt(pCurl, CURLOPT_URL, strUrl.GetString());
    AttachFetch(fetch);
    const CURLcode rc = connection.Perform(&bStop);
    return FinishFetch(fetch, rc, detail);
}

namespace {

size_t DiscardBody(char*, size_t, size_t nBytes, void*)
{
    return nBytes;
}

} // namespace

int ProbeServer(const CString& strServer, const CString& strPath, const std::atomic<bool>& bStop,
                CString& strReason)
{
    constexpr long kProbeSeconds = 10;
    CHttpConnection connection(strServer, kUserAgent);
    CURL* pCurl = connection.Handle();
    if (!connection.IsOpen()) {
        strReason = TransferError(CURLE_FAILED_INIT);
        return kFetchInternet;
    }
    connection.SetTimeouts(kProbeSeconds, kProbeSeconds);
    const CString strUrl = connection.UrlOf(strPath);
    curl_easy_setopt(pCurl, CURLOPT_URL, strUrl.GetString());
    curl_easy_setopt(pCurl, CURLOPT_TIMEOUT, kProbeSeconds);
    curl_easy_setopt(pCurl, CURLOPT_WRITEFUNCTION, &DiscardBody);
    curl_easy_setopt(pCurl, CURLOPT_NOBODY, 1L);
    CURLcode rc = connection.Perform(&bStop);
    long nStatus = 0;
    curl_easy_getinfo(pCurl, CURLINFO_RESPONSE_CODE, &nStatus);
    // A server that does not know HEAD is asked for the archive's first byte instead.
    if (!bStop && rc == CURLE_OK && (nStatus == 405 || nStatus == 501)) {
        curl_easy_setopt(pCurl, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(pCurl, CURLOPT_RANGE, "0-0");
        rc = connection.Perform(&bStop);
        curl_easy_getinfo(pCurl, CURLINFO_RESPONSE_CODE, &nStatus);
        if (nStatus == 206)
            nStatus = 200;
    }
    if (bStop)
        return kFetchStopped;
    if (rc != CURLE_OK) {
        const CFetch none{&bStop, pCurl, ""};
        strReason = FetchReason(rc, none);
        return kFetchInternet;
    }
    return nStatus > 0 ? static_cast<int>(nStatus) : kFetchInternet;
}

CDownloadOutcome DownloadFromServer(const CString& strServer, IDownloadProgress& progress, const CTime& dateShown,
                                    int nDays)
{
    return CDayDownload(strServer, progress, dateShown, nDays).Run();
}
