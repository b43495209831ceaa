#pragma once
// What the record windows (the predictions' and a racer's) are built of alike.

#include <QStringList>

#include <initializer_list>
#include <utility>

class CHistoryService;
class QHBoxLayout;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QWidget;

// A read-only table of whole rows under the headings, each column as wide as its contents.
QTableWidget* NewRecordTable(const QStringList& headings);

// Tabs whose pages carry their tab's text as their accessible name.
QTabWidget* NewNamedTabs(std::initializer_list<std::pair<QWidget*, QString>> pages);

// The row under a record, to the right: "CSV で保存..." (off until there is a record to save)
// and "閉じる", which closes pWindow.
struct CRecordButtons {
    QHBoxLayout* pRow;
    QPushButton* pSave;
};
CRecordButtons NewRecordButtons(QWidget* pWindow);

// The bar follows the history store's update, day by day.
void FollowUpdate(CHistoryService& history, QProgressBar* pBar);
