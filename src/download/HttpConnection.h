#pragma once
// A connection to the data server: one libcurl handle, reused for every archive so that the
// server's connection is kept alive between requests, run the way every transfer is
// (download/TransferEngine.h): on the calling thread, which waits for the network a tenth of a
// second at a time, so that a stop asked for from another thread ends a transfer at once.

#include "platform/String.h"

#include <curl/curl.h>

#include <atomic>

class CHttpConnection {
public:
    // A server that does not answer the connection, or stops sending for this long, is given up
    // as an internet error; either would otherwise hang the command for ever.
    static constexpr long kConnectTimeoutSeconds = 30;
    static constexpr long kLowSpeedSeconds = 30;
    // An archive is some 50 KB: a larger body is no archive of ours, and is not kept.
    static constexpr curl_off_t kMaxBodyBytes = 16 * 1024 * 1024;

    // strServer: "http://host", "http://host:port" or "https://..."; a bare host means http.
    CHttpConnection(const CString& strServer, const CString& strAgent);
    ~CHttpConnection();
    CHttpConnection(const CHttpConnection&) = delete;
    CHttpConnection& operator=(const CHttpConnection&) = delete;

    // False when the handles could not be made.
    bool IsOpen() const { return m_pCurl != nullptr && m_pMulti != nullptr; }
    void SetTimeouts(long nConnectSeconds, long nLowSpeedSeconds);
    // The address of a path on the server ("/od2/...").
    CString UrlOf(const CString& strPath) const;
    CURL* Handle() const { return m_pCurl; }

    // Runs the transfer set up on Handle() to its end. Once *pStop is true the transfer is
    // dropped within a tenth of a second and CURLE_ABORTED_BY_CALLBACK is returned.
    CURLcode Perform(const std::atomic<bool>* pStop);

private:
    CURL* m_pCurl = nullptr;
    CURLM* m_pMulti = nullptr;
    CString m_strServer;
};

// "host" means "http://host"; a trailing "/" goes, since every path starts with one.
CString NormaliseServer(CString strServer);
// An easy handle set up as every transfer of Kelu's is: the user agent, the web only, the time
// limits and the size limit; the system's proxy settings apply.
void SetUpTransfer(CURL* pCurl, const CString& strAgent);
// The one-line reason of a failed transfer, for the progress log ("Couldn't connect to server").
const char* TransferError(CURLcode code);
// True for the failures where the server was never reached: asking it again gives the same.
bool IsServerUnreachable(CURLcode code);
