#include "download/HttpConnection.h"

#include "download/TransferEngine.h"

CString NormaliseServer(CString strServer)
{
    strServer.Trim();
    if (strServer.Find("://") < 0)
        strServer = "http://" + strServer;
    while (strServer.GetLength() > 0 && strServer[strServer.GetLength() - 1] == '/')
        strServer = strServer.Left(strServer.GetLength() - 1);
    return strServer;
}

void SetUpTransfer(CURL* pCurl, const CString& strAgent)
{
    curl_easy_setopt(pCurl, CURLOPT_USERAGENT, strAgent.GetString());
    curl_easy_setopt(pCurl, CURLOPT_HTTPGET, 1L);
    // Only the web: a setting such as "file:///" or a redirect elsewhere reads nothing local;
    // each transfer narrows the redirects further to its own scheme (LimitRedirects).
    curl_easy_setopt(pCurl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(pCurl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(pCurl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(pCurl, CURLOPT_MAXREDIRS, 5L);
    // A worker thread must never be interrupted by a resolver's alarm.
    curl_easy_setopt(pCurl, CURLOPT_NOSIGNAL, 1L);
    // A server that says its body is larger is refused before a byte is written; one that does
    // not say is stopped by the write callback at the same size.
    curl_easy_setopt(pCurl, CURLOPT_MAXFILESIZE_LARGE, CHttpConnection::kMaxBodyBytes);
    curl_easy_setopt(pCurl, CURLOPT_CONNECTTIMEOUT, CHttpConnection::kConnectTimeoutSeconds);
    curl_easy_setopt(pCurl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(pCurl, CURLOPT_LOW_SPEED_TIME, CHttpConnection::kLowSpeedSeconds);
}

const char* TransferError(CURLcode code)
{
    return curl_easy_strerror(code);
}

bool IsServerUnreachable(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        return true;
    default:
        return false;
    }
}

CHttpConnection::CHttpConnection(const CString& strServer, const CString& strAgent)
    : m_pCurl(curl_easy_init())
    , m_pMulti(curl_multi_init())
    , m_strServer(NormaliseServer(strServer))
{
    if (m_pCurl)
        SetUpTransfer(m_pCurl, strAgent);
}

CHttpConnection::~CHttpConnection()
{
    if (m_pMulti)
        curl_multi_cleanup(m_pMulti);
    if (m_pCurl)
        curl_easy_cleanup(m_pCurl);
}

void CHttpConnection::SetTimeouts(long nConnectSeconds, long nLowSpeedSeconds)
{
    if (!m_pCurl)
        return;
    curl_easy_setopt(m_pCurl, CURLOPT_CONNECTTIMEOUT, nConnectSeconds);
    curl_easy_setopt(m_pCurl, CURLOPT_LOW_SPEED_TIME, nLowSpeedSeconds);
}

CString CHttpConnection::UrlOf(const CString& strPath) const
{
    return m_strServer + strPath;
}

CURLcode CHttpConnection::Perform(const std::atomic<bool>* pStop)
{
    if (!IsOpen())
        return CURLE_FAILED_INIT;
    LimitRedirects(m_pCurl, m_strServer);
    return PerformOn(m_pMulti, m_pCurl, pStop);
}
