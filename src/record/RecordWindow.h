#pragma once
// The window that tells how the predictions fared over every day on disk: hit rates and the
// return of a flat bet on the picks, by venue and by month, with a chart of the months. The
// counting runs on worker threads; the window shows its progress and can stop it.

#include "record/PredictionRecord.h"

#include <QWidget>

#include <atomic>

class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QThread;


class CRecordWindow : public QWidget {
public:
    explicit CRecordWindow(QWidget* pParent);
    ~CRecordWindow() override;

    // Counts the days on disk anew.
    void Start();
    bool IsRunning() const;
    // Stops the counting; what was counted is shown.
    void Stop();
    // Writes the record as CSV (record/RecordCsv.h: venues, months, total, Kelu's picks and
    // the crowd's), as kelu-history writes it; false when the file could not be written.
    bool SaveCsv(const QString& strPath) const;

    const CPredictionRecord& Record() const { return m_record; }
    QTableWidget* VenueTable() const { return m_pVenues; }
    QTableWidget* MonthTable() const { return m_pMonths; }
    // The chart of the months: a QChartView of libkelu_chart.so, or a note that it is missing.
    QWidget* Chart() const { return m_pChart; }
    QLabel* StatusLabel() const { return m_pStatus; }
    QPushButton* StopButton() const { return m_pStop; }
    QPushButton* SaveButton() const { return m_pSave; }

protected:
    void closeEvent(QCloseEvent* pEvent) override;

private:
    void OnProgress(int nDone);
    void OnFinished();
    void OnSave();
    void ShowTables();
    void ShowChart();

    QLabel* m_pStatus = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QPushButton* m_pStop = nullptr;
    QPushButton* m_pSave = nullptr;
    QTabWidget* m_pTabs = nullptr;
    QTableWidget* m_pVenues = nullptr;
    QTableWidget* m_pMonths = nullptr;
    QWidget* m_pChart = nullptr;
    QThread* m_pThread = nullptr;
    std::atomic<bool> m_bStop{false};
    int m_nDays = 0;
    CPredictionRecord m_record;
};
