#pragma once
// The dialog of ﾌｧｲﾙ → 予想の学習: fits a new forecast model on the stored decided races of a
// period, off the window thread, with its progress and 中止. At the end it shows how the new
// model, fitted without the period's last month, forecast that month, beside the model in use;
// the user chooses whether to keep the new one, which is then fitted on the whole period.

#include "history/ForecastTraining.h"
#include "platform/gui/WorkerThread.h"

#include <QDialog>

#include <atomic>
#include <memory>

class CHistoryService;
class QDateEdit;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

class CFitForecastDlg : public QDialog {
public:
    CFitForecastDlg(CHistoryService& history, QWidget* pParent);
    // Stops the fitting and waits for it: it looks at the flag after every day and step.
    ~CFitForecastDlg() override;

    void SetPeriod(int nFrom, int nTo);
    // Starts fitting on the chosen period.
    void Start();
    bool IsFitting() const { return m_worker.IsStarted(); }
    // Keeps the new model: data/forecast.json is replaced and the stored forecasts follow it.
    bool Keep();

    QDateEdit* FromDate() const { return m_pFrom; }
    QDateEdit* ToDate() const { return m_pTo; }
    QPushButton* FitButton() const { return m_pFit; }
    QPushButton* StopButton() const { return m_pStop; }
    QPushButton* KeepButton() const { return m_pKeep; }
    QLabel* StatusLabel() const { return m_pStatus; }
    // Rows: the new model, the model in use; columns: the held-out month's figures.
    QTableWidget* Figures() const { return m_pFigures; }
    const CFitOutcome* Outcome() const { return m_pOutcome.get(); }

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    void reject() override;

private:
    void OnFitted(std::shared_ptr<CFitOutcome> pOutcome);
    void ShowFigures(const CFitOutcome& outcome);
    void StopAndWait();
    void LayOut(QLabel* pAbout, QPushButton* pClose);
    void OfferStoredPeriod();

    CHistoryService& m_history;
    CWorkerThread m_worker;
    std::atomic<bool> m_bStop{false};
    std::shared_ptr<CFitOutcome> m_pOutcome;
    QDateEdit* m_pFrom = nullptr;
    QDateEdit* m_pTo = nullptr;
    QPushButton* m_pFit = nullptr;
    QPushButton* m_pStop = nullptr;
    QPushButton* m_pKeep = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QLabel* m_pStatus = nullptr;
    QTableWidget* m_pFigures = nullptr;
};
