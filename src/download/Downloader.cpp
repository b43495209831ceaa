#include "download/Downloader.h"

#include "download/Archive.h"
#include "download/HttpConnection.h"
#include "download/InternetSession.h"
#include "platform/Sjis.h"
#include "platform/WriteAll.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr size_t kBlockSize = 512;

const char* const kProgramCommand = "efw=data\\prog temp.lzh";
const char* const kResultCommand = "efw=data\\res temp.lzh";

// One transfer: where its bytes go and what happened on the way.
struct CFetch {
    IDownloadProgress& progress;
    CURL* pCurl;
    int fd = -1;
    bool bStatusKnown = false;
    long nStatus = 0;
    bool bStopped = false;
    bool bWriteFailed = false;
};

int OpenWorkFile()
{
    // A new file every time rather than the old one emptied: the file system need not flush
    // what an emptied file held, and a link planted at the name is never written through.
    unlink(kWorkFile);
    return open(kWorkFile, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
}

size_t OnBody(char* pData, size_t, size_t nBytes, void* pUser)
{
    auto& fetch = *static_cast<CFetch*>(pUser);
    if (!fetch.bStatusKnown) {
        curl_easy_getinfo(fetch.pCurl, CURLINFO_RESPONSE_CODE, &fetch.nStatus);
        fetch.bStatusKnown = true;
        if (fetch.nStatus == 200) {
            fetch.fd = OpenWorkFile();
            if (fetch.fd < 0) {
                fetch.bWriteFailed = true;
                return 0;
            }
        }
    }
    // The body of an error page is not kept.
    if (fetch.nStatus != 200)
        return nBytes;
    for (size_t nDone = 0; nDone < nBytes; nDone += kBlockSize) {
        const size_t n = std::min(kBlockSize, nBytes - nDone);
        if (!WriteAll(fetch.fd, pData + nDone, n)) {
            fetch.bWriteFailed = true;
            return 0;
        }
        fetch.progress.PumpOneMessage();
        if (fetch.progress.IsCancelled()) {
            fetch.bStopped = true;
            return 0;
        }
    }
    return nBytes;
}

// Called often while bytes flow and about once a second while the server is silent, so that
// the window lives and a stop is noticed even then.
int OnProgress(void* pUser, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto& fetch = *static_cast<CFetch*>(pUser);
    fetch.progress.PumpOneMessage();
    if (fetch.progress.IsCancelled()) {
        fetch.bStopped = true;
        return 1;
    }
    return 0;
}

void Unpack(IDownloadProgress& progress, const char* pszCommand)
{
    ExtractArchive(pszCommand);
    std::remove(kWorkFile);
    progress.PumpOneMessage();
}

} // namespace

CString ArchivePath(char chKind, const CTime& day)
{
    const int y = day.GetYear();
    const int m = day.GetMonth();
    const char chLower = static_cast<char>(chKind - 'A' + 'a');
    return CString::Formatted("/od2/%c/%04d%02d/%c%02d%02d%02d.lzh", chKind, y, m, chLower, y % 100, m, day.GetDay());
}

int FetchFile(CHttpConnection& connection, IDownloadProgress& progress, const CString& strPath)
{
    CURL* pCurl = connection.Handle();
    if (!pCurl)
        return kFetchInternet;
    CFetch fetch{progress, pCurl};
    const CString strUrl = connection.UrlOf(strPath);
    curl_easy_setopt(pCurl, CURLOPT_URL, strUrl.GetString());
    curl_easy_setopt(pCurl, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(pCurl, CURLOPT_WRITEDATA, &fetch);
    curl_easy_setopt(pCurl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(pCurl, CURLOPT_XFERINFODATA, &fetch);
    curl_easy_setopt(pCurl, CURLOPT_NOPROGRESS, 0L);
    const CURLcode rc = curl_easy_perform(pCurl);
    // Nothing of this call may reach the next one through the reused handle.
    curl_easy_setopt(pCurl, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(pCurl, CURLOPT_XFERINFODATA, nullptr);
    bool bClosed = true;
    if (fetch.fd >= 0)
        bClosed = close(fetch.fd) == 0;
    if (fetch.bStopped)
        return kFetchStopped;
    // A short body (fewer bytes than its Content-Length), a reset, a time-out or a failed write.
    if (rc != CURLE_OK || fetch.bWriteFailed || !bClosed)
        return kFetchInternet;
    long nStatus = 0;
    curl_easy_getinfo(pCurl, CURLINFO_RESPONSE_CODE, &nStatus);
    if (nStatus != 200)
        return nStatus > 0 ? static_cast<int>(nStatus) : kFetchInternet;
    // An empty archive still replaces the work file of the previous transfer.
    if (fetch.fd < 0) {
        const int fd = OpenWorkFile();
        if (fd < 0 || close(fd) != 0)
            return kFetchInternet;
    }
    return kFetchDone;
}

CDownloadOutcome DownloadDays(CHttpConnection& connection, IDownloadProgress& progress, const CTime& dateShown,
                              int nDays)
{
    for (int nBack = nDays - 1; nBack >= 0; --nBack) {
        // Calendar days: 86,400-second steps would give the wrong date across a change of the clocks.
        const CTime day = dateShown.AddDays(-nBack);
        const CString strDate = day.Format("%Y/%m/%d");

        progress.AppendText(strDate + Sjis(" 番組表のダウンロード中...\r\n"));
        int r = FetchFile(connection, progress, ArchivePath('B', day));
        if (r == kFetchStopped)
            return {DownloadEnd::Stopped, r};
        if (r != kFetchDone)
            return {DownloadEnd::ProgramFailed, r};
        progress.AppendText(strDate + Sjis(" 番組表の解凍中...\r\n"));
        Unpack(progress, kProgramCommand);
        if (progress.IsCancelled())
            return {DownloadEnd::Stopped, kFetchStopped};

        progress.AppendText(strDate + Sjis(" 結果表のダウンロード中...\r\n"));
        r = FetchFile(connection, progress, ArchivePath('K', day));
        if (r == kFetchStopped)
            return {DownloadEnd::Stopped, r};
        if (r != kFetchDone)
            return {DownloadEnd::ResultFailed, r};
        progress.AppendText(strDate + Sjis(" 結果表の解凍中...\r\n"));
        Unpack(progress, kResultCommand);
        if (progress.IsCancelled())
            return {DownloadEnd::Stopped, kFetchStopped};
    }
    return {};
}

CDownloadOutcome DownloadFromServer(const CString& strServer, IDownloadProgress& progress, const CTime& dateShown,
                                    int nDays)
{
    const CInternetSession session(kUserAgent);
    const auto pConnection = session.GetHttpConnection(strServer);
    if (!pConnection->IsOpen())
        return {DownloadEnd::ProgramFailed, kFetchInternet};
    return DownloadDays(*pConnection, progress, dateShown, nDays);
}

CString ProgramErrorText(int nCode)
{
    return Sjis("出走表がダウンロードできません。\n(Error ") + CString::Formatted("%d)", nCode);
}

CString DownloadCaption()
{
    return Sjis("ダウンロード");
}
