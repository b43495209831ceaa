#include "download/PeriodOutcome.h"

#include "platform/Sjis.h"

#include <algorithm>

bool CPeriodOutcome::FilesMayHaveChanged(const CTime& day) const
{
    return std::find(changed.begin(), changed.end(), day.Format("%Y%m%d")) != changed.end();
}

CString PeriodCountsText(const CPeriodOutcome& outcome)
{
    CString strText = Sjis(outcome.bStopped ? "中止しました。" : "終了しました。");
    strText += Sjis("取得 ") + CString::Formatted("%d", outcome.nFetched) + Sjis(" 日、飛ばした日 ") +
               CString::Formatted("%d", outcome.nSkipped) + Sjis(" 日、失敗 ") +
               CString::Formatted("%d", outcome.nFailed) + Sjis(" 日");
    const int nLeft = outcome.nDays - outcome.nFetched - outcome.nSkipped - outcome.nFailed;
    if (outcome.bStopped && nLeft > 0)
        strText += Sjis("、取得していない日 ") + CString::Formatted("%d", nLeft) + Sjis(" 日");
    return strText;
}

CString PeriodSummaryText(const CPeriodOutcome& outcome)
{
    const CString strLists = DownloadEndMessage(outcome.lists);
    return strLists.IsEmpty() ? PeriodCountsText(outcome) : PeriodCountsText(outcome) + "\n\n" + strLists;
}
