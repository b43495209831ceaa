#include "download/HttpConnection.h"

namespace {

// "host" means "http://host"; a trailing "/" goes, since every path starts with one.
CString NormaliseServer(CString strServer)
{
    strServer.Trim();
    if (strServer.Find("://") < 0)
        strServer = "http://" + strServer;
    while (strServer.GetLength() > 0 && strServer[strServer.GetLength() - 1] == '/')
        strServer = strServer.Left(strServer.GetLength() - 1);
    return strServer;
}

} // namespace

CHttpConnection::CHttpConnection(const CString& strServer, const CString& strAgent)
    : m_pCurl(curl_easy_init())
    , m_strServer(NormaliseServer(strServer))
{
    if (!m_pCurl)
        return;
    curl_easy_setopt(m_pCurl, CURLOPT_USERAGENT, strAgent.GetString());
    curl_easy_setopt(m_pCurl, CURLOPT_HTTPGET, 1L);
    // Only the web: a setting such as "file:///" or a redirect elsewhere reads nothing local.
    curl_easy_setopt(m_pCurl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_pCurl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_pCurl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_MAXREDIRS, 5L);
    // The window thread must never be interrupted by a resolver's alarm.
    curl_easy_setopt(m_pCurl, CURLOPT_NOSIGNAL, 1L);
    SetTimeouts(kConnectTimeoutSeconds, kLowSpeedSeconds);
}

CHttpConnection::~CHttpConnection()
{
    if (m_pCurl)
        curl_easy_cleanup(m_pCurl);
}

void CHttpConnection::SetTimeouts(long nConnectSeconds, long nLowSpeedSeconds)
{
    if (!m_pCurl)
        return;
    curl_easy_setopt(m_pCurl, CURLOPT_CONNECTTIMEOUT, nConnectSeconds);
    curl_easy_setopt(m_pCurl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_LOW_SPEED_TIME, nLowSpeedSeconds);
}

CString CHttpConnection::UrlOf(const CString& strPath) const
{
    return m_strServer + strPath;
}
