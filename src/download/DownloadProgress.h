#pragma once
// What the download needs of the window while it runs on the window thread: a log to write its
// steps to, the user's stop, and a turn of the event loop so that the windows stay alive. The
// progress dialog is one; tests use their own.

#include "platform/String.h"

class IDownloadProgress {
public:
    virtual ~IDownloadProgress() = default;
    // Adds Shift-JIS text (with its own "\r\n") at the end of the log.
    virtual void AppendText(const CString& strText) = 0;
    // True once the user has stopped the download.
    virtual bool IsCancelled() const = 0;
    // Handles what is waiting for the window thread, without waiting for more.
    virtual void PumpOneMessage() = 0;
};
