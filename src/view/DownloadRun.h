#pragma once
// One running download: its worker thread and its progress dialog. While it lives the view's
// choosing controls are disabled, and a request to close the main window stops the download
// instead; the view is told on the window thread when the download has ended.

#include "download/DownloadDlg.h"
#include "download/DownloadProgress.h"
#include "platform/gui/WorkerThread.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <utility>
#include <vector>

class CKeluView;
struct CKeluNet;
class QWidget;

class CDownloadRun : public QObject, public IDownloadProgress {
public:
    // Shows the dialog and starts the worker on the days up to the view's chosen day.
    CDownloadRun(CKeluView& view, const CKeluNet& net, const CString& strServer, int nDays);
    // Stops the worker and waits for it, which takes at most a tenth of a second.
    ~CDownloadRun() override;

    // Called on the worker thread: the line goes to the dialog on the window thread.
    void AppendText(const CString& strText) override;
    const std::atomic<bool>& StopFlag() const override { return m_bStop; }

    CDownloadDlg* Dialog() const { return m_pDlg.data(); }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    CKeluView& m_view;
    QPointer<QWidget> m_pWindow;
    QPointer<CDownloadDlg> m_pDlg;
    std::vector<std::pair<QPointer<QWidget>, bool>> m_controls;
    std::atomic<bool> m_bStop{false};
    CWorkerThread m_worker;
};
