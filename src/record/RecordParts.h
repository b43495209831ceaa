#pragma once
// What the record windows (the predictions' and a racer's) are built of alike.

#include <QSize>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

class CHistoryService;
class CString;
class QHBoxLayout;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QWidget;

// A read-only table of whole rows under the headings, each column as wide as its contents.
QTableWidget* NewRecordTable(const QStringList& headings);

// A record window's first size, in lines of its font: its tables' columns are as wide as their
// headings and figures in that font, and a size in pixels left them too little room under a
// larger font or on a screen of more dots per inch, where the tables scrolled sideways.
QSize SizeInLines(const QWidget* pWindow, double dWidth, double dHeight);

// Tabs whose pages carry their tab's text as their accessible name.
QTabWidget* NewNamedTabs(std::initializer_list<std::pair<QWidget*, QString>> pages);

// The row under a record, to the right: "CSV で保存..." (off until there is a record to save)
// and "閉じる", which closes pWindow.
struct CRecordButtons {
    QHBoxLayout* pRow;
    QPushButton* pSave;
};
CRecordButtons NewRecordButtons(QWidget* pWindow);

// Writes a record's CSV to strPath whole, or leaves what was there: false when it could not.
bool WriteCsvFile(const QString& strPath, const std::string& csv);

// Asks where to save a record's CSV, offering strName, and saves it there with save; a save
// that fails is told in a message box captioned strCaption.
void SaveCsvAs(QWidget* pWindow, const QString& strName, const CString& strCaption,
               const std::function<bool(const QString&)>& save);

// The bar follows the history store's update, day by day.
void FollowUpdate(CHistoryService& history, QProgressBar* pBar);
