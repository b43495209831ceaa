#include "TestHttpServer.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

namespace {

// A proxy is asked for "http://host/path": the file is the path.
std::string PathOf(const std::string& target)
{
    const size_t nScheme = target.find("://");
    if (nScheme == std::string::npos)
        return target;
    const size_t nPath = target.find('/', nScheme + 3);
    return nPath == std::string::npos ? std::string("/") : target.substr(nPath);
}

} // namespace

CTestHttpServer::CTestHttpServer()
    : m_pServer(std::make_unique<httplib::Server>())
{
    m_pServer->set_keep_alive_max_count(100);
    // Without it a small answer waits for the delayed acknowledgement of its headers.
    m_pServer->set_tcp_nodelay(true);
    m_pServer->Get(".*", [this](const httplib::Request& req, httplib::Response& res) { OnRequest(req, res); });
    m_nPort = m_pServer->bind_to_any_port("127.0.0.1");
    if (m_nPort <= 0)
        throw std::runtime_error("cannot bind the test server");
    // The socket listens from the bind on: a request made before the loop runs waits for it.
    m_thread = std::thread([this] { m_pServer->listen_after_bind(); });
    // A stop before the loop runs would be lost, and the loop would then never end.
    while (!m_pServer->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

CTestHttpServer::~CTestHttpServer()
{
    Release();
    m_pServer->stop();
    m_thread.join();
}

std::string CTestHttpServer::Url() const
{
    return "http://127.0.0.1:" + std::to_string(m_nPort);
}

void CTestHttpServer::Serve(const std::string& path, std::string body)
{
    std::lock_guard lock(m_mutex);
    m_files[path] = std::move(body);
}

void CTestHttpServer::Handle(const std::string& path, Handler handler)
{
    std::lock_guard lock(m_mutex);
    m_handlers[path] = std::move(handler);
}

void CTestHttpServer::ServeCut(const std::string& path, std::string body)
{
    auto pBody = std::make_shared<std::string>(std::move(body));
    Handle(path, [pBody](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(pBody->size(), "application/octet-stream",
                                 [pBody](size_t nOffset, size_t, httplib::DataSink& sink) {
                                     const size_t nHalf = pBody->size() / 2;
                                     if (nOffset >= nHalf)
                                         return false;
                                     sink.write(pBody->data() + nOffset, nHalf - nOffset);
                                     return true;
                                 });
    });
}

void CTestHttpServer::ServeStalled(const std::string& path, std::string body)
{
    auto pBody = std::make_shared<std::string>(std::move(body));
    Handle(path, [this, pBody](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(pBody->size(), "application/octet-stream",
                                 [this, pBody](size_t nOffset, size_t, httplib::DataSink& sink) {
                                     if (nOffset == 0) {
                                         sink.write(pBody->data(), std::min<size_t>(512, pBody->size()));
                                         return true;
                                     }
                                     std::unique_lock lock(m_mutex);
                                     m_released.wait_for(lock, std::chrono::seconds(20), [this] { return m_bReleased; });
                                     return false;
                                 });
    });
}

void CTestHttpServer::Release()
{
    std::lock_guard lock(m_mutex);
    m_bReleased = true;
    m_released.notify_all();
}

bool CTestHttpServer::StallReleased() const
{
    std::lock_guard lock(m_mutex);
    return m_bReleased;
}

std::vector<std::string> CTestHttpServer::Paths() const
{
    std::lock_guard lock(m_mutex);
    return m_paths;
}

std::vector<std::string> CTestHttpServer::Agents() const
{
    std::lock_guard lock(m_mutex);
    return m_agents;
}

size_t CTestHttpServer::Connections() const
{
    std::lock_guard lock(m_mutex);
    return m_clients.size();
}

void CTestHttpServer::SetDelay(int nMilliseconds)
{
    std::lock_guard lock(m_mutex);
    m_nDelayMilliseconds = nMilliseconds;
}

int CTestHttpServer::MostAtOnce() const
{
    std::lock_guard lock(m_mutex);
    return m_nMostAtOnce;
}

void CTestHttpServer::OnRequest(const httplib::Request& req, httplib::Response& res)
{
    int nDelay = 0;
    {
        std::lock_guard lock(m_mutex);
        m_nMostAtOnce = std::max(m_nMostAtOnce, ++m_nAtOnce);
        nDelay = m_nDelayMilliseconds;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(nDelay));
    Answer(req, res);
    std::lock_guard lock(m_mutex);
    --m_nAtOnce;
}

void CTestHttpServer::Answer(const httplib::Request& req, httplib::Response& res)
{
    const std::string path = PathOf(req.path);
    Handler handler;
    {
        std::lock_guard lock(m_mutex);
        m_paths.push_back(path);
        m_agents.push_back(req.get_header_value("User-Agent"));
        m_clients.insert(req.remote_addr + ":" + std::to_string(req.remote_port));
        if (auto it = m_handlers.find(path); it != m_handlers.end()) {
            handler = it->second;
        } else if (auto file = m_files.find(path); file != m_files.end()) {
            res.set_content(file->second, "application/octet-stream");
            return;
        } else {
            res.status = 404;
            res.set_content("<html><body>404 Not Found</body></html>", "text/html");
            return;
        }
    }
    handler(req, res);
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace testsupport
