#include "record/FitForecastDlg.h"

#include "forecast/ModelFile.h"
#include "record/HistoryService.h"
#include "history/HistoryStore.h"
#include "history/RowKeys.h"
#include "platform/Number.h"
#include "platform/Sjis.h"
#include "platform/gui/Japanese.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/QtText.h"
#include "record/RecordParts.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

namespace {

const char* const kFigureColumns[] = {"2連単\n的中率", "2連単\n予想の的中率", "2連単\n回収率",
                                      "3連単\n的中率", "3連単\n予想の的中率", "3連単\n回収率"};

QString Percent(double d)
{
    return QString::fromStdString(PercentText(d));
}


QStringList FigureCells(const CForecastFigures& f)
{
    return {Percent(f.ExactaHitRate()),   Percent(f.ExactaExpectedRate()),   Percent(f.ExactaReturnRate()),
            Percent(f.TrifectaHitRate()), Percent(f.TrifectaExpectedRate()), Percent(f.TrifectaReturnRate())};
}

QString StageText(CForecastTraining::EStage stage, int nDone, int nTotal)
{
    switch (stage) {
    case CForecastTraining::EStage::Reading:
        return Utf8("履歴を読んでいます（%1 / %2 日）").arg(nDone).arg(nTotal);
    case CForecastTraining::EStage::Fitting:
        return Utf8("最後の 1 か月を除いて学習しています（%1 回目）").arg(nDone);
    case CForecastTraining::EStage::Refitting:
        return Utf8("期間全体で学習し直しています（%1 回目）").arg(nDone);
    }
    return QString();
}

// The figures of the held-out month, a row for each model, as tall as its two rows.
QTableWidget* NewFiguresTable()
{
    QStringList headings;
    for (const char* psz : kFigureColumns)
        headings << Utf8(psz);
    QTableWidget* pFigures = NewRecordTable(headings);
    pFigures->setAccessibleName(Utf8("学習に使わなかった最後の 1 か月の成績"));
    pFigures->setRowCount(2);
    pFigures->setVerticalHeaderLabels({Utf8("新しいモデル"), Utf8("いまのモデル")});
    pFigures->verticalHeader()->show();
    pFigures->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    pFigures->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pFigures->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pFigures->setFixedHeight(pFigures->horizontalHeader()->sizeHint().height() +
                             2 * pFigures->verticalHeader()->defaultSectionSize() + 2 * pFigures->frameWidth());
    return pFigures;
}

} // namespace

CFitForecastDlg::CFitForecastDlg(CHistoryService& history, QWidget* pParent)
    : QDialog(pParent)
    , m_history(history)
{
    setWindowTitle(Utf8("予想の学習"));
    setAccessibleName(windowTitle());
    auto* pAbout = new QLabel(Utf8("履歴の決着したレースから、予測ページの予測のモデルを学習し直します。"
                                   "期間の最後の 1 か月を除いて学習したモデルでその月を予測し、いま使っているモデルと"
                                   "比べます。新しいモデルを使うと、期間全体で学習し直したものが data/forecast.json に"
                                   "なり、履歴の予測はそのモデルのものになります。"));
    pAbout->setWordWrap(true);
    pAbout->setTextFormat(Qt::PlainText);
    const QDate today = QDate::currentDate();
    m_pFrom = NewJapaneseDateEdit(today.addMonths(-9));
    m_pFrom->setAccessibleName(Utf8("開始日"));
    m_pTo = NewJapaneseDateEdit(today);
    m_pTo->setAccessibleName(Utf8("終了日"));
    m_pFit = new QPushButton(Utf8("学習(&L)"));
    m_pStop = new QPushButton(Utf8("中止"));
    m_pStop->setEnabled(false);
    m_pProgress = new QProgressBar;
    m_pProgress->setAccessibleName(Utf8("学習の進み具合"));
    m_pProgress->setRange(0, 1);
    m_pStatus = new QLabel;
    m_pStatus->setTextFormat(Qt::PlainText);
    m_pStatus->setWordWrap(true);
    m_pFigures = NewFiguresTable();
    m_pKeep = new QPushButton(Utf8("新しいモデルを使う(&K)"));
    m_pKeep->setEnabled(false);
    auto* pClose = new QPushButton(Utf8("閉じる"));
    LayOut(pAbout, pClose);

    connect(m_pFit, &QPushButton::clicked, this, [this] { Start(); });
    connect(m_pStop, &QPushButton::clicked, this, [this] {
        m_bStop = true;
        m_pStop->setEnabled(false);
    });
    connect(m_pKeep, &QPushButton::clicked, this, [this] {
        if (Keep())
            accept();
    });
    connect(pClose, &QPushButton::clicked, this, &QDialog::reject);
    OfferStoredPeriod();
}

void CFitForecastDlg::LayOut(QLabel* pAbout, QPushButton* pClose)
{
    auto* pPeriod = new QHBoxLayout;
    for (auto [pszLabel, pField] : {std::pair<const char*, QWidget*>{"期間(&P):", m_pFrom}, {"〜", m_pTo}}) {
        auto* pLabel = new QLabel(Utf8(pszLabel));
        pLabel->setBuddy(pField);
        pPeriod->addWidget(pLabel);
        pPeriod->addWidget(pField);
    }
    pPeriod->addWidget(m_pFit);
    pPeriod->addStretch(1);
    auto* pRun = new QHBoxLayout;
    pRun->addWidget(m_pProgress, 1);
    pRun->addWidget(m_pStop);
    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch(1);
    pButtons->addWidget(m_pKeep);
    pButtons->addWidget(pClose);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pAbout);
    pLayout->addLayout(pPeriod);
    pLayout->addLayout(pRun);
    pLayout->addWidget(m_pStatus);
    pLayout->addWidget(m_pFigures);
    pLayout->addStretch(1);
    pLayout->addLayout(pButtons);
    resize(640, 320);
}

// The period the store holds, up to nine months of it, when the store answers.
void CFitForecastDlg::OfferStoredPeriod()
{
    m_history.Read(this, [this](CStoreReading& reading) -> CHistoryService::CAnswer {
        std::vector<int> dates;
        CHistoryStore* pStore = reading.Store();
        if (!pStore || !pStore->ReadDates(0, 99991231, dates) || dates.empty())
            return {};
        const int nLast = dates.back();
        const int nFirst = std::max(dates.front(), rowkey::DateOfDayNumber(rowkey::DayNumber(nLast) - 273));
        return [this, nFirst, nLast] {
            if (!IsFitting() && !m_pOutcome)
                SetPeriod(nFirst, nLast);
        };
    });
}

CFitForecastDlg::~CFitForecastDlg()
{
    StopAndWait();
}

void CFitForecastDlg::StopAndWait()
{
    m_bStop = true;
    m_worker.Join();
}

void CFitForecastDlg::SetPeriod(int nFrom, int nTo)
{
    m_pFrom->setDate(DateOfNumber(nFrom));
    m_pTo->setDate(DateOfNumber(nTo));
}

void CFitForecastDlg::Start()
{
    if (IsFitting())
        return;
    const int nFrom = DateNumber(m_pFrom->date()), nTo = DateNumber(m_pTo->date());
    if (nFrom > nTo) {
        m_pStatus->setText(Utf8("期間の始まりが終わりより後です。"));
        return;
    }
    m_bStop = false;
    m_pOutcome.reset();
    m_pFit->setEnabled(false);
    m_pKeep->setEnabled(false);
    m_pStop->setEnabled(true);
    m_pProgress->setRange(0, 0);
    m_pStatus->setText(Utf8("学習を始めます..."));
    for (int r = 0; r < m_pFigures->rowCount(); ++r)
        for (int c = 0; c < m_pFigures->columnCount(); ++c)
            m_pFigures->setItem(r, c, nullptr);
    QPointer<CFitForecastDlg> self(this);
    const int nThreads = std::max(1, QThread::idealThreadCount());
    m_worker.Start([this, self, nFrom, nTo, nThreads] {
        auto pOutcome = std::make_shared<CFitOutcome>();
        std::string strWarning;
        const CForecastModel current = CModelFile::Current(strWarning);
        CHistoryStore store;
        if (!store.Open()) {
            pOutcome->strError = store.LastError();
        } else {
            CForecastTraining::COptions options;
            options.nThreads = nThreads;
            *pOutcome = CForecastTraining::Fit(store, nFrom, nTo, current, options, m_bStop,
                                               [self](CForecastTraining::EStage stage, int nDone, int nTotal) {
                                                   const QString strText = StageText(stage, nDone, nTotal);
                                                   QMetaObject::invokeMethod(
                                                       self,
                                                       [self, strText] {
                                                           if (self)
                                                               self->m_pStatus->setText(strText);
                                                       },
                                                       Qt::QueuedConnection);
                                               });
        }
        QMetaObject::invokeMethod(
            self, [self, pOutcome] { if (self) self->OnFitted(pOutcome); }, Qt::QueuedConnection);
    });
}

void CFitForecastDlg::OnFitted(std::shared_ptr<CFitOutcome> pOutcome)
{
    m_worker.Join();
    m_pFit->setEnabled(true);
    m_pStop->setEnabled(false);
    m_pProgress->setRange(0, 1);
    m_pProgress->setValue(1);
    if (!pOutcome->bOk) {
        m_pStatus->setText(pOutcome->bStopped ? Utf8("学習を中止しました。")
                                              : Utf8("学習できませんでした: %1")
                                                    .arg(QString::fromStdString(pOutcome->strError)));
        return;
    }
    m_pOutcome = std::move(pOutcome);
    ShowFigures(*m_pOutcome);
    m_pKeep->setEnabled(true);
}

void CFitForecastDlg::ShowFigures(const CFitOutcome& outcome)
{
    QString strText = Utf8("%1〜%2 の %3 レースで学習しました（%4 秒）。")
                          .arg(DateNumberText(outcome.model.m_nFrom), DateNumberText(outcome.model.m_nTo))
                          .arg(outcome.nProgramRaces)
                          .arg(QString::fromStdString(FixedDecimals(outcome.dSeconds, 1)));
    if (outcome.nHeldOutFrom == 0) {
        m_pStatus->setText(strText + Utf8("期間が 2 か月に足りないので、最後の 1 か月での比べはしていません。"));
        return;
    }
    m_pStatus->setText(strText + Utf8("下は、学習に使わなかった %1〜%2 の %3 レースの成績です。")
                                     .arg(DateNumberText(outcome.nHeldOutFrom), DateNumberText(outcome.nHeldOutTo))
                                     .arg(outcome.heldOut.nRaces));
    const QStringList rows[] = {FigureCells(outcome.heldOut), FigureCells(outcome.current)};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < rows[r].size(); ++c) {
            auto* pItem = new QTableWidgetItem(rows[r][c]);
            // Centred under their headings, clear of the table's frame.
            pItem->setTextAlignment(Qt::AlignCenter);
            m_pFigures->setItem(r, c, pItem);
        }
}

bool CFitForecastDlg::Keep()
{
    if (!m_pOutcome)
        return false;
    std::string strError;
    if (!CModelFile::Save(CModelFile::kPath, m_pOutcome->model, strError)) {
        KeluMessageBox(this, Utf8ToSjis(strError + "。新しいモデルは使えません。"), Sjis("予想の学習"),
                       MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    // The stored forecasts follow the new model.
    m_history.Update();
    return true;
}

void CFitForecastDlg::closeEvent(QCloseEvent* pEvent)
{
    StopAndWait();
    QDialog::closeEvent(pEvent);
}

void CFitForecastDlg::reject()
{
    StopAndWait();
    QDialog::reject();
}
