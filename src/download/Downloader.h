#pragma once
// The day and week download without the window: for each day, oldest first, the program
// archive and then the result archive are fetched into the process's work file and unpacked
// into "data\prog" and "data\res". It runs on a worker thread; the caller shows the progress and
// the one message at the end.

#include "download/DataServer.h"
#include "download/DownloadOutcome.h"
#include "download/DownloadProgress.h"
#include "platform/String.h"
#include "platform/Time.h"

#include <vector>

class CHttpConnection;

inline constexpr const char* kUserAgent = "kelu Browser";
// The work file of the day and week downloads: "temp-1234.lzh", the process's number in it so
// that two programs in one folder never unpack each other's archive.
CString DayWorkFile();

// FetchFile's results besides an HTTP status other than 200.
enum : int {
    kFetchDone = 0,      // the archive is in the file, whole
    kFetchStopped = 1,   // the user stopped during the transfer
    kFetchInternet = 2,  // no connection, time-out, broken, short or oversized transfer, file not writable
};

// Why a fetch failed, for the log.
struct CFetchDetail {
    bool bUnreachable = false; // the server was never reached: the next request fares the same
    bool bFinal = false;       // asking again gives the same: a body too large, a file not written
    CString strReason;         // Shift-JIS, such as "サーバーに接続できません"
};

// Fetches the path into the file (created anew), at most CHttpConnection::kMaxBodyBytes of it.
// Returns 0, 1, 2 or the HTTP status; pDetail, when given, says why a fetch failed.
int FetchFile(CHttpConnection& connection, const std::atomic<bool>& bStop, const CString& strPath, const char* pszFile,
              CFetchDetail* pDetail = nullptr);

// Asks the server whether it has the path, without fetching it (a HEAD request, or a GET of its
// first byte where the server does not answer HEAD), within 10 seconds. Returns kFetchStopped,
// kFetchInternet with the reason in strReason (Shift-JIS), or the HTTP status.
int ProbeServer(const CString& strServer, const CString& strPath, const std::atomic<bool>& bStop,
                CString& strReason);

// The days dateShown - (nDays - 1) ... dateShown, by calendar day, from the server. A day of a
// week that cannot be fetched is named in the log and the week goes on, unless the server cannot
// be reached at all; a transfer that fails for a reason that may pass is asked for once more,
// two seconds later, as every transfer is (download/TransferEngine.h). A connection that cannot
// be made is an internet error of the first program archive.
CDownloadOutcome DownloadFromServer(const CString& strServer, IDownloadProgress& progress, const CTime& dateShown,
                                    int nDays);
