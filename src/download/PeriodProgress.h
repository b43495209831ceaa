#pragma once
// What the period download tells whoever runs it, besides the log and the stop of every
// download: how far it has come. Called on the download's worker thread.

#include "download/DownloadProgress.h"

struct CPeriodStatus {
    int nDays = 0;          // days in the period
    int nDaysDone = 0;      // of them fetched, skipped or failed
    long long nBytes = 0;   // archive bytes received so far
    int nSecondsLeft = -1;  // the estimate; -1 until there is one
    int nWaitingSeconds = 0; // how long the server has kept silent (CTransferEngine::WaitingSeconds)
};

class IPeriodProgress : public IDownloadProgress {
public:
    virtual void OnStatus(const CPeriodStatus& status) = 0;
};
