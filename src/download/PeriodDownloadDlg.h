#pragma once
// "期間を指定してダウンロード" (ﾌｧｲﾙ → 期間を指定してﾀﾞｳﾝﾛｰﾄﾞ(&P)...): the first and the last
// day, whether days that have both files are passed over, and how many requests go at once;
// then the run on a worker thread (download/DownloadWorker.h), with a bar over the days, the days
// and bytes done, the time left and a log of the transfers, and at its end one summary. "中止"
// ends the run and keeps the dialog with what was done; closing the dialog stops a run first.
// It is modal: while it is open nothing else can read or write the day files.
//
// Only Qt and the standard library here: the header goes through moc, which cannot read every
// header of the standard library.

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class CDownloadWorker;
class CString;
class CTime;
struct CKeluNet;
struct CPeriodOutcome;
struct CPeriodStatus;
class QCheckBox;
class QDateEdit;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

class CPeriodDownloadDlg : public QDialog {
    Q_OBJECT

public:
    // The period offered is the 30 days up to dateShown.
    CPeriodDownloadDlg(QWidget* pParent, const CKeluNet& net, const CString& strServer, const CTime& dateShown);
    // A run still going is stopped and waited for, within the worker's bound.
    ~CPeriodDownloadDlg() override;

    bool IsRunning() const { return m_pWorker != nullptr; }
    // True when a run of this dialog may have changed the day's files; any day's.
    bool FilesMayHaveChanged(const CTime& day) const;
    bool AnyFilesMayHaveChanged() const { return m_bAnyDay || !m_changed.empty(); }

    QDateEdit* FirstDate() const { return m_pFirst; }
    QDateEdit* LastDate() const { return m_pLast; }
    QCheckBox* SkipBox() const { return m_pSkip; }
    QSpinBox* ConnectionsBox() const { return m_pConnections; }
    QPushButton* StartButton() const { return m_pStart; }
    QPushButton* StopButton() const { return m_pStop; }
    QPushButton* CloseButton() const { return m_pClose; }
    QProgressBar* DaysBar() const { return m_pBar; }
    QLabel* DoneLabel() const { return m_pDone; }
    QLabel* TimeLeftLabel() const { return m_pTimeLeft; }
    QLabel* SummaryLabel() const { return m_pSummary; }
    QPlainTextEdit* Log() const { return m_pLog; }

signals:
    // A run has ended, by itself or stopped; its summary is shown.
    void runEnded();

public slots:
    // Esc, the close box and "閉じる": a run still going is stopped first.
    void reject() override;

private:
    void OnStart();
    void OnStop();
    void OnLine(const CString& strLine);
    void OnEnded();
    void ShowStatus(const CPeriodStatus& status);
    void SetRunning(bool bRunning);
    // Waits for the worker, keeps the days its run may have changed and tells what it did.
    CPeriodOutcome EndWorker();

    const CKeluNet& m_net;
    std::string m_strServer;
    QDateEdit* m_pFirst = nullptr;
    QDateEdit* m_pLast = nullptr;
    QCheckBox* m_pSkip = nullptr;
    QSpinBox* m_pConnections = nullptr;
    QProgressBar* m_pBar = nullptr;
    QLabel* m_pDone = nullptr;
    QLabel* m_pTimeLeft = nullptr;
    QLabel* m_pSummary = nullptr;
    QPlainTextEdit* m_pLog = nullptr;
    QPushButton* m_pStart = nullptr;
    QPushButton* m_pStop = nullptr;
    QPushButton* m_pClose = nullptr;
    std::unique_ptr<CDownloadWorker> m_pWorker;
    std::shared_ptr<CPeriodOutcome> m_pOutcome;
    // A run was left to end on its own: any day's files may change.
    bool m_bAnyDay = false;
    // "20200105": the days the runs so far unpacked something for.
    std::vector<std::string> m_changed;
};
