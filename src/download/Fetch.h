#pragma once
// One archive's transfer into a file of its own, whoever drives it: the day and week download
// runs one at a time through its connection, the period download several at once on a multi
// handle. Both write the body through the same callback, with the same caps, and read the end
// of a transfer the same way.

#include "download/Downloader.h"
#include "platform/String.h"

#include <curl/curl.h>

#include <atomic>
#include <chrono>

// One transfer: where its bytes go and what happened on the way. The file is made only once
// the server has answered 200, so an error page never leaves a file behind.
struct CFetch {
    const std::atomic<bool>* pStop;
    CURL* pCurl;
    const char* pszFile;
    int fd = -1;
    bool bStatusKnown = false;
    long nStatus = 0;
    curl_off_t nBytes = 0;
    bool bTooLarge = false;
    int nWriteErrno = 0; // the errno of a failed write; 0 when none failed
    // When the transfer began or last had a byte: how long it has waited.
    std::chrono::steady_clock::time_point lastByte = std::chrono::steady_clock::now();
};

// Points the handle's body and progress callbacks at the fetch; the stop flag aborts the
// transfer from inside libcurl, whether bytes flow or the server is silent.
void AttachFetch(CFetch& fetch);
// After the transfer has ended with rc: closes the file and tells FetchFile's result (0, 1, 2
// or the HTTP status), with the reason of a failure in detail. The handle's callbacks no longer
// point at the fetch.
int FinishFetch(CFetch& fetch, CURLcode rc, CFetchDetail& detail);
// "(Error 404)" or "(Error 2: サーバーに接続できません)": how the log and the end message name a
// failed fetch.
CString FetchFailureText(int nCode, const CFetchDetail& detail);
// What the user is told of an error number, in the program's language where it is a common one.
CString ErrnoText(int nErrno);
// The reason of a transfer that ended with rc (Shift-JIS).
CString FetchReason(CURLcode code, const CFetch& fetch);
