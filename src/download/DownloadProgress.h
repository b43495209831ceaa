#pragma once
// What the download needs of whoever runs it: a log to write its steps to and the user's stop.
// The download runs on a worker thread, so both are called from there: the progress dialog's
// side hands the text on to the window thread and keeps the stop in an atomic flag.

#include "platform/String.h"

#include <atomic>

class IDownloadProgress {
public:
    virtual ~IDownloadProgress() = default;
    // Adds Shift-JIS text (with its own "\r\n") at the end of the log.
    virtual void AppendText(const CString& strText) = 0;
    // The user's stop: once true the download ends as soon as it can, without a word.
    virtual const std::atomic<bool>& StopFlag() const = 0;
    bool IsCancelled() const { return StopFlag(); }
    // How long the open transfer has waited for the server's next byte, in whole seconds, told
    // once a second while it waits; 0 once bytes flow again or the transfer has ended.
    virtual void OnWaiting(int /*nSeconds*/) {}
};
