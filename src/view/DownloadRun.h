#pragma once
// One running download: its worker thread and its progress dialog. While it lives the view's
// choosing controls are disabled, and a request to close the main window stops the download
// instead; the view is told on the window thread when the download has ended.

#include "download/DownloadDlg.h"
#include "download/DownloadWorker.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <utility>
#include <vector>

class CKeluView;
struct CKeluNet;
class QWidget;

class CDownloadRun : public QObject {
public:
    // Shows the dialog and starts the worker on the days up to the view's chosen day.
    CDownloadRun(CKeluView& view, const CKeluNet& net, const CString& strServer, int nDays);
    // Stops the worker and waits for it, within its bound.
    ~CDownloadRun() override;

    CDownloadDlg* Dialog() const { return m_pDlg.data(); }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    CKeluView& m_view;
    QPointer<QWidget> m_pWindow;
    QPointer<CDownloadDlg> m_pDlg;
    std::vector<std::pair<QPointer<QWidget>, bool>> m_controls;
    std::unique_ptr<CDownloadWorker> m_pWorker;
};
