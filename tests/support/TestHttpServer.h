#pragma once
// A real HTTP server on 127.0.0.1 at an ephemeral port, in the test's own process, for the
// download: it serves bytes by path (404 for the rest), records every request in order, and
// can answer a path its own way (a body cut short, a server that falls silent), answer every
// request late, and count how many it answers at once.

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace testsupport {

class CTestHttpServer {
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    CTestHttpServer();
    ~CTestHttpServer();
    CTestHttpServer(const CTestHttpServer&) = delete;
    CTestHttpServer& operator=(const CTestHttpServer&) = delete;

    // "http://127.0.0.1:port"
    std::string Url() const;
    int Port() const { return m_nPort; }

    void Serve(const std::string& path, std::string body);
    void Handle(const std::string& path, Handler handler);
    // Serves the first half of the body, then closes the connection (Content-Length whole).
    void ServeCut(const std::string& path, std::string body);
    // Serves the first block of the body, then says nothing until Release (or 20 seconds).
    void ServeStalled(const std::string& path, std::string body);
    // Ends every stall now; true when a stall had been waiting all along.
    void Release();
    bool StallReleased() const;

    // The paths asked for, in order (an absolute address, as a proxy sees it, counts by its path).
    std::vector<std::string> Paths() const;
    std::vector<std::string> Agents() const;
    // How many client connections the requests came over.
    size_t Connections() const;
    // Every answer from now on waits this long before it is made, as a distant server's would.
    void SetDelay(int nMilliseconds);
    // The most requests that were being answered at one time.
    int MostAtOnce() const;

private:
    void OnRequest(const httplib::Request& req, httplib::Response& res);
    void Answer(const httplib::Request& req, httplib::Response& res);

    std::unique_ptr<httplib::Server> m_pServer;
    std::thread m_thread;
    int m_nPort = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_bReleased = false;
    std::map<std::string, std::string> m_files;
    std::map<std::string, Handler> m_handlers;
    std::vector<std::string> m_paths;
    std::vector<std::string> m_agents;
    std::set<std::string> m_clients;
    int m_nDelayMilliseconds = 0;
    int m_nAtOnce = 0;
    int m_nMostAtOnce = 0;
};

// The bytes of a file, or "" when it cannot be read.
std::string ReadBytes(const std::string& path);

} // namespace testsupport
