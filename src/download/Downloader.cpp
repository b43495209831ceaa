#include "download/Downloader.h"

#include "download/Archive.h"
#include "download/HttpConnection.h"
#include "download/InternetSession.h"
#include "download/lha32/Lha32.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"
#include "platform/Sjis.h"
#include "platform/WriteAll.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The two archives of a day: how the log and the end message name them, and where they go.
struct CArchiveKind {
    char chKind;
    const char* pszLogName; // "番組表"
    const char* pszName;    // "出走表", as the message of a failed program archive says
    const char* pszFolder;  // the extraction folder, written as the library's command has it
};
const CArchiveKind kProgram{'B', "番組表", "出走表", "data\\prog"};
const CArchiveKind kResult{'K', "結果表", "結果表", "data\\res"};

// One transfer: where its bytes go and what happened on the way.
struct CFetch {
    const std::atomic<bool>& bStop;
    CURL* pCurl;
    const char* pszFile;
    int fd = -1;
    bool bStatusKnown = false;
    long nStatus = 0;
    curl_off_t nBytes = 0;
    bool bTooLarge = false;
    int nWriteErrno = 0; // the errno of a failed write; 0 when none failed
};

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
    return static_cast<CFetch*>(pUser)->bStop ? 1 : 0;
}

// What the user is told of an error number, in the program's language where it is a common one.
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
        return Sjis("サーバーの名前が見つかりません");
    case CURLE_COULDNT_RESOLVE_PROXY:
        return Sjis("プロキシの名前が見つかりません");
    case CURLE_COULDNT_CONNECT:
        return Sjis("サーバーに接続できません");
    case CURLE_OPERATION_TIMEDOUT:
        return Sjis("サーバーの応答が途絶えました");
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

// "data/prog/B200101.TXT" and its last part, the member the day's archive must hold.
CString DayFile(const CArchiveKind& kind, const CTime& day)
{
    return kind.chKind == 'B' ? CKeluDoc::ProgramFileName(day) : CKeluDoc::ResultFileName(day);
}

// The folder and the name of a path: "data/prog" and "B200101.TXT".
CString FolderOf(const CString& strPath)
{
    const size_t n = strPath.Str().rfind('/');
    return n == std::string::npos ? CString(".") : strPath.Left(static_cast<int>(n));
}

CString BaseNameOf(const CString& strPath)
{
    const size_t n = strPath.Str().rfind('/');
    return n == std::string::npos ? strPath : strPath.Mid(static_cast<int>(n) + 1);
}

bool SameNameAnyCase(CString a, CString b)
{
    a.MakeUpper();
    b.MakeUpper();
    return a == b;
}

// The fields of one line of the archive library's report: kind, name, detail.
struct CReportLine {
    CString strKind, strName, strDetail;
};

std::vector<CReportLine> ReportLines(const std::string& report)
{
    std::vector<CReportLine> lines;
    size_t nStart = 0;
    while (nStart < report.size()) {
        size_t nEnd = report.find('\n', nStart);
        if (nEnd == std::string::npos)
            nEnd = report.size();
        const std::string line = report.substr(nStart, nEnd - nStart);
        nStart = nEnd + 1;
        const size_t nTab1 = line.find('\t');
        const size_t nTab2 = nTab1 == std::string::npos ? nTab1 : line.find('\t', nTab1 + 1);
        if (nTab2 == std::string::npos)
            continue;
        lines.push_back({CString(line.substr(0, nTab1)), CString(line.substr(nTab1 + 1, nTab2 - nTab1 - 1)),
                         CString(line.substr(nTab2 + 1))});
    }
    return lines;
}

CString SkipReason(const CString& strDetail)
{
    static const struct {
        const char* pszDetail;
        const char* pszReason;
    } kReasons[] = {
        {"not asked", "この日のファイルではありません"},
        {"unsafe name", "名前にフォルダが含まれているか、安全でない名前です"},
        {"not a file", "ファイルではありません"},
        {"too large", "16 MB を超えています"},
        {"too many", "書庫のファイルが多すぎます"},
    };
    for (const auto& r : kReasons)
        if (strDetail == r.pszDetail)
            return Sjis(r.pszReason);
    return strDetail;
}

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
            m_strLastFailure = FailureText(nCode, detail);
            Log(strDate + " " + Sjis(kind.pszLogName) + Sjis("をダウンロードできません ") + m_strLastFailure);
            return detail.bUnreachable ? EStep::Unreachable : EStep::Failed;
        }
        Log(strDate + " " + Sjis(kind.pszLogName) + Sjis("の解凍中..."));
        Unpack(kind, day, strDate);
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
            m_outcome.missed.push_back(day.AddDays(n).Format("%Y/%m/%d") + " " + Sjis(kProgram.pszName) + " " +
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

    static CString FailureText(int nCode, const CFetchDetail& detail)
    {
        if (detail.strReason.IsEmpty())
            return CString::Formatted("(Error %d)", nCode);
        return CString::Formatted("(Error %d: %s)", nCode, detail.strReason.GetString());
    }

    // Unpacks the day's member of "temp.lzh", and tells of every member passed over and of
    // every file that could not be written.
    void Unpack(const CArchiveKind& kind, const CTime& day, const CString& strDate)
    {
        const CString strDayFile = DayFile(kind, day);
        const CString strMember = BaseNameOf(strDayFile);
        const CString strFolder = FolderOf(strDayFile);
        const CString strCommand = CString::Formatted("efw=%s %s %s", kind.pszFolder, kWorkFile, strMember.GetString());
        const CExtractResult result = ExtractArchive(strCommand.GetString());
        std::remove(kWorkFile);
        const CString strArchive = strDate + " " + Sjis(kind.pszName) + " ";
        if (result.nCode == kExtractNoLibrary || result.nCode == kExtractNoEntryPoint) {
            const CString strWhy = Sjis("liblha32.so を読み込めないため解凍できません");
            Log(strDate + " " + strDayFile + ": " + strWhy + " (" + CString(result.strReport) + ")");
            m_outcome.unwritten.push_back(strDayFile + ": " + strWhy);
            return;
        }
        for (const CReportLine& line : ReportLines(result.strReport))
            TellOf(line, strDate, strArchive, strFolder, strMember);
        if (result.strReport.empty() && result.nCode != LHA32_OK) {
            const CString strWhy = Sjis("(書庫が壊れているか、LZH 書庫ではありません)");
            Log(strDate + " " + Sjis(kind.pszLogName) + " " + strWhy);
            m_outcome.missed.push_back(strArchive + strWhy);
        }
    }

    void TellOf(const CReportLine& line, const CString& strDate, const CString& strArchive, const CString& strFolder,
                const CString& strMember)
    {
        if (line.strKind == "failed" && line.strDetail.Left(6) == "write ") {
            const CString strWhy = strFolder + "/" + line.strName + ": " + ErrnoText(AtoI(line.strDetail.Mid(6)));
            Log(strDate + " " + strWhy);
            m_outcome.unwritten.push_back(strWhy);
        } else if (line.strKind == "folder") {
            const CString strWhy = line.strName + ": " + ErrnoText(AtoI(line.strDetail));
            Log(strDate + " " + strWhy);
            m_outcome.unwritten.push_back(strWhy);
        } else if (line.strKind == "failed") {
            const CString strWhy = Sjis("(書庫の ") + line.strName + Sjis(" が壊れています)");
            Log(strDate + " " + strWhy);
            m_outcome.missed.push_back(strArchive + strWhy);
        } else if (line.strKind == "missing") {
            const CString strWhy = Sjis("(書庫に ") + line.strName + Sjis(" がありません)");
            Log(strDate + " " + strWhy);
            m_outcome.missed.push_back(strArchive + strWhy);
        } else if (line.strKind == "skipped") {
            const CString strWhy = SkipReason(line.strDetail);
            Log(strDate + " " + Sjis("書庫の ") + line.strName + Sjis(" は解凍しません: ") + strWhy);
            if (SameNameAnyCase(line.strName, strMember))
                m_outcome.missed.push_back(strArchive + "(" + line.strName + ": " + strWhy + ")");
        }
    }

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
    CFetch fetch{bStop, pCurl, pszFile};
    const CString strUrl = connection.UrlOf(strPath);
    curl_easy_setopt(pCurl, CURLOPT_URL, strUrl.GetString());
    curl_easy_setopt(pCurl, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(pCurl, CURLOPT_WRITEDATA, &fetch);
    curl_easy_setopt(pCurl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(pCurl, CURLOPT_XFERINFODATA, &fetch);
    curl_easy_setopt(pCurl, CURLOPT_NOPROGRESS, 0L);
    const CURLcode rc = connection.Perform(&bStop);
    // Nothing of this call may reach the next one through the reused handle.
    curl_easy_setopt(pCurl, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(pCurl, CURLOPT_XFERINFODATA, nullptr);
    bool bClosed = true;
    if (fetch.fd >= 0) {
        bClosed = close(fetch.fd) == 0;
        if (!bClosed && fetch.nWriteErrno == 0)
            fetch.nWriteErrno = errno;
    }
    if (bStop)
        return kFetchStopped;
    // A short body (fewer bytes than its Content-Length), a reset, a time-out, a body over the
    // limit or a failed write.
    if (rc != CURLE_OK || fetch.bTooLarge || fetch.nWriteErrno != 0 || !bClosed) {
        detail.bUnreachable = IsServerUnreachable(rc);
        detail.strReason = FetchReason(rc, fetch);
        return kFetchInternet;
    }
    long nStatus = 0;
    curl_easy_getinfo(pCurl, CURLINFO_RESPONSE_CODE, &nStatus);
    if (nStatus != 200)
        return nStatus > 0 ? static_cast<int>(nStatus) : kFetchInternet;
    // An empty archive still replaces the work file of the previous transfer.
    if (fetch.fd < 0) {
        const int fd = OpenNewFile(pszFile);
        if (fd < 0 || close(fd) != 0) {
            fetch.nWriteErrno = errno;
            detail.strReason = FetchReason(rc, fetch);
            return kFetchInternet;
        }
    }
    return kFetchDone;
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
        EStep step = download.Archive(kProgram, day, nCode);
        if (step == EStep::Stopped)
            return download.End(DownloadEnd::Stopped, kFetchStopped);
        if (step != EStep::Done) {
            if (nDays == 1)
                return download.End(DownloadEnd::ProgramFailed, nCode);
            // A result without its program is never read: the day is passed over whole.
            download.Missed(kProgram, day);
            if (step == EStep::Unreachable) {
                download.MissTheRest(day, nBack);
                break;
            }
            continue;
        }
        step = download.Archive(kResult, day, nCode);
        if (step == EStep::Stopped)
            return download.End(DownloadEnd::Stopped, kFetchStopped);
        if (step != EStep::Done) {
            // The shown day's races may not be over yet: its missing result needs no word.
            if (nBack == 0)
                return download.End(DownloadEnd::ResultFailed, nCode);
            download.Missed(kResult, day);
            if (step == EStep::Unreachable) {
                download.MissTheRest(day, nBack);
                break;
            }
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
        const CFetch none{bStop, pCurl, ""};
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
