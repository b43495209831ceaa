#pragma once
// The download's progress dialog (template 131): a log of the steps and "中止". It is shown
// without a modal loop while the download runs on a worker thread; "中止", the Esc key and the
// close box all stop the download and close the dialog at once.

#include "platform/String.h"
#include "platform/gui/Dialog.h"

#include <functional>

class QPlainTextEdit;

// "サーバーの応答を待っています (12 秒)": what the download windows say of a silent server.
QString WaitingText(int nSeconds);

class CDownloadDlg : public CDialog {
public:
    explicit CDownloadDlg(QWidget* pParent);

    // Puts the text at the end of the log and scrolls to it.
    void AppendText(const CString& strText);
    // The last line of the log while the server keeps silent: "サーバーの応答を待っています (12 秒)",
    // renewed each second; 0 takes it away.
    void ShowWaiting(int nSeconds);
    bool IsCancelled() const { return m_bCancelled; }
    // Called when the user stops: the download's own flag is set from it.
    void SetStopHandler(std::function<void()> fnStop) { m_fnStop = std::move(fnStop); }
    // Stops as the user's "中止" does; for the main window that is about to close.
    void Stop() { OnCancel(); }

    QPlainTextEdit* GetLog() const { return m_editLog; }

protected:
    bool OnInitDialog() override;
    void OnCancel() override;

private:
    QPlainTextEdit* m_editLog = nullptr;
    bool m_bCancelled = false;
    bool m_bWaitingLine = false;
    std::function<void()> m_fnStop;
};
