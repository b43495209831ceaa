#include "record/RecordWindow.h"

#include "forecast/ModelFile.h"
#include "record/ChartLibrary.h"
#include "record/GroupedHeader.h"
#include "record/RecordParts.h"
#include "record/RecordCsv.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"
#include "platform/Sjis.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/Japanese.h"
#include "platform/gui/QtText.h"
#include "platform/gui/WindowFit.h"
#include "record/HistoryService.h"
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

#include <array>
#include <iterator>
#include <map>

namespace {

// In lines of the window's font (record/RecordParts.h): about 900 x 560 pixels under a font of
// 14 pixels a line, room for every column of the tables with their usual figures.
constexpr double kWindowWidth = 64, kWindowHeight = 40;

// The columns of both tables after the name of the venue or month: the race count, then the
// same four figures for each of the three predictors over the same races, grouped under the
// predictor's name in the heading's upper row.
const char* const kFigureColumns[] = {"2連単\n的中率", "2連単\n回収率", "3連単\n的中率", "3連単\n回収率"};
const char* const kPredictors[] = {"選手指数の予想", "人気上位", "予測"};
constexpr int kFirstFigure = 2;

// "54.3%": one decimal and a point, whatever the desktop's locale; a comma would read as
// another number.
QString Percent(double d)
{
    return QString::fromStdString(PercentText(d));
}

// A predictor's four figures, and the hits the rates are of.
struct CPredictorFigures {
    double dExactaHit, dExactaReturn, dTrifectaHit, dTrifectaReturn;
    long long nExactaHits, nTrifectaHits;
};

std::array<CPredictorFigures, 3> Predictors(const SRecordCount& c)
{
    return {{{c.ExactaHitRate(), c.ExactaReturnRate(), c.TrifectaHitRate(), c.TrifectaReturnRate(), c.nExactaHits,
              c.nTrifectaHits},
             {c.CrowdExactaHitRate(), c.CrowdExactaReturnRate(), c.CrowdTrifectaHitRate(), c.CrowdTrifectaReturnRate(),
              c.nCrowdExactaHits, c.nCrowdTrifectaHits},
             {c.ForecastExactaHitRate(), c.ForecastExactaReturnRate(), c.ForecastTrifectaHitRate(),
              c.ForecastTrifectaReturnRate(), c.nForecastExactaHits, c.nForecastTrifectaHits}}};
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

CTime DateTime(int nDate)
{
    return CTime(nDate / 10000, nDate / 100 % 100, nDate % 100, 12, 0, 0);
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
    QStringList headings{Utf8(pszFirst), Utf8("レース数")};
    std::vector<CGroupedHeader::CGroup> groups;
    for (const char* pszPredictor : kPredictors) {
        groups.push_back({static_cast<int>(headings.size()), static_cast<int>(std::size(kFigureColumns)),
                          Utf8(pszPredictor)});
        for (const char* psz : kFigureColumns)
            headings << Utf8(psz);
    }
    QTableWidget* pTable = NewRecordTable(headings);
    auto* pHeader = new CGroupedHeader(std::move(groups), pTable);
    pTable->setHorizontalHeader(pHeader);
    pHeader->setSectionResizeMode(QHeaderView::ResizeToContents);
    // A reader of the screen hears the predictor with each column, as the eye sees it above.
    for (int nCol = 0; nCol < pTable->columnCount(); ++nCol) {
        QTableWidgetItem* pItem = pTable->horizontalHeaderItem(nCol);
        const CGroupedHeader::CGroup* pGroup = pHeader->GroupOf(nCol);
        const QString strText = pItem->text().replace(QLatin1Char('\n'), QString());
        pItem->setData(Qt::AccessibleTextRole, pGroup ? pGroup->strName + QLatin1Char(' ') + strText : strText);
    }
    return pTable;
}

QTableWidgetItem* FigureItem(const QString& strText, const QString& strToolTip = QString())
{
    auto* pItem = new QTableWidgetItem(strText);
    pItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pItem->setToolTip(strToolTip);
    return pItem;
}

void AddRow(QTableWidget* pTable, const QString& strName, const SRecordCount& c, const QString& strNameTip = {})
{
    const int nRow = pTable->rowCount();
    pTable->insertRow(nRow);
    auto* pName = new QTableWidgetItem(strName);
    pName->setToolTip(strNameTip);
    pTable->setItem(nRow, 0, pName);
    pTable->setItem(nRow, 1, FigureItem(QString::number(c.nRaces)));
    int nCol = kFirstFigure;
    for (const CPredictorFigures& f : Predictors(c)) {
        pTable->setItem(nRow, nCol++, FigureItem(Percent(f.dExactaHit), Utf8("的中 %1 レース").arg(f.nExactaHits)));
        pTable->setItem(nRow, nCol++, FigureItem(Percent(f.dExactaReturn)));
        pTable->setItem(nRow, nCol++, FigureItem(Percent(f.dTrifectaHit), Utf8("的中 %1 レース").arg(f.nTrifectaHits)));
        pTable->setItem(nRow, nCol++, FigureItem(Percent(f.dTrifectaReturn)));
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
    resize(SizeInLines(this, kWindowWidth, kWindowHeight));

    m_pStatus = new QLabel;
    m_pStatus->setTextFormat(Qt::PlainText);
    m_pStatus->setWordWrap(true);
    m_pProgress = new QProgressBar;
    m_pProgress->setAccessibleName(Utf8("履歴の更新"));
    m_pStop = new QPushButton(Utf8("中止"));
    m_pStop->setEnabled(false);
    m_pVenues = NewTable("レース場");
    m_pMonths = NewTable("月");
    m_pChart = NewChartView();
    m_pTabs = NewNamedTabs(
        {{m_pVenues, Utf8("レース場別")}, {m_pMonths, Utf8("月別")}, {m_pChart, Utf8("月別の的中率")}});
    const CRecordButtons buttons = NewRecordButtons(this);
    m_pSave = buttons.pSave;
    m_pNote = new QLabel;
    m_pNote->setWordWrap(true);
    m_pNote->setTextFormat(Qt::PlainText);

    auto* pRun = new QHBoxLayout;
    pRun->addWidget(m_pProgress, 1);
    pRun->addWidget(m_pStop);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pStatus);
    pLayout->addLayout(pRun);
    pLayout->addLayout(NewChoiceRow());
    pLayout->addWidget(m_pTabs, 1);
    pLayout->addWidget(m_pNote);
    pLayout->addLayout(buttons.pRow);
    ShowNote();

    connect(m_pStop, &QPushButton::clicked, this, [this] { Stop(); });
    connect(m_pSave, &QPushButton::clicked, this, [this] { OnSave(); });
    FollowUpdate(m_history, m_pProgress);
    connect(&m_history, &CHistoryService::finished, this, [this] { OnUpdated(); });
    PlaceOnScreen(this, pParent);
}

QHBoxLayout* CRecordWindow::NewChoiceRow()
{
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
    return pChoice;
}

void CRecordWindow::ShowNote()
{
    QString strNote = Utf8("的中: 2連単は上位 6 点、3連単は上位 12 点に結果が入ったレース。選手指数の予想: 詳細ページの予想。"
                           "人気上位: 同じレースで人気 1〜6 位の 2連単、1〜12 位の 3連単。予測: 予測ページの予測。"
                           "回収率: その各点に 100 円ずつ賭けたときの払戻金 ÷ 賭け金。");
    if (m_nModelFrom != 0)
        strNote += Utf8("「＊」の月は予測のモデルの学習期間（%1〜%2）に入り、その予測の成績は学習したレースのものです。")
                       .arg(DayName(DateTime(m_nModelFrom)), DayName(DateTime(m_nModelTo)));
    m_pNote->setText(strNote);
}

void CRecordWindow::Start()
{
    m_pProgress->setRange(0, 0);
    m_pStop->setEnabled(true);
    m_pSave->setEnabled(false);
    m_pStatus->setText(Utf8("履歴を data/prog と data/res のファイルに合わせて更新しています..."));
    m_pStatus->setToolTip(QString());
    m_history.Update(this);
}

CRecordWindow::~CRecordWindow()
{
    // Closing the window ends its own work; an update another asked for goes on.
    m_history.Stop(this);
}

bool CRecordWindow::IsRunning() const
{
    return m_history.IsUpdating();
}

void CRecordWindow::Stop()
{
    m_history.Stop(this);
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
    CRecordQuery query;
    query.nVenue = m_pVenue->currentData().toInt();
    const bool bPeriodSet = m_bPeriodSet;
    if (bPeriodSet) {
        query.nFrom = DateNumber(m_pFrom->date());
        query.nTo = DateNumber(m_pTo->date());
        // No day lies between them: said, not shown as an empty record.
        if (query.nFrom > query.nTo) {
            ++m_nQueries;
            m_nAnswered = m_nQueries;
            m_record = CPredictionRecord();
            ShowTables();
            ShowChart();
            m_pStatus->setText(Utf8("期間の始まりが終わりより後です。開始日を終了日と同じ日か、それより前にしてください。"));
            m_pSave->setEnabled(false);
            return;
        }
    }
    // The store is read off the window thread; the answer to the last question asked is the
    // one shown.
    const int nQuery = ++m_nQueries;
    m_history.Read(this, [this, query, bPeriodSet, nQuery](CStoreReading& reading) -> CHistoryService::CAnswer {
        CPredictionRecord record;
        std::map<int, CDayState> days;
        std::string strError;
        CHistoryStore* pStore = reading.Store();
        if (!pStore || !pStore->QueryRecord(query, record) || (!bPeriodSet && !pStore->StoredDays(days)))
            strError = pStore ? pStore->LastError() : reading.Error();
        const CForecastModel& model = reading.Model();
        const int nModelFrom = model.IsUsable() ? model.m_nFrom : 0, nModelTo = model.IsUsable() ? model.m_nTo : 0;
        const int nFirst = days.empty() ? 0 : days.begin()->first, nLast = days.empty() ? 0 : days.rbegin()->first;
        return [this, nQuery, record, strError, nFirst, nLast, nModelFrom, nModelTo] {
            if (nQuery != m_nQueries)
                return;
            m_nAnswered = nQuery;
            m_nModelFrom = nModelFrom;
            m_nModelTo = nModelTo;
            ShowNote();
            if (!strError.empty()) {
                m_pStatus->setText(Utf8("履歴を読めませんでした: %1").arg(QString::fromStdString(strError)));
                return;
            }
            m_record = record;
            ShowRecord(nFirst, nLast);
        };
    });
}

bool CRecordWindow::IsReading() const
{
    return m_nAnswered != m_nQueries;
}

void CRecordWindow::ShowRecord(int nFirst, int nLast)
{
    // The whole period shows the first and last day the store holds.
    if (!m_bPeriodSet && nFirst != 0) {
        const QSignalBlocker quietFrom(m_pFrom), quietTo(m_pTo);
        m_pFrom->setDate(DateOfNumber(nFirst));
        m_pTo->setDate(DateOfNumber(nLast));
    }
    const CLeftOut leftOut = LeftOutDays(m_record);
    QString strStatus = Utf8("%1 日、%2 レース").arg(m_record.m_nDays).arg(m_record.m_total.nRaces) + leftOut.strStatus;
    if (!m_history.UpdateWarning().isEmpty())
        strStatus += QLatin1Char('\n') + m_history.UpdateWarning();
    m_pStatus->setText(strStatus);
    m_pStatus->setToolTip(leftOut.strToolTip);
    m_pSave->setEnabled(true);
    ShowTables();
    ShowChart();
}

bool CRecordWindow::InTraining(int nMonth) const
{
    return m_nModelFrom != 0 && nMonth >= m_nModelFrom / 100 && nMonth <= m_nModelTo / 100;
}

void CRecordWindow::ShowTables()
{
    for (QTableWidget* pTable : {m_pVenues, m_pMonths})
        pTable->setRowCount(0);
    for (const auto& [v, c] : m_record.m_byVenue)
        AddRow(m_pVenues, ToQString(CKeluDoc::GetVenueName(v)), c);
    for (const auto& [m, c] : m_record.m_byMonth) {
        if (InTraining(m))
            AddRow(m_pMonths, MonthName(m) + Utf8("＊"), c, Utf8("予測のモデルの学習期間に入る月"));
        else
            AddRow(m_pMonths, MonthName(m), c);
    }
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
    // A colour a predictor, the exacta darker than the trifecta; the details page's picks in
    // solid lines, the crowd's favourites over the same races dashed, the forecast's
    // dash-dotted. The legend's names are short enough to show whole side by side.
    CMonthChart::CLine exacta{Utf8("選手指数 2連単"), {}, Qt::SolidLine, QColor(0x1F, 0x4E, 0x9C)};
    CMonthChart::CLine trifecta{Utf8("選手指数 3連単"), {}, Qt::SolidLine, QColor(0x7F, 0xA6, 0xE0)};
    CMonthChart::CLine crowdExacta{Utf8("人気上位 2連単"), {}, Qt::DashLine, QColor(0xC0, 0x5A, 0x00)};
    CMonthChart::CLine crowdTrifecta{Utf8("人気上位 3連単"), {}, Qt::DashLine, QColor(0xF2, 0xA6, 0x5A)};
    CMonthChart::CLine forecastExacta{Utf8("予測 2連単"), {}, Qt::DashDotLine, QColor(0x1E, 0x7B, 0x34)};
    CMonthChart::CLine forecastTrifecta{Utf8("予測 3連単"), {}, Qt::DashDotLine, QColor(0x7C, 0xC8, 0x8A)};
    for (const auto& [m, c] : m_record.m_byMonth) {
        exacta.rates << c.ExactaHitRate();
        trifecta.rates << c.TrifectaHitRate();
        crowdExacta.rates << c.CrowdExactaHitRate();
        crowdTrifecta.rates << c.CrowdTrifectaHitRate();
        forecastExacta.rates << c.ForecastExactaHitRate();
        forecastTrifecta.rates << c.ForecastTrifectaHitRate();
        chart.months << m;
    }
    chart.lines = {exacta, trifecta, crowdExacta, crowdTrifecta, forecastExacta, forecastTrifecta};
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
