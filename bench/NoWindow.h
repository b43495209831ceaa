#pragma once
// The progress of a download that no window shows: the log and the statuses go nowhere, and
// nobody stops it.

#include "download/PeriodProgress.h"

namespace benchdownload {

class CNoWindow : public IPeriodProgress {
public:
    void AppendText(const CString&) override {}
    const std::atomic<bool>& StopFlag() const override { return m_bStop; }
    void OnStatus(const CPeriodStatus&) override {}

private:
    std::atomic<bool> m_bStop{false};
};

} // namespace benchdownload
