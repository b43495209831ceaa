#pragma once
// Makes writing a file beyond a few bytes fail, as a full disk does, while the object lives.
// A limit on file size holds for root too, which file permissions do not.

#include <csignal>
#include <sys/resource.h>

namespace testsupport {

class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t nBytes)
    {
        // Past the limit a write fails with EFBIG instead of ending the process.
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = nBytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};

} // namespace testsupport
