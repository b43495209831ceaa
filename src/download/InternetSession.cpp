#include "download/InternetSession.h"

#include "download/HttpConnection.h"

std::unique_ptr<CHttpConnection> CInternetSession::GetHttpConnection(const CString& strServer) const
{
    return std::make_unique<CHttpConnection>(strServer, m_strAgent);
}
