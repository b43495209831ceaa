#include "record/RacerRecordWindow.h"

#include "record/HistoryService.h"
#include "history/HistoryStore.h"
#include "history/RacerCsv.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"
#include "platform/Sjis.h"
#include "platform/gui/QtText.h"
#include "platform/gui/WindowFit.h"
#include "record/ChartLibrary.h"
#include "record/RecordParts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// In lines of the window's font (record/RecordParts.h), about 720 x 560 pixels under a font of
// 14 pixels a line.
constexpr double kWindowWidth = 52, kWindowHeight = 40;

const char* const kRaceColumns[] = {"日付", "場", "R", "艇", "コース", "ST", "着", "決まり手"};
// "1着率" is the wins over the starts; "勝率" elsewhere in the program is the racer's rating.
const char* const kCourseColumns[] = {"コース", "出走", "1着", "1着率", "2連対率"};

// Figures in the C locale, whatever the desktop's: "46.4%".
QString Percent(double d)
{
    return QString::fromStdString(PercentText(d));
}

QString Plain(const CString& s)
{
    QString text = ToQString(s);
    return text.trimmed();
}

QTableWidget* NewTable(const char* const* ppszColumns, int nColumns)
{
    QStringList headings;
    for (int i = 0; i < nColumns; ++i)
        headings << Utf8(ppszColumns[i]);
    return NewRecordTable(headings);
}

// Words to the left, figures to the right.
void SetRow(QTableWidget* pTable, int nRow, const QStringList& cells, std::initializer_list<int> leftAligned)
{
    for (int i = 0; i < cells.size(); ++i) {
        auto* pItem = new QTableWidgetItem(cells[i]);
        const bool bLeft = std::find(leftAligned.begin(), leftAligned.end(), i) != leftAligned.end();
        pItem->setTextAlignment((bLeft ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
        pTable->setItem(nRow, i, pItem);
    }
}

QStringList RaceCells(const CRacerRace& race)
{
    // The way the race was won is the winner's: beside another place it read as this racer's own.
    return {DateNumberText(race.nDate),
            ToQString(CKeluDoc::GetVenueName(race.nVenue)),
            QString::number(race.nRace),
            QString::number(race.nBoat),
            Plain(race.strCourse),
            Plain(race.strStart),
            Plain(race.strPlace),
            race.Place() == 1 ? Plain(race.strTechnique) : QString()};
}

QString FiguresText(const CRacerRecord& record)
{
    const CRacerFigures& f = record.m_total;
    QString text = Utf8("出走 %1　1着 %2　1着率 %3　2連対率 %4　3連対率 %5")
                       .arg(f.nStarts)
                       .arg(f.nWins)
                       .arg(Percent(f.WinRate()), Percent(f.TopTwoRate()), Percent(f.TopThreeRate()));
    if (const auto average = f.AverageStart())
        text += Utf8("　平均 ST %1").arg(QString::number(*average, 'f', 2));
    return text;
}

} // namespace

CRacerRecordWindow::CRacerRecordWindow(int nRegNo, CHistoryService& history, QWidget* pParent)
    : QWidget(pParent, Qt::Window)
    , m_nRegNo(nRegNo)
    , m_history(history)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Utf8("選手の成績 %1").arg(nRegNo));
    setAccessibleName(windowTitle());
    resize(SizeInLines(this, kWindowWidth, kWindowHeight));

    m_pStatus = new QLabel;
    m_pStatus->setTextFormat(Qt::PlainText);
    m_pProgress = new QProgressBar;
    m_pProgress->setAccessibleName(Utf8("履歴の更新"));
    m_pProgress->hide();
    m_pFigures = new QLabel;
    m_pFigures->setTextFormat(Qt::PlainText);
    m_pRaces = NewTable(kRaceColumns, static_cast<int>(std::size(kRaceColumns)));
    m_pCourses = NewTable(kCourseColumns, static_cast<int>(std::size(kCourseColumns)));
    m_pChart = NewChartView();
    m_pTabs = NewNamedTabs({{m_pRaces, Utf8("レース")}, {m_pCourses, Utf8("コース別")}, {m_pChart, Utf8("着順の推移")}});
    const CRecordButtons buttons = NewRecordButtons(this);
    m_pSave = buttons.pSave;
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pStatus);
    pLayout->addWidget(m_pProgress);
    pLayout->addWidget(m_pFigures);
    pLayout->addWidget(m_pTabs, 1);
    pLayout->addLayout(buttons.pRow);

    connect(m_pSave, &QPushButton::clicked, this, [this] { OnSave(); });
    FollowUpdate(m_history, m_pProgress);
    connect(&m_history, &CHistoryService::finished, this, [this] { Read(); });
    PlaceOnScreen(this, pParent);
}

void CRacerRecordWindow::Refresh()
{
    // The store follows the day files first; the racer is read once it has.
    m_pStatus->setText(Utf8("履歴を更新しています..."));
    m_pProgress->setRange(0, 0);
    m_pProgress->show();
    m_history.Update(this);
}

CRacerRecordWindow::~CRacerRecordWindow()
{
    // Closing the window ends its own wait; an update another asked for goes on.
    m_history.Stop(this);
}

void CRacerRecordWindow::Read()
{
    if (m_history.IsUpdating())
        return;
    m_pProgress->hide();
    // The store is read off the window thread; the answer to the last question is shown.
    const int nQuery = ++m_nQueries;
    const int nRegNo = m_nRegNo;
    const QString strWarning = m_history.UpdateWarning();
    m_history.Read(this, [this, nQuery, nRegNo, strWarning](CStoreReading& reading) -> CHistoryService::CAnswer {
        CRacerRecord record;
        CHistoryStore* pStore = reading.Store();
        std::string strError;
        if (!pStore || !pStore->QueryRacer(nRegNo, record))
            strError = pStore ? pStore->LastError() : reading.Error();
        return [this, nQuery, record, strError, strWarning] {
            if (nQuery != m_nQueries)
                return;
            m_nAnswered = nQuery;
            if (!strError.empty()) {
                m_pStatus->setText(Utf8("履歴を読めませんでした: %1").arg(QString::fromStdString(strError)));
                return;
            }
            m_record = record;
            Show(strWarning);
        };
    });
}

bool CRacerRecordWindow::IsReading() const
{
    return m_nAnswered != m_nQueries;
}

void CRacerRecordWindow::Show(const QString& strWarning)
{
    if (!m_record.m_strName.IsEmpty())
        setWindowTitle(Utf8("選手の成績 %1 %2").arg(m_nRegNo).arg(Plain(m_record.m_strName)));
    setAccessibleName(windowTitle());
    const QString strCount = m_record.m_races.empty()
                                 ? Utf8("手元の日に、登録番号 %1 の選手のレースはありません。").arg(m_nRegNo)
                                 : Utf8("手元の日の %1 レース").arg(m_record.m_races.size());
    m_pStatus->setText(strWarning.isEmpty() ? strCount : strCount + QLatin1Char('\n') + strWarning);
    m_pFigures->setText(FiguresText(m_record));
    m_pFigures->setAccessibleName(m_pFigures->text());
    ShowRecord();
    ShowCourses();
    ShowChart();
    m_pSave->setEnabled(true);
}

void CRacerRecordWindow::ShowRecord()
{
    m_pRaces->setRowCount(static_cast<int>(m_record.m_races.size()));
    int nRow = 0;
    for (const CRacerRace& race : m_record.m_races)
        SetRow(m_pRaces, nRow++, RaceCells(race), {0, 1, 7});
}

void CRacerRecordWindow::ShowCourses()
{
    m_pCourses->setRowCount(6);
    for (int c = 1; c <= 6; ++c) {
        const CRacerFigures& f = m_record.m_byCourse[static_cast<size_t>(c)];
        SetRow(m_pCourses, c - 1,
               {QString::number(c), QString::number(f.nStarts), QString::number(f.nWins), Percent(f.WinRate()),
                Percent(f.TopTwoRate())},
               {});
    }
}

void CRacerRecordWindow::ShowChart()
{
    if (!ChartLibrary().pfnShowPlaces)
        return;
    CPlaceChart chart;
    chart.strTitle = Utf8("着順の推移");
    for (const CPlacePoint& point : m_record.PlacesOverTime()) {
        chart.dates << point.nDate;
        chart.places << point.nPlace;
    }
    ChartLibrary().pfnShowPlaces(m_pChart, chart);
}

bool CRacerRecordWindow::SaveCsv(const QString& strPath) const
{
    return WriteCsvFile(strPath, CRacerCsv::Write(m_record));
}

void CRacerRecordWindow::OnSave()
{
    SaveCsvAs(this, Utf8("選手の成績_%1.csv").arg(m_nRegNo), Sjis("選手の成績"),
              [this](const QString& strPath) { return SaveCsv(strPath); });
}
