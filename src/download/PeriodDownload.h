#pragma once
// The period download: every day from one date to another, oldest first, each day's program
// and result archive fetched over several connections at once on one libcurl multi handle,
// driven by the one worker thread that calls DownloadPeriod. Each transfer has a work file of
// its own in data/, which is unpacked on that thread as the day download unpacks "temp.lzh"
// (only the day's member, a day file replaced only by a whole one) and then deleted. A request
// that fails for a reason that may pass (no answer, a cut transfer, a busy server) is asked
// again once, two seconds later; a day that still misses an archive is named at the end.

#include "download/PeriodOutcome.h"
#include "download/PeriodProgress.h"
#include "platform/String.h"
#include "platform/Time.h"

inline constexpr int kMinPeriodConnections = 1;
inline constexpr int kMaxPeriodConnections = 4;
inline constexpr int kDefaultPeriodConnections = 2;
// How long a failed request waits before it is asked again, its one second chance.
inline constexpr int kPeriodRetryMilliseconds = 2000;

struct CPeriodRequest {
    CTime first;                // the oldest day
    CTime last;                 // the newest day, included; before first: no day at all
    bool bSkipPresent = true;   // pass over a day whose program and result files are both there
    int nConnections = kDefaultPeriodConnections; // requests open at once, 1 to 4
};

// The days of the request through the server ("http://host[:port]"). Returns once every day
// is done, or within a tenth of a second of the progress's stop flag, with nothing more asked
// for and no work file left.
CPeriodOutcome DownloadPeriod(const CString& strServer, const CPeriodRequest& request, IPeriodProgress& progress);

// The work file of one archive: "data/period-1234-B200105.lzh", with the process's number so
// that two programs never share one.
CString PeriodWorkFile(char chKind, const CTime& day);
