#include "record/RecordParts.h"

#include "history/HistoryService.h"
#include "platform/gui/QtText.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include <algorithm>

QTableWidget* NewRecordTable(const QStringList& headings)
{
    auto* pTable = new QTableWidget(0, static_cast<int>(headings.size()));
    pTable->setHorizontalHeaderLabels(headings);
    pTable->verticalHeader()->hide();
    pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    pTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    pTable->horizontalHeader()->setStretchLastSection(true);
    pTable->verticalHeader()->setDefaultSectionSize(pTable->fontMetrics().height() + 6);
    return pTable;
}

QTabWidget* NewNamedTabs(std::initializer_list<std::pair<QWidget*, QString>> pages)
{
    auto* pTabs = new QTabWidget;
    for (const auto& [pPage, strName] : pages) {
        pPage->setAccessibleName(strName);
        pTabs->addTab(pPage, strName);
    }
    return pTabs;
}

CRecordButtons NewRecordButtons(QWidget* pWindow)
{
    CRecordButtons buttons{new QHBoxLayout, new QPushButton(Utf8("CSV で保存..."))};
    buttons.pSave->setEnabled(false);
    auto* pClose = new QPushButton(Utf8("閉じる"));
    QObject::connect(pClose, &QPushButton::clicked, pWindow, &QWidget::close);
    buttons.pRow->addStretch(1);
    buttons.pRow->addWidget(buttons.pSave);
    buttons.pRow->addWidget(pClose);
    return buttons;
}

void FollowUpdate(CHistoryService& history, QProgressBar* pBar)
{
    QObject::connect(&history, &CHistoryService::progress, pBar, [pBar](int nDone, int nTotal) {
        pBar->setRange(0, std::max(nTotal, 1));
        pBar->setValue(nDone);
    });
}
