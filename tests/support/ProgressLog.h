#pragma once
// What a download's dialog would show, recorded for a test: the log, the statuses of a period
// download, and the stop flag the user's "中止" sets. Written to from the download's thread,
// read by the test.

#include "download/PeriodProgress.h"
#include "platform/Sjis.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

class CProgressLog : public IPeriodProgress {
public:
    void AppendText(const CString& strText) override
    {
        const std::lock_guard lock(m_mutex);
        m_strLog += SjisToUtf8(strText.Str());
        if (m_onLine)
            m_onLine(*this, SjisToUtf8(strText.Str()));
    }
    const std::atomic<bool>& StopFlag() const override { return m_bStop; }
    void OnStatus(const CPeriodStatus& status) override
    {
        const std::lock_guard lock(m_mutex);
        m_statuses.push_back(status);
    }
    std::string Log() const
    {
        const std::lock_guard lock(m_mutex);
        return m_strLog;
    }
    std::vector<CPeriodStatus> Statuses() const
    {
        const std::lock_guard lock(m_mutex);
        return m_statuses;
    }

    std::atomic<bool> m_bStop{false};
    // Sees every line as it is logged, on the download's thread.
    std::function<void(CProgressLog&, const std::string&)> m_onLine;

private:
    mutable std::mutex m_mutex;
    std::string m_strLog;
    std::vector<CPeriodStatus> m_statuses;
};

} // namespace testsupport
