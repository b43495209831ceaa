#pragma once
// How a period download ended and what the user is told of it. Kept apart from the transfers,
// which the program loads only with the downloads' library.

#include "download/DownloadOutcome.h"
#include "platform/String.h"
#include "platform/Time.h"

#include <vector>

struct CPeriodOutcome {
    bool bStopped = false;
    int nDays = 0;
    int nFetched = 0; // both archives fetched and the day's files unpacked
    int nSkipped = 0; // both day files were there already
    int nFailed = 0;
    // The archives that could not be fetched or unpacked, by day ("2020/01/01 出走表 (Error
    // 404)"), and the day files that could not be written, as a week's download names them.
    CDownloadOutcome lists;
    // "20200101": the days something was unpacked for.
    std::vector<CString> changed;

    // True when the day's files may differ from what they were before the download.
    bool FilesMayHaveChanged(const CTime& day) const;
};

// "終了しました。取得 28 日、飛ばした日 1 日、失敗 1 日" (Shift-JIS).
CString PeriodCountsText(const CPeriodOutcome& outcome);
// The counts, then the archives missed and the files not written, a line each.
CString PeriodSummaryText(const CPeriodOutcome& outcome);
