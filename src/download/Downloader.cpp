#include "download/Downloader.h"

#include "download/DayArchive.h"
#include "download/Fetch.h"
#include "download/HttpConnection.h"
#include "download/InternetSession.h"
#include "platform/Sjis.h"

namespace {

// One download command's steps, and what it has to tell at the end.
class CDownloader {
public:
    enum class EStep { Done, Failed, Unreachable, Stopped };

    CDownloader(CHttpConnection& connection, IDownloadProgress& progress)
        : m_connection(connection)
        , m_progress(progress)
    {
    }

    // Fetches and unpacks one archive of the day; nCode is FetchFile's result.
    EStep Archive(const CArchiveKind& kind, const CTime& day, int& nCode)
    {
        const CString strDate = day.Format("%Y/%m/%d");
        Log(strDate + " " + Sjis(kind.pszLogName) + Sjis("のダウンロード中..."));
        CFetchDetail detail;
        nCode = FetchFile(m_connection, m_progress.StopFlag(), ArchivePath(kind.chKind, day), kWorkFile, &detail);
        if (nCode == kFetchStopped)
            return EStep::Stopped;
        if (nCode != kFetchDone) {
            m_strLastFailure = FetchFailureText(nCode, detail);
            Log(strDate + " " + Sjis(kind.pszLogName) + Sjis("をダウンロードできません ") + m_strLastFailure);
            return detail.bUnreachable ? EStep::Unreachable : EStep::Failed;
        }
        Log(strDate + " " + Sjis(kind.pszLogName) + Sjis("の解凍中..."));
        UnpackDayArchive(kind, day, kWorkFile, m_progress, m_outcome);
        return m_progress.IsCancelled() ? EStep::Stopped : EStep::Done;
    }

    // The archive's fetch failed: it goes into the end message.
    void Missed(const CArchiveKind& kind, const CTime& day)
    {
        m_outcome.missed.push_back(day.Format("%Y/%m/%d") + " " + Sjis(kind.pszName) + " " + m_strLastFailure);
    }

    // The server cannot be reached: the nDays days after this one are not asked for, only named.
    void MissTheRest(const CTime& day, int nDays)
    {
        for (int n = 1; n <= nDays; ++n)
            m_outcome.missed.push_back(day.AddDays(n).Format("%Y/%m/%d") + " " + Sjis(kProgramArchive.pszName) + " " +
                                       m_strLastFailure);
    }

    CDownloadOutcome End(DownloadEnd end, int nCode = 0)
    {
        m_outcome.end = end;
        m_outcome.nCode = nCode;
        return m_outcome;
    }

private:
    void Log(const CString& strLine) { m_progress.AppendText(strLine + "\r\n"); }

    CHttpConnection& m_connection;
    IDownloadProgress& m_progress;
    CDownloadOutcome m_outcome;
    CString m_strLastFailure;
};

} // namespace

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

CDownloadOutcome DownloadDays(CHttpConnection& connection, IDownloadProgress& progress, const CTime& dateShown,
                              int nDays)
{
    using EStep = CDownloader::EStep;
    CDownloader download(connection, progress);
    for (int nBack = nDays - 1; nBack >= 0; --nBack) {
        // Calendar days: 86,400-second steps would give the wrong date across a change of the clocks.
        const CTime day = dateShown.AddDays(-nBack);
        int nCode = 0;
        EStep step = download.Archive(kProgramArchive, day, nCode);
        // An archive that did not come is named at the end; a server out of reach ends the week.
        const auto passOver = [&](const CArchiveKind& kind) {
            download.Missed(kind, day);
            if (step != EStep::Unreachable)
                return false;
            download.MissTheRest(day, nBack);
            return true;
        };
        if (step == EStep::Stopped)
            return download.End(DownloadEnd::Stopped, kFetchStopped);
        if (step != EStep::Done) {
            if (nDays == 1)
                return download.End(DownloadEnd::ProgramFailed, nCode);
            // A result without its program is never read: the day is passed over whole.
            if (passOver(kProgramArchive))
                break;
            continue;
        }
        step = download.Archive(kResultArchive, day, nCode);
        if (step == EStep::Stopped)
            return download.End(DownloadEnd::Stopped, kFetchStopped);
        if (step != EStep::Done) {
            // The shown day's races may not be over yet: its missing result needs no word.
            if (nBack == 0)
                return download.End(DownloadEnd::ResultFailed, nCode);
            if (passOver(kResultArchive))
                break;
        }
    }
    return download.End(DownloadEnd::Completed);
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
    const CInternetSession session(kUserAgent);
    const auto pConnection = session.GetHttpConnection(strServer);
    if (!pConnection->IsOpen())
        return {DownloadEnd::ProgramFailed, kFetchInternet, {}, {}};
    return DownloadDays(*pConnection, progress, dateShown, nDays);
}
