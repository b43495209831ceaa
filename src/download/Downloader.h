#pragma once
// The day and week download without the window: for each day, oldest first, the program
// archive and then the result archive are fetched into "temp.lzh" and unpacked into
// "data\prog" and "data\res". The caller shows the progress and the one error message.

#include "download/DownloadProgress.h"
#include "platform/String.h"
#include "platform/Time.h"

class CHttpConnection;

inline constexpr const char* kUserAgent = "kelu Browser";
inline constexpr const char* kWorkFile = "temp.lzh";

// FetchFile's results besides an HTTP status other than 200.
enum : int {
    kFetchDone = 0,      // the archive is in "temp.lzh", whole
    kFetchStopped = 1,   // the user stopped during the transfer
    kFetchInternet = 2,  // no connection, time-out, broken or short transfer, "temp.lzh" not writable
};

// How a download ended.
enum class DownloadEnd {
    Completed,      // every archive of every day was fetched and unpacked
    Stopped,        // the user stopped
    ProgramFailed,  // a program archive could not be fetched: nCode says why (FetchFile's result)
    ResultFailed,   // a result archive could not be fetched: the normal end of a day not yet raced
};

struct CDownloadOutcome {
    DownloadEnd end = DownloadEnd::Completed;
    int nCode = 0;
};

// "/od2/B/%04d%02d/b%02d%02d%02d.lzh" (chKind 'B') or "/od2/K/..." ('K') of the day.
CString ArchivePath(char chKind, const CTime& day);

// Fetches the path into "temp.lzh" in blocks of at most 512 bytes, each written at once and
// followed by one turn of the event loop and a look at the stop flag; the stop is also looked
// at while the server is silent. Returns 0, 1, 2 or the HTTP status.
int FetchFile(CHttpConnection& connection, IDownloadProgress& progress, const CString& strPath);

// The days dateShown - (nDays - 1) ... dateShown, by calendar day, through the connection.
CDownloadOutcome DownloadDays(CHttpConnection& connection, IDownloadProgress& progress, const CTime& dateShown,
                              int nDays);

// The same through a session of its own to the server; a connection that cannot be made is an
// internet error of the first program archive.
CDownloadOutcome DownloadFromServer(const CString& strServer, IDownloadProgress& progress, const CTime& dateShown,
                                    int nDays);

// The message for a program archive that could not be fetched, and its caption (Shift-JIS).
CString ProgramErrorText(int nCode);
CString DownloadCaption();
