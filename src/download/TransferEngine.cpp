#include "download/TransferEngine.h"

#include "download/HttpConnection.h"

#include <algorithm>
#include <cstdio>

using std::chrono::milliseconds;

bool MayPass(int nCode, const CFetchDetail& detail)
{
    if (detail.bFinal)
        return false;
    return nCode == kFetchInternet || nCode == 408 || nCode == 429 || nCode >= 500;
}

CTransferEngine::CTransferEngine(int nConnections, const CString& strAgent, const std::atomic<bool>& bStop)
    : m_strAgent(strAgent)
    , m_bStop(bStop)
    , m_pMulti(curl_multi_init())
{
    for (int i = 0; i < std::max(nConnections, 1); ++i)
        if (CURL* pCurl = curl_easy_init()) {
            SetUpTransfer(pCurl, strAgent);
            m_handles.push_back(pCurl);
        }
    m_free = m_handles;
}

CTransferEngine::~CTransferEngine()
{
    Abandon();
    for (CURL* pCurl : m_handles)
        curl_easy_cleanup(pCurl);
    if (m_pMulti)
        curl_multi_cleanup(m_pMulti);
}

void CTransferEngine::Queue(CJob& job)
{
    m_queue.push_back(&job);
}

bool CTransferEngine::Run(const CHandlers& handlers)
{
    m_pHandlers = &handlers;
    while (!m_bStop) {
        FillSlots();
        if (m_open.empty() && m_queue.empty() && m_retries.empty())
            break;
        int nRunning = 0;
        curl_multi_perform(m_pMulti, &nRunning);
        ReadDone();
        if (handlers.tick)
            handlers.tick();
        if (!m_bStop)
            curl_multi_poll(m_pMulti, nullptr, 0, WaitMilliseconds(), nullptr);
    }
    if (m_bStop)
        Abandon();
    m_pHandlers = nullptr;
    return !m_bStop;
}

// Up to the number of connections open: a second chance that is due first, since its archive
// was asked for before any still queued. While the server may be out of reach, only the second
// chance that finds out goes. Nothing goes once the user has stopped.
void CTransferEngine::FillSlots()
{
    if (m_open.empty() && m_retries.empty())
        m_bInDoubt = false;
    const Clock::time_point now = Clock::now();
    while (!m_bStop && !m_free.empty()) {
        CJob* pNext = nullptr;
        if (!m_retries.empty() && m_retries.front()->due <= now) {
            pNext = m_retries.front();
            m_retries.pop_front();
        } else if (!m_queue.empty() && !m_bInDoubt) {
            pNext = m_queue.front();
            m_queue.pop_front();
        } else {
            break;
        }
        Launch(*pNext);
    }
}

void CTransferEngine::Launch(CJob& job)
{
    ++job.nTries;
    job.pCurl = m_free.back();
    m_free.pop_back();
    job.fetch = CFetch{&m_bStop, job.pCurl, job.strFile.GetString()};
    curl_easy_setopt(job.pCurl, CURLOPT_URL, job.strUrl.GetString());
    curl_easy_setopt(job.pCurl, CURLOPT_PRIVATE, &job);
    LimitRedirects(job.pCurl, job.strUrl);
    AttachFetch(job.fetch);
    if (curl_multi_add_handle(m_pMulti, job.pCurl) != CURLM_OK) {
        m_free.push_back(job.pCurl);
        job.pCurl = nullptr;
        CFetchDetail detail;
        FinishFetch(job.fetch, CURLE_FAILED_INIT, detail);
        Ended(job, kFetchInternet, detail);
        return;
    }
    m_open.push_back(&job);
    if (m_pHandlers && m_pHandlers->started)
        m_pHandlers->started(job);
}

void CTransferEngine::ReadDone()
{
    int nQueued = 0;
    while (CURLMsg* pMsg = curl_multi_info_read(m_pMulti, &nQueued)) {
        if (pMsg->msg != CURLMSG_DONE)
            continue;
        CURL* pCurl = pMsg->easy_handle;
        const CURLcode rc = pMsg->data.result;
        char* pPrivate = nullptr;
        curl_easy_getinfo(pCurl, CURLINFO_PRIVATE, &pPrivate);
        auto* pJob = reinterpret_cast<CJob*>(pPrivate);
        curl_multi_remove_handle(m_pMulti, pCurl);
        m_open.erase(std::find(m_open.begin(), m_open.end(), pJob));
        m_free.push_back(pCurl);
        pJob->pCurl = nullptr;
        CFetchDetail detail;
        const int nCode = FinishFetch(pJob->fetch, rc, detail);
        if (nCode == kFetchStopped || m_bStop) {
            std::remove(pJob->strFile.GetString());
            return;
        }
        // The next requests go out before this archive is unpacked, so that the server works on
        // them meanwhile.
        FillSlots();
        int nRunning = 0;
        curl_multi_perform(m_pMulti, &nRunning);
        Ended(*pJob, nCode, detail);
        if (m_bStop)
            return;
    }
}

void CTransferEngine::Ended(CJob& job, int nCode, const CFetchDetail& detail)
{
    const CEnded& ended = m_pHandlers->ended;
    if (nCode == kFetchDone) {
        m_bInDoubt = false;
        ended(job, nCode, detail, false);
        return;
    }
    // A transfer cut short, or refused on the way, leaves nothing behind.
    std::remove(job.strFile.GetString());
    if (!detail.bUnreachable && nCode != kFetchInternet)
        m_bInDoubt = false;
    const bool bRetry = MayPass(nCode, detail) && job.nTries < kTries && !m_bGivenUp;
    if (bRetry) {
        m_bInDoubt = m_bInDoubt || detail.bUnreachable;
        job.due = Clock::now() + milliseconds(kRetryMilliseconds);
        m_retries.push_back(&job);
    }
    ended(job, nCode, detail, bRetry);
}

std::vector<CTransferEngine::CJob*> CTransferEngine::GiveUp()
{
    m_bGivenUp = true;
    std::vector<CJob*> rest(m_retries.begin(), m_retries.end());
    rest.insert(rest.end(), m_queue.begin(), m_queue.end());
    m_retries.clear();
    m_queue.clear();
    return rest;
}

// The user stopped: what runs is dropped, its work files deleted; nothing more is asked for.
void CTransferEngine::Abandon()
{
    for (CJob* pJob : m_open) {
        curl_multi_remove_handle(m_pMulti, pJob->pCurl);
        CFetchDetail detail;
        FinishFetch(pJob->fetch, CURLE_ABORTED_BY_CALLBACK, detail);
        std::remove(pJob->strFile.GetString());
        m_free.push_back(pJob->pCurl);
        pJob->pCurl = nullptr;
    }
    m_open.clear();
    m_queue.clear();
    m_retries.clear();
}

// Until the network has something, the next second chance is due, or a tenth of a second
// has passed for a look at the stop flag.
int CTransferEngine::WaitMilliseconds() const
{
    int nWait = kPollMilliseconds;
    if (!m_retries.empty()) {
        const auto untilDue = std::chrono::duration_cast<milliseconds>(m_retries.front()->due - Clock::now()).count();
        nWait = static_cast<int>(std::clamp<long long>(untilDue, 0, nWait));
    }
    return nWait;
}

long long CTransferEngine::BytesOpen() const
{
    long long nBytes = 0;
    for (const CJob* pJob : m_open)
        nBytes += pJob->fetch.nBytes;
    return nBytes;
}

int CTransferEngine::WaitingSeconds() const
{
    constexpr std::chrono::seconds kToldAfter(2);
    Clock::duration longest(0);
    const Clock::time_point now = Clock::now();
    for (const CJob* pJob : m_open)
        longest = std::max(longest, now - pJob->fetch.lastByte);
    return longest >= kToldAfter ? static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(longest).count()) : 0;
}

CURLcode CTransferEngine::Perform(CURL* pCurl)
{
    return PerformOn(m_pMulti, pCurl, &m_bStop);
}

CURLcode PerformOn(CURLM* pMulti, CURL* pCurl, const std::atomic<bool>* pStop)
{
    if (!pMulti || !pCurl || curl_multi_add_handle(pMulti, pCurl) != CURLM_OK)
        return CURLE_FAILED_INIT;
    CURLcode result = CURLE_OK;
    for (;;) {
        int nRunning = 0;
        if (curl_multi_perform(pMulti, &nRunning) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        int nQueued = 0;
        bool bDone = false;
        while (CURLMsg* pMsg = curl_multi_info_read(pMulti, &nQueued))
            if (pMsg->msg == CURLMSG_DONE && pMsg->easy_handle == pCurl) {
                result = pMsg->data.result;
                bDone = true;
            }
        if (bDone)
            break;
        if (pStop && *pStop) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        curl_multi_poll(pMulti, nullptr, 0, CTransferEngine::kPollMilliseconds, nullptr);
    }
    // The connection stays in the multi handle's cache for the next transfer.
    curl_multi_remove_handle(pMulti, pCurl);
    return result;
}

void LimitRedirects(CURL* pCurl, const CString& strUrl)
{
    const bool bSecure = strUrl.Left(8) == "https://";
    curl_easy_setopt(pCurl, CURLOPT_REDIR_PROTOCOLS_STR, bSecure ? "https" : "http,https");
}
