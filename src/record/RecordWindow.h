#pragma once
// The window that tells how the predictions fared, read from the history store: hit rates and
// the return of a flat bet on the picks, beside the crowd's favourites over the same races, by
// venue and by month, with a chart of the months, over a period and at a venue the user
// chooses. The store is brought up to date first, off the window thread; the window shows its
// progress and can stop it.

#include "record/PredictionRecord.h"

#include <QWidget>

#include <functional>

class CHistoryService;
class QComboBox;
class QDateEdit;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;

class CRecordWindow : public QWidget {
public:
    CRecordWindow(CHistoryService& history, QWidget* pParent);
    ~CRecordWindow() override;

    // Brings the store up to date with the day files, then reads the record.
    void Start();
    bool IsRunning() const;
    // Stops this window's wait for the update (the update itself when nobody else asked for it);
    // the record is read over what the store holds.
    void Stop();
    // Reads the record of the chosen period and venue from the store, off the window thread:
    // the tables show it when the answer comes.
    void Query();
    // A question to the store is not answered yet.
    bool IsReading() const;
    // The period (YYYYMMDD, both included) and the venue (0: all) of the record shown.
    void SetPeriod(int nFrom, int nTo);
    void SetVenue(int nVenue);
    // Asked before a modal dialog opens: while a download runs the window opens none.
    void SetBusyCheck(std::function<bool()> fnBusy) { m_fnBusy = std::move(fnBusy); }
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
    QDateEdit* FromDate() const { return m_pFrom; }
    QDateEdit* ToDate() const { return m_pTo; }
    QComboBox* VenueChoice() const { return m_pVenue; }

private:
    QHBoxLayout* NewChoiceRow();
    void ShowNote();
    void OnUpdated();
    void OnSave();
    // The record read, into the status line, the tables and the chart; nFirst and nLast are the
    // first and last day the store holds.
    void ShowRecord(int nFirst, int nLast);
    void ShowTables();
    void ShowChart();
    // A month (YYYYMM) within the forecast model's training period.
    bool InTraining(int nMonth) const;

    CHistoryService& m_history;
    std::function<bool()> m_fnBusy;
    bool m_bPeriodSet = false;
    QLabel* m_pStatus = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QPushButton* m_pStop = nullptr;
    QDateEdit* m_pFrom = nullptr;
    QDateEdit* m_pTo = nullptr;
    QComboBox* m_pVenue = nullptr;
    QPushButton* m_pSave = nullptr;
    QTabWidget* m_pTabs = nullptr;
    QTableWidget* m_pVenues = nullptr;
    QTableWidget* m_pMonths = nullptr;
    QWidget* m_pChart = nullptr;
    QLabel* m_pNote = nullptr;
    CPredictionRecord m_record;
    int m_nQueries = 0, m_nAnswered = 0;
    int m_nModelFrom = 0, m_nModelTo = 0; // the forecast model's training period, YYYYMMDD
};
