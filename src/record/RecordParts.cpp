#include "record/RecordParts.h"

#include "record/HistoryService.h"
#include "platform/TextFile.h"
#include "platform/gui/Japanese.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/QtText.h"

#include <QFile>
#include <QFileDialog>
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

QSize SizeInLines(const QWidget* pWindow, double dWidth, double dHeight)
{
    const int nLine = pWindow->fontMetrics().height();
    return QSize(qRound(dWidth * nLine), qRound(dHeight * nLine));
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

bool WriteCsvFile(const QString& strPath, const std::string& csv)
{
    return ReplaceFileAtomically(CString(QFile::encodeName(strPath).toStdString()), csv);
}

void SaveCsvAs(QWidget* pWindow, const QString& strName, const CString& strCaption,
               const std::function<bool(const QString&)>& save)
{
    QFileDialog dlg(pWindow, Utf8("CSV で保存"), strName, Utf8("CSV ファイル (*.csv)"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    UseJapaneseFileList(&dlg);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    const QString strPath = dlg.selectedFiles().constFirst();
    if (!save(strPath))
        KeluMessageBox(pWindow, FromQString(Utf8("%1 に書き込めませんでした。").arg(strPath)), strCaption,
                       MB_OK | MB_ICONEXCLAMATION);
}

void FollowUpdate(CHistoryService& history, QProgressBar* pBar)
{
    QObject::connect(&history, &CHistoryService::progress, pBar, [pBar](int nDone, int nTotal) {
        pBar->setRange(0, std::max(nTotal, 1));
        pBar->setValue(nDone);
    });
}
