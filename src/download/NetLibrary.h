#pragma once
// The downloads' code lives in libkelu_net.so beside the program, linked with libcurl: the
// program loads it, and libcurl with its TLS, Kerberos and LDAP libraries, at the first
// download rather than at every start. The library's one entry point hands back a table of
// the operations; the window calls them on its worker threads.

#include "download/Downloader.h"
#include "download/PeriodDownload.h"

inline constexpr const char* kNetLibrary = "libkelu_net.so";

struct CKeluNet {
    CDownloadOutcome (*pfnDownloadFromServer)(const CString& strServer, IDownloadProgress& progress,
                                              const CTime& dateShown, int nDays);
    int (*pfnProbeServer)(const CString& strServer, const CString& strPath, const std::atomic<bool>& bStop,
                          CString& strReason);
    CPeriodOutcome (*pfnDownloadPeriod)(const CString& strServer, const CPeriodRequest& request,
                                        IPeriodProgress& progress);
};

extern "C" {
// The library's entry point: the table, with libcurl set up for use from any thread.
const CKeluNet* KeluNetEntry();
}

// The table, the library loaded on first use (call it on the window thread: libcurl's set-up
// is done there); nullptr when the library cannot be loaded, with the reason in *pstrError.
const CKeluNet* LoadKeluNet(CString* pstrError = nullptr);
