// The view's side of the history store: a racer's record window, the store brought up to date
// after every download and when the user asks, and its progress in the status bar meanwhile.

#include "view/KeluView.h"

#include "record/HistoryService.h"
#include "record/RacerRecordWindow.h"
#include "platform/gui/QtText.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <utility>

namespace {

// Asks for a registration number: four digits, 1000 to 9999. 0 when the user cancels.
int AskRegNo(QWidget* pParent)
{
    QDialog dlg(pParent);
    dlg.setWindowTitle(Utf8("選手の成績"));
    auto* pEdit = new QLineEdit;
    pEdit->setMaxLength(4);
    pEdit->setValidator(new QIntValidator(0, 9999, pEdit));
    pEdit->setAccessibleName(Utf8("登録番号"));
    auto* pLabel = new QLabel(Utf8("登録番号(&N):"));
    pLabel->setBuddy(pEdit);
    auto* pForm = new QFormLayout;
    pForm->addRow(pLabel, pEdit);
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QPushButton* pOk = pButtons->button(QDialogButtonBox::Ok);
    pOk->setText(Utf8("表示"));
    pButtons->button(QDialogButtonBox::Cancel)->setText(Utf8("ｷｬﾝｾﾙ"));
    pOk->setEnabled(false);
    QObject::connect(pEdit, &QLineEdit::textChanged, pOk, [pEdit, pOk] {
        const int n = pEdit->text().toInt();
        pOk->setEnabled(pEdit->text().size() == 4 && n >= 1000);
    });
    QObject::connect(pButtons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(pButtons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    auto* pLayout = new QVBoxLayout(&dlg);
    pLayout->addLayout(pForm);
    pLayout->addWidget(pButtons);
    return dlg.exec() == QDialog::Accepted ? pEdit->text().toInt() : 0;
}

} // namespace

void CKeluView::SetHistoryService(CHistoryService* pHistory)
{
    m_pHistory = pHistory;
    WatchHistory();
}

CHistoryService& CKeluView::History()
{
    if (!m_pHistory) {
        m_pHistory = new CHistoryService(this);
        WatchHistory();
    }
    return *m_pHistory;
}

void CKeluView::WatchHistory()
{
    auto* pFrame = qobject_cast<QMainWindow*>(window());
    if (!m_pHistory || !pFrame)
        return;
    if (!m_pHistoryStatus) {
        m_pHistoryStatus = new QWidget(pFrame->statusBar());
        auto* pLabel = new QLabel(Utf8("履歴を更新中"));
        auto* pBar = new QProgressBar;
        pBar->setAccessibleName(pLabel->text());
        pBar->setMaximumWidth(120);
        pBar->setMaximumHeight(pLabel->sizeHint().height());
        auto* pRow = new QHBoxLayout(m_pHistoryStatus);
        pRow->setContentsMargins(0, 0, 0, 0);
        pRow->addWidget(pLabel);
        pRow->addWidget(pBar);
        pFrame->statusBar()->addPermanentWidget(m_pHistoryStatus);
        m_pHistoryStatus->hide();
    }
    auto* pBar = m_pHistoryStatus->findChild<QProgressBar*>();
    connect(m_pHistory, &CHistoryService::started, m_pHistoryStatus, [this, pBar] {
        pBar->setRange(0, 0);
        m_pHistoryStatus->show();
    });
    connect(m_pHistory, &CHistoryService::progress, pBar, [pBar](int nDone, int nTotal) {
        pBar->setRange(0, std::max(nTotal, 1));
        pBar->setValue(nDone);
    });
    connect(m_pHistory, &CHistoryService::finished, m_pHistoryStatus, [this](bool, const QString& strSummary) {
        m_pHistoryStatus->hide();
        // An update the program ran by itself and that found nothing to do has nothing to say,
        // and leaves the bar to what the user was told last (a download's word, the day's).
        const bool bAsked = std::exchange(m_bHistoryAsked, false);
        if (bAsked || !m_pHistory->LastFoundNothing())
            if (auto* pMain = qobject_cast<QMainWindow*>(window()))
                pMain->statusBar()->showMessage(strSummary, 5000);
        // The forecasts may have been made meanwhile.
        ForgetForecast();
    });
    // Said once, where the user looks for what the program is doing.
    for (auto pSignal : {&CHistoryService::modelWarning, &CHistoryService::notice})
        connect(m_pHistory, pSignal, this, [this](const QString& strText) {
            if (auto* pMain = qobject_cast<QMainWindow*>(window()))
                pMain->statusBar()->showMessage(strText, 15000);
        });
}

void CKeluView::ShowRacerRecord(int nRegNo)
{
    if (nRegNo < 1000 || nRegNo > 9999)
        return;
    auto* pWindow = new CRacerRecordWindow(nRegNo, History(), window());
    pWindow->show();
    pWindow->Refresh();
}

void CKeluView::OnRacerRecord()
{
    if (const int nRegNo = AskRegNo(window()))
        ShowRacerRecord(nRegNo);
}

void CKeluView::OnUpdateHistory()
{
    m_bHistoryAsked = true;
    History().Update();
}
