#pragma once
// "選手の成績": one racer over every stored day. The figures a bettor reads first (starts, wins,
// the top-two and top-three rates, the average start timing), every race newest first, a table
// by course and a chart of places over time; the races can be saved as CSV. The window brings
// the history store up to date first, showing its progress, then reads it.

#include "history/RacerRecord.h"

#include <QWidget>

class CHistoryService;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;

class CRacerRecordWindow : public QWidget {
public:
    CRacerRecordWindow(int nRegNo, CHistoryService& history, QWidget* pParent);
    ~CRacerRecordWindow() override;

    // Reads the racer from the store (the update, if one runs, is waited for first), off the
    // window thread.
    void Refresh();
    // A question to the store is not answered yet.
    bool IsReading() const;
    // The races as CSV in UTF-8 with a header row; false when the file could not be written.
    bool SaveCsv(const QString& strPath) const;

    int RegNo() const { return m_nRegNo; }
    const CRacerRecord& Record() const { return m_record; }
    QLabel* Figures() const { return m_pFigures; }
    QLabel* StatusLabel() const { return m_pStatus; }
    QTableWidget* RaceTable() const { return m_pRaces; }
    QTableWidget* CourseTable() const { return m_pCourses; }
    QWidget* Chart() const { return m_pChart; }
    QPushButton* SaveButton() const { return m_pSave; }

private:
    void Read();
    void Show(const QString& strWarning);
    void ShowRecord();
    void ShowCourses();
    void ShowChart();
    void OnSave();

    int m_nRegNo;
    CHistoryService& m_history;
    CRacerRecord m_record;
    QLabel* m_pStatus = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QLabel* m_pFigures = nullptr;
    QTabWidget* m_pTabs = nullptr;
    QTableWidget* m_pRaces = nullptr;
    QTableWidget* m_pCourses = nullptr;
    QWidget* m_pChart = nullptr;
    QPushButton* m_pSave = nullptr;
    int m_nQueries = 0, m_nAnswered = 0;
};
