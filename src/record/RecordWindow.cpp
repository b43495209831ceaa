#include "record/RecordWindow.h"

#include "record/ChartLibrary.h"
#include "record/RecordCsv.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"
#include "platform/Sjis.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/QtText.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

namespace {

constexpr QSize kWindowSize(760, 520);

// The columns of both tables, after the name of the venue or month.
const char* const kColumns[] = {"レース数", "2連単的中", "2連単的中率", "2連単回収率",
                                "3連単的中", "3連単的中率", "3連単回収率"};
constexpr int kColumnCount = 1 + static_cast<int>(std::size(kColumns));

// "54.3%": one decimal and a point, whatever the desktop's locale; a comma would read as
// another number.
QString Percent(double d)
{
    return QString::fromStdString(FixedDecimals(d, 1)) + QLatin1Char('%');
}

QStringList Figures(const SRecordCount& c)
{
    return {QString::number(c.nRaces),        QString::number(c.nExactaHits),   Percent(c.ExactaHitRate()),
            Percent(c.ExactaReturnRate()),    QString::number(c.nTrifectaHits), Percent(c.TrifectaHitRate()),
            Percent(c.TrifectaReturnRate())};
}

QString MonthName(int nMonth)
{
    return QString::fromStdString(CRecordCsv::MonthName(nMonth));
}

// "2020/01/05"
QString DayName(const CTime& day)
{
    return MonthName(day.GetYear() * 100 + day.GetMonth()) + QStringLiteral("/%1").arg(day.GetDay(), 2, 10, QLatin1Char('0'));
}

// The status line names this many days of a list; the rest are counted, and the tooltip names
// them all.
constexpr size_t kDaysNamed = 5;

// "2020/01/05、2020/01/06 他 3 日"
QString ShortDayList(const std::vector<CTime>& days)
{
    QStringList names;
    for (size_t i = 0; i < days.size() && i < kDaysNamed; ++i)
        names << DayName(days[i]);
    QString strList = names.join(Utf8("、"));
    if (days.size() > kDaysNamed)
        strList += Utf8(" 他 %1 日").arg(days.size() - kDaysNamed);
    return strList;
}

QString FullDayList(const char* pszHeading, const std::vector<CTime>& days)
{
    QStringList lines{Utf8(pszHeading)};
    for (const CTime& day : days)
        lines << DayName(day);
    return lines.join(QLatin1Char('\n'));
}

// Why days were left out of the count: the damaged ones and the demo ones, each with its dates.
struct CLeftOut {
    QString strStatus;
    QString strToolTip;
};

CLeftOut LeftOutDays(const CPredictionRecord& record)
{
    CLeftOut out;
    QStringList tips;
    if (!record.m_skippedDays.empty()) {
        out.strStatus += Utf8("（ファイルが壊れていて読めなかった日 %1 日: %2）")
                             .arg(record.m_skippedDays.size())
                             .arg(ShortDayList(record.m_skippedDays));
        tips << FullDayList("ファイルが壊れていて読めなかった日:", record.m_skippedDays);
    }
    if (!record.m_demoDays.empty()) {
        out.strStatus += Utf8("（デモの日 %1 日は架空の選手と結果なので数えていません: %2）")
                             .arg(record.m_demoDays.size())
                             .arg(ShortDayList(record.m_demoDays));
        tips << FullDayList("数えていないデモの日:", record.m_demoDays);
    }
    out.strToolTip = tips.join(QStringLiteral("\n\n"));
    return out;
}

QTableWidget* NewTable(const char* pszFirst)
{
    auto* pTable = new QTableWidget(0, kColumnCount);
    QStringList headings{Utf8(pszFirst)};
    for (const char* psz : kColumns)
        headings << Utf8(psz);
    pTable->setHorizontalHeaderLabels(headings);
    pTable->verticalHeader()->hide();
    pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    pTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    pTable->horizontalHeader()->setMinimumSectionSize(pTable->fontMetrics().horizontalAdvance(Utf8("3連単回収率")) + 12);
    pTable->verticalHeader()->setDefaultSectionSize(pTable->fontMetrics().height() + 6);
    return pTable;
}

void AddRow(QTableWidget* pTable, const QString& strName, const SRecordCount& c)
{
    const int nRow = pTable->rowCount();
    pTable->insertRow(nRow);
    pTable->setItem(nRow, 0, new QTableWidgetItem(strName));
    const QStringList figures = Figures(c);
    for (int i = 0; i < figures.size(); ++i) {
        auto* pItem = new QTableWidgetItem(figures[i]);
        pItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        pTable->setItem(nRow, i + 1, pItem);
    }
}

} // namespace

CRecordWindow::CRecordWindow(QWidget* pParent)
    : QWidget(pParent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Utf8("予想の成績"));
    setAccessibleName(windowTitle());
    resize(kWindowSize);

    m_pStatus = new QLabel;
    m_pStatus->setTextFormat(Qt::PlainText);
    m_pStatus->setWordWrap(true);
    m_pProgress = new QProgressBar;
    m_pProgress->setAccessibleName(Utf8("進み具合"));
    m_pStop = new QPushButton(Utf8("中止"));
    m_pVenues = NewTable("レース場");
    m_pVenues->setAccessibleName(Utf8("レース場別"));
    m_pMonths = NewTable("月");
    m_pMonths->setAccessibleName(Utf8("月別"));
    m_pChart = NewChartView();
    m_pChart->setAccessibleName(Utf8("月別の的中率"));
    m_pTabs = new QTabWidget;
    m_pTabs->addTab(m_pVenues, Utf8("レース場別"));
    m_pTabs->addTab(m_pMonths, Utf8("月別"));
    m_pTabs->addTab(m_pChart, Utf8("月別の的中率"));
    m_pSave = new QPushButton(Utf8("CSV で保存..."));
    auto* pClose = new QPushButton(Utf8("閉じる"));

    auto* pNote = new QLabel(Utf8("的中: 2連単は予想の上位 6 点、3連単は上位 12 点に結果が入ったレース。"
                                  "回収率: その各点に 100 円ずつ賭けたときの払戻金 ÷ 賭け金。"));
    pNote->setWordWrap(true);
    pNote->setTextFormat(Qt::PlainText);

    auto* pRun = new QHBoxLayout;
    pRun->addWidget(m_pProgress, 1);
    pRun->addWidget(m_pStop);
    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch(1);
    pButtons->addWidget(m_pSave);
    pButtons->addWidget(pClose);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pStatus);
    pLayout->addLayout(pRun);
    pLayout->addWidget(m_pTabs, 1);
    pLayout->addWidget(pNote);
    pLayout->addLayout(pButtons);

    connect(m_pStop, &QPushButton::clicked, this, &CRecordWindow::Stop);
    connect(m_pSave, &QPushButton::clicked, this, &CRecordWindow::OnSave);
    connect(pClose, &QPushButton::clicked, this, &QWidget::close);
}

CRecordWindow::~CRecordWindow()
{
    // The workers check the flag after every day: the wait is short.
    m_bStop = true;
    if (m_pThread) {
        m_pThread->wait();
        delete m_pThread;
    }
}

void CRecordWindow::Start()
{
    if (IsRunning())
        return;
    delete m_pThread;
    m_bStop = false;
    m_record = CPredictionRecord();
    const std::vector<CTime> days = FindRecordedDays();
    m_nDays = static_cast<int>(days.size());
    m_pProgress->setRange(0, std::max(m_nDays, 1));
    m_pProgress->setValue(0);
    m_pStop->setEnabled(true);
    m_pSave->setEnabled(false);
    m_pStatus->setText(Utf8("data/prog と data/res の %1 日分を集計しています...").arg(m_nDays));
    m_pStatus->setToolTip(QString());
    QPointer<CRecordWindow> self(this);
    const int nThreads = std::max(1, QThread::idealThreadCount());
    m_pThread = QThread::create([this, self, days, nThreads] {
        CPredictionRecord record = RecordDays(days, nThreads, m_bStop, [self](int nDone) {
            QMetaObject::invokeMethod(self, [self, nDone] { if (self) self->OnProgress(nDone); }, Qt::QueuedConnection);
        });
        // Handed over before the thread ends; the window reads it once the thread has finished.
        m_record = std::move(record);
    });
    connect(m_pThread, &QThread::finished, this, &CRecordWindow::OnFinished);
    m_pThread->start();
}

bool CRecordWindow::IsRunning() const
{
    return m_pThread && m_pThread->isRunning();
}

void CRecordWindow::Stop()
{
    m_bStop = true;
    m_pStop->setEnabled(false);
}

void CRecordWindow::OnProgress(int nDone)
{
    m_pProgress->setValue(nDone);
}

void CRecordWindow::OnFinished()
{
    m_pStop->setEnabled(false);
    m_pSave->setEnabled(true);
    const int nRead = m_record.m_nDays + static_cast<int>(m_record.m_skippedDays.size() + m_record.m_demoDays.size());
    m_pProgress->setValue(nRead);
    const CLeftOut leftOut = LeftOutDays(m_record);
    QString strStatus = Utf8("%1 日、%2 レース").arg(m_record.m_nDays).arg(m_record.m_total.nRaces) + leftOut.strStatus;
    if (nRead < m_nDays)
        strStatus += Utf8("。中止しました（%1 日のうち %2 日まで）").arg(m_nDays).arg(nRead);
    m_pStatus->setText(strStatus);
    m_pStatus->setToolTip(leftOut.strToolTip);
    ShowTables();
    ShowChart();
}

void CRecordWindow::ShowTables()
{
    for (QTableWidget* pTable : {m_pVenues, m_pMonths})
        pTable->setRowCount(0);
    for (const auto& [v, c] : m_record.m_byVenue)
        AddRow(m_pVenues, ToQString(CKeluDoc::GetVenueName(v)), c);
    for (const auto& [m, c] : m_record.m_byMonth)
        AddRow(m_pMonths, MonthName(m), c);
    for (QTableWidget* pTable : {m_pVenues, m_pMonths})
        AddRow(pTable, Utf8("合計"), m_record.m_total);
}

void CRecordWindow::ShowChart()
{
    if (!ChartLibrary().pfnShowMonths)
        return;
    CMonthChart chart;
    chart.strTitle = Utf8("月別の的中率");
    chart.strAxisTitle = Utf8("的中率");
    CMonthChart::CLine exacta{Utf8("2連単（上位 6 点）"), {}};
    CMonthChart::CLine trifecta{Utf8("3連単（上位 12 点）"), {}};
    for (const auto& [m, c] : m_record.m_byMonth) {
        exacta.rates << c.ExactaHitRate();
        trifecta.rates << c.TrifectaHitRate();
        chart.months << m;
    }
    chart.lines = {exacta, trifecta};
    ChartLibrary().pfnShowMonths(m_pChart, chart);
}

bool CRecordWindow::SaveCsv(const QString& strPath) const
{
    QSaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const std::string csv = CRecordCsv::Write(m_record);
    return file.write(csv.data(), static_cast<qint64>(csv.size())) == static_cast<qint64>(csv.size()) && file.commit();
}

void CRecordWindow::OnSave()
{
    const QString strPath = QFileDialog::getSaveFileName(this, Utf8("CSV で保存"), Utf8("予想の成績.csv"),
                                                         Utf8("CSV ファイル (*.csv)"));
    if (strPath.isEmpty())
        return;
    if (!SaveCsv(strPath))
        KeluMessageBox(this, FromQString(Utf8("%1 に書き込めませんでした。").arg(strPath)), Sjis("予想の成績"),
                       MB_OK | MB_ICONEXCLAMATION);
}

void CRecordWindow::closeEvent(QCloseEvent* pEvent)
{
    m_bStop = true;
    QWidget::closeEvent(pEvent);
}
