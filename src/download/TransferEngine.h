#pragma once
// Every transfer of Kelu's: the day, week and period downloads and the settings' check of the
// server. One libcurl multi handle, at most N transfers at once, driven by the thread that runs
// the engine, which waits for the network a tenth of a second at a time: a stop asked for from
// another thread ends the transfers within that, whether bytes flow or the server is silent,
// and nothing more is asked for after it.
//
// A transfer that fails for a reason that may pass (no answer, a cut transfer, a busy server)
// is asked for once more, two seconds later. A body over the size limit, a work file that
// cannot be written and an answer such as 404 are final. While the last failure never reached
// the server, nothing new is asked for until its second chance tells whether it is reachable;
// when it is not, the engine gives up on everything still waiting.

#include "download/Downloader.h"
#include "download/Fetch.h"
#include "platform/String.h"

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <vector>

class CTransferEngine {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kPollMilliseconds = 100;
    static constexpr int kRetryMilliseconds = 2000;
    static constexpr int kTries = 2;

    // One archive into its work file.
    struct CJob {
        CString strUrl;
        CString strFile;
        void* pOwner = nullptr; // what the engine's user knows the job by
        int nTries = 0;
        Clock::time_point due;  // when a second chance may go out
        CURL* pCurl = nullptr;  // while it runs
        CFetch fetch{};
    };
    // A job has ended for good: nCode is FetchFile's result (0 done, 2 an internet error, an
    // HTTP status); or it is to be asked for once more (bRetry).
    using CEnded = std::function<void(CJob& job, int nCode, const CFetchDetail& detail, bool bRetry)>;
    // What the engine's user hears, on the thread that runs it: started when a job's request
    // goes out (each try), ended after each job (it may queue more), tick about every tenth
    // of a second.
    struct CHandlers {
        std::function<void(CJob& job)> started;
        CEnded ended;
        std::function<void()> tick;
    };

    CTransferEngine(int nConnections, const CString& strAgent, const std::atomic<bool>& bStop);
    ~CTransferEngine();
    CTransferEngine(const CTransferEngine&) = delete;
    CTransferEngine& operator=(const CTransferEngine&) = delete;

    // False when libcurl's handles could not be made.
    bool IsOpen() const { return m_pMulti != nullptr && !m_handles.empty(); }
    // Asked for once a connection is free, after the jobs queued before. The job stays where
    // it is until it has ended.
    void Queue(CJob& job);
    // Runs until no job is queued, waiting or open, or the stop flag is set: then the open
    // transfers are dropped, their work files deleted. False when stopped.
    bool Run(const CHandlers& handlers);
    // Everything queued or waiting for its second chance, taken back: the server is out of reach.
    std::vector<CJob*> GiveUp();
    bool HasGivenUp() const { return m_bGivenUp; }
    // The bytes of the transfers open now.
    long long BytesOpen() const;
    // How long the transfers open now have waited for a byte, the longest of them, in whole
    // seconds; 0 until the wait is long enough to tell the user of (a second's pause is usual).
    int WaitingSeconds() const;

    // Runs one handle the caller set up (a probe of the server) to its end, the same way.
    CURLcode Perform(CURL* pCurl);

private:
    void FillSlots();
    void Launch(CJob& job);
    void ReadDone();
    void Ended(CJob& job, int nCode, const CFetchDetail& detail);
    void Abandon();
    int WaitMilliseconds() const;

    CString m_strAgent;
    const std::atomic<bool>& m_bStop;
    const CHandlers* m_pHandlers = nullptr; // while Run runs
    CURLM* m_pMulti;
    std::vector<CURL*> m_handles;
    std::vector<CURL*> m_free;
    std::deque<CJob*> m_queue;   // not yet asked for, in order
    std::deque<CJob*> m_retries; // waiting for their second chance, in the order they are due
    std::vector<CJob*> m_open;
    bool m_bInDoubt = false;     // the last failure never reached the server
    bool m_bGivenUp = false;
};

// Answers that may well be different when asked again a little later; a 404 or a 403 will not.
bool MayPass(int nCode, const CFetchDetail& detail);
// Runs one handle on the multi handle to its end, waiting for the network a tenth of a second
// at a time; once *pStop is true the transfer is dropped and CURLE_ABORTED_BY_CALLBACK given.
CURLcode PerformOn(CURLM* pMulti, CURL* pCurl, const std::atomic<bool>* pStop);
// Redirects may go only where the address's own scheme allows: from https never down to http.
void LimitRedirects(CURL* pCurl, const CString& strUrl);
