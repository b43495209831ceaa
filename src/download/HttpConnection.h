#pragma once
// The connection to the data server for one command: one libcurl handle, reused for every
// archive so that the server's connection is kept alive between requests.

#include "platform/String.h"

#include <curl/curl.h>

class CHttpConnection {
public:
    // A server that does not answer the connection, or stops sending for this long, is given up
    // as an internet error; either would otherwise hang the command for ever.
    static constexpr long kConnectTimeoutSeconds = 30;
    static constexpr long kLowSpeedSeconds = 30;

    // strServer: "http://host", "http://host:port" or "https://..."; a bare host means http.
    CHttpConnection(const CString& strServer, const CString& strAgent);
    ~CHttpConnection();
    CHttpConnection(const CHttpConnection&) = delete;
    CHttpConnection& operator=(const CHttpConnection&) = delete;

    // False when the handle could not be made.
    bool IsOpen() const { return m_pCurl != nullptr; }
    void SetTimeouts(long nConnectSeconds, long nLowSpeedSeconds);
    // The address of a path on the server ("/od2/...").
    CString UrlOf(const CString& strPath) const;
    CURL* Handle() const { return m_pCurl; }

private:
    CURL* m_pCurl = nullptr;
    CString m_strServer;
};
