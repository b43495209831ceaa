#pragma once
// The download's progress dialog (template 131): a log of the steps and "中止". It is shown
// without a modal loop while the download runs on the window thread; "中止", the Esc key and
// the close box all stop the download and close the dialog.

#include "download/DownloadProgress.h"
#include "platform/gui/Dialog.h"

class QPlainTextEdit;

class CDownloadDlg : public CDialog, public IDownloadProgress {
public:
    explicit CDownloadDlg(QWidget* pParent);

    // Puts the text at the end of the log, scrolls to it and repaints at once.
    void AppendText(const CString& strText) override;
    bool IsCancelled() const override { return m_bCancelled; }
    // Handles the events waiting for the window thread once, without waiting for more. (There
    // is no taking exactly one event off Qt's queue; what is pending is bounded all the same.)
    void PumpOneMessage() override;
    // Stops as the user's "中止" does; for the main window that is about to close.
    void Stop() { OnCancel(); }

    QPlainTextEdit* GetLog() const { return m_editLog; }

protected:
    bool OnInitDialog() override;
    void OnCancel() override;

private:
    QPlainTextEdit* m_editLog = nullptr;
    bool m_bCancelled = false;
};
