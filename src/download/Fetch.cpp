#include "download/Fetch.h"

#include "download/HttpConnection.h"
#include "platform/Sjis.h"
#include "platform/WriteAll.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

int OpenNewFile(const char* pszFile)
{
    // A new file every time rather than the old one emptied: the file system need not flush
    // what an emptied file held, and a link planted at the name is never written through.
    unlink(pszFile);
    return open(pszFile, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
}

size_t OnBody(char* pData, size_t, size_t nBytes, void* pUser)
{
    auto& fetch = *static_cast<CFetch*>(pUser);
    fetch.lastByte = std::chrono::steady_clock::now();
    if (!fetch.bStatusKnown) {
        curl_easy_getinfo(fetch.pCurl, CURLINFO_RESPONSE_CODE, &fetch.nStatus);
        fetch.bStatusKnown = true;
        if (fetch.nStatus == 200) {
            fetch.fd = OpenNewFile(fetch.pszFile);
            if (fetch.fd < 0) {
                fetch.nWriteErrno = errno;
                return 0;
            }
        }
    }
    // The body of an error page is not kept.
    if (fetch.nStatus != 200)
        return nBytes;
    fetch.nBytes += static_cast<curl_off_t>(nBytes);
    if (fetch.nBytes > CHttpConnection::kMaxBodyBytes) {
        fetch.bTooLarge = true;
        return 0;
    }
    if (!WriteAll(fetch.fd, pData, nBytes)) {
        fetch.nWriteErrno = errno;
        return 0;
    }
    return nBytes;
}

// libcurl asks while bytes flow and while the server is silent; the worker's own wait also
// looks at the flag, every tenth of a second.
int OnProgress(void* pUser, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return *static_cast<CFetch*>(pUser)->pStop ? 1 : 0;
}

} // namespace

void AttachFetch(CFetch& fetch)
{
    curl_easy_setopt(fetch.pCurl, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(fetch.pCurl, CURLOPT_WRITEDATA, &fetch);
    curl_easy_setopt(fetch.pCurl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(fetch.pCurl, CURLOPT_XFERINFODATA, &fetch);
    curl_easy_setopt(fetch.pCurl, CURLOPT_NOPROGRESS, 0L);
}

int FinishFetch(CFetch& fetch, CURLcode rc, CFetchDetail& detail)
{
    // Nothing of this transfer may reach the next one through the reused handle.
    curl_easy_setopt(fetch.pCurl, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(fetch.pCurl, CURLOPT_XFERINFODATA, nullptr);
    bool bClosed = true;
    if (fetch.fd >= 0) {
        bClosed = close(fetch.fd) == 0;
        if (!bClosed && fetch.nWriteErrno == 0)
            fetch.nWriteErrno = errno;
        fetch.fd = -1;
    }
    if (*fetch.pStop)
        return kFetchStopped;
    // A short body (fewer bytes than its Content-Length), a reset, a time-out, a body over the
    // limit or a failed write.
    if (rc != CURLE_OK || fetch.bTooLarge || fetch.nWriteErrno != 0 || !bClosed) {
        detail.bUnreachable = IsServerUnreachable(rc);
        // Neither a body over the limit nor a file that cannot be written comes out otherwise
        // the next time: the archive is not asked for again.
        detail.bFinal = fetch.bTooLarge || rc == CURLE_FILESIZE_EXCEEDED || fetch.nWriteErrno != 0 || !bClosed;
        detail.strReason = FetchReason(rc, fetch);
        return kFetchInternet;
    }
    long nStatus = 0;
    curl_easy_getinfo(fetch.pCurl, CURLINFO_RESPONSE_CODE, &nStatus);
    if (nStatus != 200)
        return nStatus > 0 ? static_cast<int>(nStatus) : kFetchInternet;
    // An empty archive still replaces the work file of the previous transfer.
    if (!fetch.bStatusKnown) {
        const int fd = OpenNewFile(fetch.pszFile);
        if (fd < 0 || close(fd) != 0) {
            fetch.nWriteErrno = errno;
            detail.bFinal = true;
            detail.strReason = FetchReason(rc, fetch);
            return kFetchInternet;
        }
    }
    return kFetchDone;
}

CString FetchFailureText(int nCode, const CFetchDetail& detail)
{
    if (detail.strReason.IsEmpty())
        return CString::Formatted("(Error %d)", nCode);
    return CString::Formatted("(Error %d: %s)", nCode, detail.strReason.GetString());
}

CString ErrnoText(int nErrno)
{
    switch (nErrno) {
    case EACCES:
    case EPERM:
        return Sjis("書き込みが許可されていません");
    case EROFS:
        return Sjis("読み取り専用の場所です");
    case ENOSPC:
        return Sjis("ディスクに空きがありません");
    case EDQUOT:
        return Sjis("ディスクの使用量の上限を超えています");
    case ENOENT:
        return Sjis("フォルダがありません");
    case ENOTDIR:
        return Sjis("フォルダではありません");
    default: {
        const char* pszWhat = strerrordesc_np(nErrno);
        return CString::Formatted("errno %d: %s", nErrno, pszWhat ? pszWhat : "?");
    }
    }
}

CString FetchReason(CURLcode code, const CFetch& fetch)
{
    if (fetch.bTooLarge || code == CURLE_FILESIZE_EXCEEDED)
        return Sjis("大きすぎます (16 MB を超えています)");
    if (fetch.nWriteErrno != 0)
        return CString(fetch.pszFile) + Sjis(" に書き込めません: ") + ErrnoText(fetch.nWriteErrno);
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return Sjis("サーバーが見つかりません（名前を引けません）");
    case CURLE_COULDNT_RESOLVE_PROXY:
        return Sjis("プロキシが見つかりません（名前を引けません）");
    case CURLE_COULDNT_CONNECT: {
        long nErrno = 0;
        if (fetch.pCurl && curl_easy_getinfo(fetch.pCurl, CURLINFO_OS_ERRNO, &nErrno) == CURLE_OK && nErrno == ECONNREFUSED)
            return Sjis("接続を拒否されました（サーバーに接続できません）");
        return Sjis("サーバーに接続できません");
    }
    case CURLE_OPERATION_TIMEDOUT:
        return Sjis("時間切れです（サーバーの応答が途絶えました）");
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
        return Sjis("転送が途中で切れました");
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        return Sjis("サーバーのアドレスが正しくありません");
    default:
        return TransferError(code);
    }
}
