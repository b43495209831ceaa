#pragma once
// The internet access of one download command: a user agent and, through it, the connection to
// the data server. The system's proxy settings (http_proxy, https_proxy, no_proxy) apply.

#include "platform/String.h"

#include <memory>

class CHttpConnection;

class CInternetSession {
public:
    explicit CInternetSession(CString strAgent) : m_strAgent(std::move(strAgent)) {}

    const CString& GetAgent() const { return m_strAgent; }
    // The connection to the server ("http://host[:port]"); check IsOpen before use.
    std::unique_ptr<CHttpConnection> GetHttpConnection(const CString& strServer) const;

private:
    CString m_strAgent;
};
