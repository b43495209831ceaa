#include "record/RecordWindow.h"

#include "record/ChartLibrary.h"
#include "record/RecordParts.h"
#include "record/RecordCsv.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"
#include "platform/Sjis.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/Japanese.h"
#include "platform/gui/QtText.h"
#include "platform/gui/WindowFit.h"
#include "history/HistoryService.h"
#include "history/HistoryStore.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <map>

namespace {

constexpr QSize kWindowSize(900, 560);

// The columns of both tables, after the name of the venue or month: Kelu's picks, then the
// crowd's favourites over the same races.
const char* const kColumns[] = {"レース数",       "2連単的中",      "2連単的中率",    "2連単回収率",
                                "3連単的中",      "3連単的中率",    "3連単回収率",    "人気上位2連単的中率",
                                "人気上位2連単回収率", "人気上位3連単的中率", "人気上位3連単回収率"};

// "54.3%": one decimal and a point, whatever the desktop's locale; a comma would read as
// another number.
QString Percent(double d)
{
    return QString::fromStdString(FixedDecimals(d, 1)) + QLatin1Char('%');
}

QStringList Figures(const SRecordCount& c)
{
    return {QString::number(c.nRaces),          QString::number(c.nExactaHits),   Percent(c.ExactaHitRate()),
            Percent(c.ExactaReturnRate()),      QString::number(c.nTrifectaHits), Percent(c.TrifectaHitRate()),
            Percent(c.TrifectaReturnRate()),    Percent(c.CrowdExactaHitRate()),  Percent(c.CrowdExactaReturnRate()),
            Percent(c.CrowdTrifectaHitRate()), Percent(c.CrowdTrifectaReturnRate())};
}

int DateNumber(const QDate& date)
{
    return date.year() * 10000 + date.month() * 100 + date.day();
}

QDate DateOfNumber(int nDate)
{
    return QDate(nDate / 10000, nDate / 100 % 100, nDate % 100);
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
    QStringList headings{Utf8(pszFirst)};
    for (const char* psz : kColumns)
        headings << Utf8(psz);
    return NewRecordTable(headings);
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

CRecordWindow::CRecordWindow(CHistoryService& history, QWidget* pParent)
    : QWidget(pParent, Qt::Window)
    , m_history(history)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Utf8("予想の成績"));
    setAccessibleName(windowTitle());
    resize(kWindowSize);

    m_pStatus = new QLabel;
    m_pStatus->setTextFormat(Qt::PlainText);
    m_pStatus->setWordWrap(true);
    m_pProgress = new QProgressBar;
    m_pProgress->setAccessibleName(Utf8("履歴の更新"));
    m_pStop = new QPushButton(Utf8("中止"));
    m_pStop->setEnabled(false);
    // The period and the venue: the record follows each change at once.
    m_pFrom = NewJapaneseDateEdit(QDate::currentDate());
    m_pFrom->setAccessibleName(Utf8("開始日"));
    m_pTo = NewJapaneseDateEdit(QDate::currentDate());
    m_pTo->setAccessibleName(Utf8("終了日"));
    m_pVenue = new QComboBox;
    m_pVenue->setAccessibleName(Utf8("レース場"));
    m_pVenue->addItem(Utf8("全レース場"), 0);
    for (int v = 1; v < CKeluDoc::kVenues; ++v)
        m_pVenue->addItem(QStringLiteral("%1 ").arg(v, 2, 10, QLatin1Char('0')) + ToQString(CKeluDoc::GetVenueName(v)), v);
    auto* pWhole = new QPushButton(Utf8("全期間"));
    m_pVenues = NewTable("レース場");
    m_pMonths = NewTable("月");
    m_pChart = NewChartView();
    m_pTabs = NewNamedTabs(
        {{m_pVenues, Utf8("レース場別")}, {m_pMonths, Utf8("月別")}, {m_pChart, Utf8("月別の的中率")}});
    const CRecordButtons buttons = NewRecordButtons(this);
    m_pSave = buttons.pSave;

    auto* pNote = new QLabel(Utf8("的中: 2連単は予想の上位 6 点、3連単は上位 12 点に結果が入ったレース。"
                                  "人気上位: 同じレースで人気 1〜6 位の 2連単、1〜12 位の 3連単。"
                                  "回収率: その各点に 100 円ずつ賭けたときの払戻金 ÷ 賭け金。"));
    pNote->setWordWrap(true);
    pNote->setTextFormat(Qt::PlainText);

    auto* pRun = new QHBoxLayout;
    pRun->addWidget(m_pProgress, 1);
    pRun->addWidget(m_pStop);
    auto* pChoice = new QHBoxLayout;
    for (auto [pszLabel, pField] : {std::pair<const char*, QWidget*>{"期間(&P):", m_pFrom}, {"〜", m_pTo},
                                    {"レース場(&V):", m_pVenue}}) {
        auto* pLabel = new QLabel(Utf8(pszLabel));
        pLabel->setBuddy(pField);
        pChoice->addWidget(pLabel);
        pChoice->addWidget(pField);
    }
    pChoice->addWidget(pWhole);
    pChoice->addStretch(1);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pStatus);
    pLayout->addLayout(pRun);
    pLayout->addLayout(pChoice);
    pLayout->addWidget(m_pTabs, 1);
    pLayout->addWidget(pNote);
    pLayout->addLayout(buttons.pRow);

    connect(m_pStop, &QPushButton::clicked, this, [this] { Stop(); });
    connect(m_pSave, &QPushButton::clicked, this, [this] { OnSave(); });
    connect(pWhole, &QPushButton::clicked, this, [this] {
        m_bPeriodSet = false;
        Query();
    });
    for (QDateEdit* pDate : {m_pFrom, m_pTo})
        connect(pDate, &QDateEdit::dateChanged, this, [this] {
            m_bPeriodSet = true;
            Query();
        });
    connect(m_pVenue, &QComboBox::activated, this, [this] { Query(); });
    FollowUpdate(m_history, m_pProgress);
    connect(&m_history, &CHistoryService::finished, this, [this] { OnUpdated(); });
    PlaceOnScreen(this, pParent);
}

void CRecordWindow::Start()
{
    m_pProgress->setRange(0, 0);
    m_pStop->setEnabled(true);
    m_pSave->setEnabled(false);
    m_pStatus->setText(Utf8("履歴を data/prog と data/res のファイルに合わせて更新しています..."));
    m_pStatus->setToolTip(QString());
    m_history.Update();
}

bool CRecordWindow::IsRunning() const
{
    return m_history.IsUpdating();
}

void CRecordWindow::Stop()
{
    m_history.Stop();
    m_pStop->setEnabled(false);
}

void CRecordWindow::OnUpdated()
{
    if (m_history.IsUpdating())
        return;
    m_pStop->setEnabled(false);
    m_pProgress->setRange(0, 1);
    m_pProgress->setValue(1);
    Query();
}

void CRecordWindow::SetPeriod(int nFrom, int nTo)
{
    {
        const QSignalBlocker quietFrom(m_pFrom), quietTo(m_pTo);
        m_pFrom->setDate(DateOfNumber(nFrom));
        m_pTo->setDate(DateOfNumber(nTo));
    }
    m_bPeriodSet = true;
    Query();
}

void CRecordWindow::SetVenue(int nVenue)
{
    m_pVenue->setCurrentIndex(std::max(0, m_pVenue->findData(nVenue)));
    Query();
}

void CRecordWindow::Query()
{
    if (m_history.IsUpdating())
        return;
    CHistoryStore store;
    CRecordQuery query;
    query.nVenue = m_pVenue->currentData().toInt();
    if (m_bPeriodSet) {
        query.nFrom = DateNumber(m_pFrom->date());
        query.nTo = DateNumber(m_pTo->date());
    }
    m_record = CPredictionRecord();
    if (!store.Open() || !store.QueryRecord(query, m_record)) {
        m_pStatus->setText(Utf8("履歴を読めませんでした: %1").arg(QString::fromStdString(store.LastError())));
        return;
    }
    // The whole period shows the first and last day the store holds.
    if (!m_bPeriodSet) {
        std::map<int, CDayState> days;
        if (store.StoredDays(days) && !days.empty()) {
            const QSignalBlocker quietFrom(m_pFrom), quietTo(m_pTo);
            m_pFrom->setDate(DateOfNumber(days.begin()->first));
            m_pTo->setDate(DateOfNumber(days.rbegin()->first));
        }
    }
    const CLeftOut leftOut = LeftOutDays(m_record);
    m_pStatus->setText(Utf8("%1 日、%2 レース").arg(m_record.m_nDays).arg(m_record.m_total.nRaces) + leftOut.strStatus);
    m_pStatus->setToolTip(leftOut.strToolTip);
    m_pSave->setEnabled(true);
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
    // Kelu's picks in solid lines, the crowd's favourites over the same races dashed.
    CMonthChart::CLine exacta{Utf8("2連単（上位 6 点）"), {}};
    CMonthChart::CLine trifecta{Utf8("3連単（上位 12 点）"), {}};
    CMonthChart::CLine crowdExacta{Utf8("2連単（人気 1〜6 位）"), {}, true};
    CMonthChart::CLine crowdTrifecta{Utf8("3連単（人気 1〜12 位）"), {}, true};
    for (const auto& [m, c] : m_record.m_byMonth) {
        exacta.rates << c.ExactaHitRate();
        trifecta.rates << c.TrifectaHitRate();
        crowdExacta.rates << c.CrowdExactaHitRate();
        crowdTrifecta.rates << c.CrowdTrifectaHitRate();
        chart.months << m;
    }
    chart.lines = {exacta, trifecta, crowdExacta, crowdTrifecta};
    ChartLibrary().pfnShowMonths(m_pChart, chart);
}

bool CRecordWindow::SaveCsv(const QString& strPath) const
{
    return WriteCsvFile(strPath, CRecordCsv::Write(m_record));
}

void CRecordWindow::OnSave()
{
    // The save dialog is a modal loop of its own; none opens while a download runs.
    if (m_fnBusy && m_fnBusy()) {
        KeluMessageBox(this, Sjis("ダウンロード中は保存できません。ダウンロードが終わってから保存してください。"),
                       Sjis("予想の成績"), MB_OK | MB_ICONINFORMATION);
        return;
    }
    SaveCsvAs(this, Utf8("予想の成績.csv"), Sjis("予想の成績"),
              [this](const QString& strPath) { return SaveCsv(strPath); });
}
