// The window of the predictions' record, opened from the menu as a user does: it counts the
// days on disk off the window thread, shows the tables and the chart, and saves the CSV.

#include "AppHarness.h"
#include "CommaLocale.h"
#include "DayFixture.h"
#include "MessageLog.h"
#include "TestDir.h"
#include "model/KeluDoc.h"
#include "ModelFixture.h"
#include "PublishedDays.h"
#include "SqliteFaults.h"
#include "history/HistoryStore.h"
#include "history/SqliteDb.h"
#include "record/HistoryService.h"
#include "view/KeluView.h"
#include "platform/gui/QtText.h"
#include "record/ChartLibrary.h"
#include "record/GroupedHeader.h"
#include "record/RacerRecordWindow.h"
#include "record/RecordWindow.h"
#include "res/resource.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGraphicsTextItem>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

using namespace apptest;

namespace {

// The update, then the reading of the record, both off the window thread.
bool WaitUntilDone(CRecordWindow* pWindow)
{
    for (int i = 0; i < 3000 && (pWindow->IsRunning() || pWindow->IsReading()); ++i)
        QTest::qWait(10);
    QTest::qWait(20); // the queued progress and the end are shown
    return !pWindow->IsRunning() && !pWindow->IsReading();
}

// A row's cells in UTF-8, joined by commas.
std::string Row(QTableWidget* pTable, int nRow)
{
    QStringList cells;
    for (int c = 0; c < pTable->columnCount(); ++c)
        cells << pTable->item(nRow, c)->text();
    return cells.join(u',').toStdString();
}

CRecordWindow* OpenRecord(CKeluApp& app)
{
    EXPECT_TRUE(app.GetMainWnd()->GetRouter()->Execute(ID_FILE_PREDICTION_RECORD));
    CRecordWindow* pWindow = app.GetRecordWindow();
    EXPECT_NE(pWindow, nullptr);
    return pWindow;
}

// Boats 1 and 2 far ahead of four equal others. The racer index is the class base plus the win
// rate plus a tenth of the two-place rate (no meet results here): 4 + 8 + 6 = 18 for boat 1,
// 4 + 7 + 5 = 16 for boat 2, 1 + 1 + 1 = 3 for each of the others. The ranked picks follow
// from those three figures alone, never from a tie:
//   the six best exacta are 1-2, 2-1 and 1-x for x = 3..6 (2-3, 3-1 and 5-6 are not);
//   the twelve best trifecta are 1-2-x, 2-1-x and 1-x-2 (2-3-1, 3-1-2 and 5-6-4 are not).
std::vector<fixture::Boat> TwoFavourites(int nRace)
{
    std::vector<fixture::Boat> boats = fixture::StandardBoats(nRace);
    const char* const kFigures[6][3] = {{"A1", "8.00", "60.00"}, {"A1", "7.00", "50.00"}, {"B2", "1.00", "10.00"},
                                        {"B2", "1.00", "10.00"}, {"B2", "1.00", "10.00"}, {"B2", "1.00", "10.00"}};
    for (size_t b = 0; b < boats.size(); ++b) {
        boats[b].cls = kFigures[b][0];
        boats[b].winRate = boats[b].localWin = kFigures[b][1];
        boats[b].twoRate = boats[b].localTwo = kFigures[b][2];
    }
    return boats;
}

// A race's real exacta and trifecta with what each paid per 100 yen and its popularity.
struct CPaid {
    const char* pszExacta;
    const char* pszExactaPay;
    const char* pszExactaPopularity;
    const char* pszTrifecta;
    const char* pszTrifectaPay;
    const char* pszTrifectaPopularity;
};

void WriteKnownDay(const CTime& day, int nVenue, const std::vector<CPaid>& races)
{
    fixture::ProgramVenue program{nVenue, {}};
    fixture::ResultVenue result{nVenue, {}};
    for (size_t i = 0; i < races.size(); ++i) {
        const int nRace = static_cast<int>(i) + 1;
        program.races.push_back({nRace, "一般", TwoFavourites(nRace)});
        fixture::ResultRace r;
        r.race = nRace;
        r.exacta = {races[i].pszExacta, races[i].pszExactaPay, races[i].pszExactaPopularity};
        r.trifecta = {races[i].pszTrifecta, races[i].pszTrifectaPay, races[i].pszTrifectaPopularity};
        result.races.push_back(r);
    }
    fixture::WriteProgramFile(day, fixture::ProgramFile({program}));
    fixture::WriteResultFile(day, fixture::ResultFile({result}));
}

// A demo day as its writer marks it: the mark right after "STARTB".
void WriteDemoDay(const CTime& day)
{
    fixture::WriteStandardDay(day, {5}, 2);
    std::ifstream in(CKeluDoc::ProgramFileName(day).Str(), std::ios::binary);
    std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    file.insert(file.find('\n') + 1, std::string(kDemoDayMark) + "\r\n");
    fixture::WriteProgramFile(day, file);
}

std::vector<std::string> ReadCsvRows(const char* pszPath)
{
    std::ifstream in(pszPath, std::ios::binary);
    std::vector<std::string> rows;
    for (std::string line; std::getline(in, line);)
        rows.push_back(line);
    return rows;
}

std::vector<std::string> Fields(const std::string& row)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(row);
    while (std::getline(in, field, ','))
        fields.push_back(field);
    if (!row.empty() && row.back() == ',')
        fields.emplace_back();
    return fields;
}

// "19.4%": a rate as the windows write it, one decimal and a point, whatever the locale.
std::string PercentOf(int nPart, int nWhole)
{
    char sz[16];
    const auto [pEnd, ec] = std::to_chars(sz, sz + sizeof sz, nWhole ? 100.0 * nPart / nWhole : 0.0,
                                          std::chars_format::fixed, 1);
    return std::string(sz, pEnd) + "%";
}

// A racer's starts and wins, from the finishing lines of the published days: a start is a
// listing other than absent (K0, K1), a win is place "01".
struct CStarts {
    int nStarts = 0, nWins = 0;
};

std::map<int, CStarts> CountStarts(const published::CRaces& races)
{
    std::map<int, CStarts> starts;
    for (const auto& [key, race] : races)
        for (const std::string& line : race.finishes) {
            const std::string place = published::Field(line, 2, 2);
            if (line.size() <= 12 || place.empty() || place[0] == 'K')
                continue;
            CStarts& c = starts[std::stoi(line.substr(8, 4))];
            ++c.nStarts;
            c.nWins += place == "01";
        }
    return starts;
}

// The texts the chart shows, their lines joined by a blank, with the middle of each in scene
// coordinates.
std::map<QString, qreal> ShownLabels(QChartView* pView)
{
    std::map<QString, qreal> labels;
    for (QGraphicsItem* pItem : pView->scene()->items())
        if (auto* pText = qgraphicsitem_cast<QGraphicsTextItem*>(pItem); pText && pText->isVisible()) {
            QString strText = pText->toPlainText();
            strText.replace(QChar::LineSeparator, u' ').replace(u'\n', u' ');
            labels[strText] = pText->sceneBoundingRect().center().x();
        }
    return labels;
}

} // namespace

TEST(RecordWindowTest, FiguresCountedFromDaysOfKnownResultsInACommaLocale)
{
    // The figures follow from the races below by hand (see TwoFavourites for the picks):
    //   桐生, March: 3 races; exacta 1 hit, 700 back on 1800; trifecta 1 hit, 2500 on 3600.
    //   芦屋, February: 4 races; exacta 2 hits, 2450 on 2400; trifecta 2 hits, 9200 on 4800.
    // The crowd's picks are the six and twelve most popular: March exacta 2 hits (popularity
    // 2 and 6), 3800 back, trifecta 1 hit, 2500; February exacta 2 hits (1 and 3), 3550 back,
    // trifecta 2 hits (2 and 12), 10300 back.
    WriteKnownDay(CTime(2020, 2, 20, 12, 0, 0), 21,
                  {{"1-2", "450", "1", "1-2-3", "1200", "2"},
                   {"1-4", "2000", "8", "1-3-2", "8000", "15"},
                   {"2-3", "3100", "3", "2-3-1", "9100", "12"},
                   {"5-6", "20000", "30", "5-6-4", "90000", "100"}});
    WriteKnownDay(CTime(2020, 3, 1, 12, 0, 0), 1,
                  {{"2-1", "700", "2", "2-1-6", "2500", "1"},
                   {"3-1", "1500", "7", "3-1-2", "6000", "13"},
                   {"2-3", "3100", "6", "2-3-1", "9000", "40"}});
    // Six days whose files are junk, and a demo day: none of them counts.
    for (int d = 2; d <= 7; ++d) {
        fixture::WriteProgramFile(CTime(2020, 3, d, 12, 0, 0), "junk");
        fixture::WriteResultFile(CTime(2020, 3, d, 12, 0, 0), "junk");
    }
    WriteDemoDay(CTime(2020, 3, 10, 12, 0, 0));

    // The forecast weighs only the lanes (ModelFixture.h): its exacta picks are 1-2, 1-3..1-6
    // and 2-1, its trifecta picks all start with boat 1 and end before 1-5-x. It was fitted
    // on March, so to speak.
    ASSERT_TRUE(fixture::WriteLaneModel(20200301, 20200331));
    // A desktop whose numbers have a decimal comma: the figures keep their point.
    const testsupport::CCommaLocale comma;
    ASSERT_TRUE(comma.IsOn()) << testsupport::CCommaLocale::kMissing;
    auto pApp = StartApp();
    CRecordWindow* pWindow = OpenRecord(*pApp);
    ASSERT_NE(pWindow, nullptr);
    EXPECT_TRUE(pWindow->isVisible());
    EXPECT_EQ(pWindow->windowTitle(), Utf8("予想の成績"));
    ASSERT_TRUE(WaitUntilDone(pWindow));
    // Asked again, the same window comes forward.
    EXPECT_EQ(OpenRecord(*pApp), pWindow);

    // The races, then the details page's picks, the crowd's and the forecast's, each with its
    // hit rate and return, exacta then trifecta. The forecast: March 2-1 hit (700 back on
    // 1800) and no trifecta; February 1-2 and 1-4 (2450 on 2400), 1-2-3 and 1-3-2 (9200 on
    // 4800).
    const std::string kKiryu = "3,33.3%,38.9%,33.3%,69.4%,66.7%,211.1%,33.3%,69.4%,33.3%,38.9%,0.0%,0.0%";
    const std::string kAshiya = "4,50.0%,102.1%,50.0%,191.7%,50.0%,147.9%,50.0%,214.6%,50.0%,102.1%,50.0%,191.7%";
    const std::string kTotal = "7,42.9%,75.0%,42.9%,139.3%,57.1%,175.0%,42.9%,152.4%,42.9%,75.0%,28.6%,109.5%";
    QTableWidget* pVenues = pWindow->VenueTable();
    ASSERT_EQ(pVenues->rowCount(), 3);
    EXPECT_EQ(Row(pVenues, 0), "桐生," + kKiryu);
    EXPECT_EQ(Row(pVenues, 1), "芦屋," + kAshiya);
    EXPECT_EQ(Row(pVenues, 2), "合計," + kTotal);
    // The hits are the rates' tooltips.
    EXPECT_EQ(pVenues->item(2, 2)->toolTip(), Utf8("的中 3 レース"));
    EXPECT_EQ(pVenues->item(2, 12)->toolTip(), Utf8("的中 2 レース"));
    // The month the model was fitted on is marked.
    QTableWidget* pMonths = pWindow->MonthTable();
    ASSERT_EQ(pMonths->rowCount(), 3);
    EXPECT_EQ(Row(pMonths, 0), "2020/02," + kAshiya);
    EXPECT_EQ(Row(pMonths, 1), "2020/03＊," + kKiryu);
    EXPECT_EQ(pMonths->item(1, 0)->toolTip(), Utf8("予測のモデルの学習期間に入る月"));
    EXPECT_EQ(Row(pMonths, 2), "合計," + kTotal);

    // Every heading reads whole, under its predictor, and no table needs scrolling sideways
    // at the window's size.
    auto* pHeader = dynamic_cast<CGroupedHeader*>(pVenues->horizontalHeader());
    ASSERT_NE(pHeader, nullptr);
    ASSERT_EQ(pHeader->Groups().size(), 3u);
    EXPECT_EQ(pHeader->Groups()[2].strName, Utf8("予測"));
    EXPECT_EQ(pHeader->Groups()[2].nFirst, 10);
    EXPECT_EQ(pVenues->horizontalHeaderItem(12)->data(Qt::AccessibleTextRole).toString(), Utf8("予測 3連単的中率"));
    pWindow->show();
    for (QTableWidget* pTable : {pVenues, pMonths}) {
        pWindow->findChild<QTabWidget*>()->setCurrentWidget(pTable);
        QApplication::processEvents();
        EXPECT_EQ(pTable->horizontalScrollBar()->maximum(), 0);
        const QFontMetrics metrics(pTable->horizontalHeader()->font());
        for (int c = 0; c < pTable->columnCount(); ++c) {
            const QSize text = metrics.size(0, pTable->horizontalHeaderItem(c)->text());
            EXPECT_LE(text.width(), pTable->horizontalHeader()->sectionSize(c)) << c;
            EXPECT_LE(text.height(), pTable->horizontalHeader()->height() - pHeader->BandHeight()) << c;
        }
        for (const CGroupedHeader::CGroup& g : pHeader->Groups()) {
            int nWidth = 0;
            for (int c = g.nFirst; c < g.nFirst + g.nCount; ++c)
                nWidth += pTable->horizontalHeader()->sectionSize(c);
            EXPECT_LE(metrics.horizontalAdvance(g.strName), nWidth);
        }
    }

    // What was left out, with the dates; the tooltip names every day.
    EXPECT_EQ(pWindow->StatusLabel()->text().toStdString(),
              std::string("2 日、7 レース（ファイルが壊れていて読めなかった日 6 日: 2020/03/02、2020/03/03、2020/03/04、"
                   "2020/03/05、2020/03/06 他 1 日）（デモの日 1 日は架空の選手と結果なので数えていません: 2020/03/10）"));
    EXPECT_EQ(pWindow->StatusLabel()->toolTip().toStdString(),
              std::string("ファイルが壊れていて読めなかった日:\n2020/03/02\n2020/03/03\n2020/03/04\n2020/03/05\n2020/03/06\n"
                   "2020/03/07\n\n数えていないデモの日:\n2020/03/10"));
    EXPECT_EQ(pWindow->StatusLabel()->textFormat(), Qt::PlainText);

    // The chart: a point a month for each of the two bets, the crowd's two and the forecast's
    // two, February first.
    auto* pChartView = qobject_cast<QChartView*>(pWindow->Chart());
    ASSERT_NE(pChartView, nullptr);
    QChart* pChart = pChartView->chart();
    ASSERT_EQ(pChart->series().size(), 6);
    auto* pForecastTrifecta = qobject_cast<QLineSeries*>(pChart->series()[5]);
    ASSERT_NE(pForecastTrifecta, nullptr);
    EXPECT_NEAR(pForecastTrifecta->at(0).y(), 50.0, 1e-9);
    EXPECT_NEAR(pForecastTrifecta->at(1).y(), 0.0, 1e-9);
    EXPECT_EQ(pForecastTrifecta->pen().style(), Qt::DashDotLine);
    auto* pExacta = qobject_cast<QLineSeries*>(pChart->series()[0]);
    auto* pCrowdExacta = qobject_cast<QLineSeries*>(pChart->series()[2]);
    ASSERT_TRUE(pExacta && pCrowdExacta);
    ASSERT_EQ(pExacta->count(), 2);
    EXPECT_NEAR(pExacta->at(0).y(), 50.0, 1e-9);
    EXPECT_NEAR(pExacta->at(1).y(), 100.0 / 3, 1e-9);
    EXPECT_NEAR(pCrowdExacta->at(1).y(), 200.0 / 3, 1e-9);
    EXPECT_EQ(pCrowdExacta->pen().style(), Qt::DashLine);

    // The CSV: UTF-8, LF, a header row, then venues, months and the total, field by field.
    ASSERT_TRUE(pWindow->SaveCsv(QStringLiteral("record.csv")));
    const std::vector<std::string> rows = ReadCsvRows("record.csv");
    const std::vector<std::string> kExpected = {
        "区分,名前,レース数,2連単的中,2連単的中率(%),2連単回収率(%),3連単的中,3連単的中率(%),3連単回収率(%),"
        "人気上位2連単的中,人気上位2連単的中率(%),人気上位2連単回収率(%),人気上位3連単的中,人気上位3連単的中率(%),"
        "人気上位3連単回収率(%),予測2連単的中,予測2連単的中率(%),予測2連単回収率(%),予測3連単的中,"
        "予測3連単的中率(%),予測3連単回収率(%)",
        "レース場,桐生,3,1,33.3,38.9,1,33.3,69.4,2,66.7,211.1,1,33.3,69.4,1,33.3,38.9,0,0.0,0.0",
        "レース場,芦屋,4,2,50.0,102.1,2,50.0,191.7,2,50.0,147.9,2,50.0,214.6,2,50.0,102.1,2,50.0,191.7",
        "月,2020/02,4,2,50.0,102.1,2,50.0,191.7,2,50.0,147.9,2,50.0,214.6,2,50.0,102.1,2,50.0,191.7",
        "月,2020/03,3,1,33.3,38.9,1,33.3,69.4,2,66.7,211.1,1,33.3,69.4,1,33.3,38.9,0,0.0,0.0",
        "合計,,7,3,42.9,75.0,3,42.9,139.3,4,57.1,175.0,3,42.9,152.4,3,42.9,75.0,2,28.6,109.5"};
    ASSERT_EQ(rows.size(), kExpected.size());
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(Fields(rows[i]), Fields(kExpected[i])) << "row " << i << ": " << rows[i];
    EXPECT_FALSE(pWindow->SaveCsv(QStringLiteral("no/such/folder/record.csv")));

    // A period and a venue: March alone, then 芦屋 alone over the whole period.
    pWindow->SetPeriod(20200301, 20200331);
    ASSERT_TRUE(WaitUntilDone(pWindow));
    ASSERT_EQ(pVenues->rowCount(), 2);
    EXPECT_EQ(Row(pVenues, 0), "桐生," + kKiryu);
    EXPECT_EQ(pWindow->StatusLabel()->text().toStdString().substr(0, std::string("1 日、3 レース").size()), "1 日、3 レース");
    pWindow->SetPeriod(20200101, 20201231);
    pWindow->SetVenue(21);
    ASSERT_TRUE(WaitUntilDone(pWindow));
    ASSERT_EQ(pMonths->rowCount(), 2);
    EXPECT_EQ(Row(pMonths, 0), "2020/02," + kAshiya);

    // While a download runs the save opens no dialog of its own, and says why.
    {
        testsupport::CMessageLog messages;
        CModalDriver noDialog;
        pWindow->SetBusyCheck([] { return true; });
        QTest::mouseClick(pWindow->SaveButton(), Qt::LeftButton);
        EXPECT_TRUE(noDialog.Seen().isEmpty());
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"ダウンロード中は保存できません。ダウンロードが終わってから保存してください。|"
                                                             "予想の成績|" + std::to_string(MB_OK | MB_ICONINFORMATION)});
    }

    // Closing the window ends it.
    QPointer<CRecordWindow> pClosed(pWindow);
    pWindow->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(pClosed.isNull());
}

TEST(RecordWindowTest, PublishedDaysGiveTheHitsCountedFromThePicks)
{
    if (!published::CopyDays())
        GTEST_SKIP() << testsupport::NoSharedDataReason();
    const testsupport::CCommaLocale comma;
    ASSERT_TRUE(comma.IsOn()) << testsupport::CCommaLocale::kMissing;
    auto pApp = StartApp();
    CRecordWindow* pWindow = OpenRecord(*pApp);
    ASSERT_TRUE(WaitUntilDone(pWindow));
    QTableWidget* pVenues = pWindow->VenueTable();
    // The hits over the races as the tests' own reading of the files counts them, with the
    // details page's picks; the rate with a point whatever the locale.
    const SRecordCount counted = published::CountRecord(published::ReadDays()).total;
    ASSERT_GT(counted.nRaces, 0);
    char szRate[16];
    const auto [pEnd, ec] = std::to_chars(szRate, szRate + sizeof szRate,
                                          100.0 * counted.nExactaHits / counted.nRaces, std::chars_format::fixed, 1);
    const std::string total = "合計," + std::to_string(counted.nRaces) + "," + std::string(szRate, pEnd) + "%,";
    EXPECT_EQ(Row(pVenues, pVenues->rowCount() - 1).substr(0, total.size()), total);
    EXPECT_EQ(pVenues->item(pVenues->rowCount() - 1, 2)->toolTip(),
              Utf8("的中 ") + QString::number(counted.nExactaHits) + Utf8(" レース"));

    // Closing the window while it counts stops the workers; nothing is left running.
    pWindow->Start();
    QPointer<CRecordWindow> pClosed(pWindow);
    pWindow->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(pClosed.isNull());
}

TEST(RecordWindowTest, ItsStopAndItsClosingEndOnlyItsOwnWaitForTheUpdate)
{
    // Every write to the store waits, once armed, until the test lets it go: the update is
    // caught in the middle of a day, whatever the machine's speed.
    testsupport::CSqliteFaults faults;
    const auto StoredDays = [] {
        CHistoryStore store;
        std::map<int, CDayState> days;
        EXPECT_TRUE(store.Open() && store.StoredDays(days));
        return days.size();
    };
    const auto CatchUpdate = [&faults] {
        for (int i = 0; i < 2000 && !faults.HasCaught(); ++i)
            QTest::qWait(5);
        return faults.HasCaught();
    };
    const auto WaitForService = [](CHistoryService& history) {
        for (int i = 0; i < 2000 && history.IsUpdating(); ++i)
            QTest::qWait(5);
        QTest::qWait(20);
        return !history.IsUpdating();
    };
    auto pApp = StartApp();
    CHistoryService& history = pApp->GetView()->History();
    // The store made first, so that the first write caught is a day's.
    history.Update();
    ASSERT_TRUE(WaitForService(history));
    for (int d = 1; d <= 3; ++d)
        fixture::WriteStandardDay(CTime(2020, 3, d, 12, 0, 0), {1}, 2);

    // The window alone waits for the update: its 中止 ends the update after the day it writes,
    // and the window reads what the store holds.
    faults.Arm(testsupport::CSqliteFaults::EAction::Pause);
    CRecordWindow* pWindow = OpenRecord(*pApp);
    ASSERT_TRUE(CatchUpdate());
    EXPECT_TRUE(pWindow->StopButton()->isEnabled());
    QTest::mouseClick(pWindow->StopButton(), Qt::LeftButton);
    EXPECT_FALSE(pWindow->StopButton()->isEnabled());
    faults.Disarm();
    ASSERT_TRUE(WaitUntilDone(pWindow));
    EXPECT_EQ(StoredDays(), 1u);
    EXPECT_EQ(pWindow->Record().m_nDays, 1);

    // A download's update goes on through the window's 中止.
    faults.Arm(testsupport::CSqliteFaults::EAction::Pause);
    history.Update();
    ASSERT_TRUE(CatchUpdate());
    pWindow->Start();
    QTest::mouseClick(pWindow->StopButton(), Qt::LeftButton);
    faults.Disarm();
    ASSERT_TRUE(WaitForService(history));
    EXPECT_EQ(StoredDays(), 3u);

    // Closing the window while it alone waits ends its update too.
    for (int d = 4; d <= 6; ++d)
        fixture::WriteStandardDay(CTime(2020, 3, d, 12, 0, 0), {1}, 2);
    faults.Arm(testsupport::CSqliteFaults::EAction::Pause);
    pWindow->Start();
    ASSERT_TRUE(CatchUpdate());
    QPointer<CRecordWindow> pClosed(pWindow);
    pWindow->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(pClosed.isNull());
    faults.Disarm();
    ASSERT_TRUE(WaitForService(history));
    EXPECT_EQ(StoredDays(), 4u);

    // Quitting while an update writes: the windows go before the service they wait on, which
    // stops its update; nothing is left running and the store stays whole.
    faults.Arm(testsupport::CSqliteFaults::EAction::Pause);
    OpenRecord(*pApp);
    ASSERT_TRUE(CatchUpdate());
    // The disk answers again a little after the user has quit.
    std::thread disk([&faults] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        faults.Disarm();
    });
    pApp.reset();
    disk.join();
    CSqliteDb db;
    db.Open(CHistoryStore::kDefaultPath);
    CSqliteStatement check = db.Prepare("PRAGMA integrity_check");
    ASSERT_TRUE(check.Step());
    EXPECT_EQ(check.Text(0), "ok");
    EXPECT_GE(StoredDays(), 4u);
}

// At their first size, at every resolution the runs use: every heading of the prediction record reads whole
// and no table scrolls sideways; a year of months in its chart, each month's points over its
// own label; and a racer's record on the published days, where 1着率 is his wins over his starts
// and 決まり手, the way a race was won, stands only beside his wins.
TEST(RecordWindowTest, ReadsWholeAtItsFirstSizeMonthsOnTheirLabelsAndARacersWinsAlone)
{
    if (!published::CopyDays())
        GTEST_SKIP() << testsupport::NoSharedDataReason();
    auto pApp = StartApp();
    CRecordWindow* pWindow = OpenRecord(*pApp);
    ASSERT_NE(pWindow, nullptr);
    ASSERT_TRUE(WaitUntilDone(pWindow));
    auto* pTabs = pWindow->findChild<QTabWidget*>();
    for (QTableWidget* pTable : {pWindow->VenueTable(), pWindow->MonthTable()}) {
        pTabs->setCurrentWidget(pTable);
        QApplication::processEvents();
        ASSERT_GT(pTable->rowCount(), 1);
        EXPECT_FALSE(pTable->horizontalScrollBar()->isVisible()) << pWindow->width();
        auto* pHeader = dynamic_cast<CGroupedHeader*>(pTable->horizontalHeader());
        ASSERT_NE(pHeader, nullptr);
        const QFontMetrics metrics(pHeader->font());
        const int nMargins = 2 * pHeader->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, pHeader);
        for (int c = 0; c < pTable->columnCount(); ++c) {
            // Inside the table's width, each line of the heading within its column.
            EXPECT_LE(pHeader->sectionViewportPosition(c) + pHeader->sectionSize(c), pTable->viewport()->width())
                << c;
            for (const QString& strLine : pTable->horizontalHeaderItem(c)->text().split(u'\n'))
                EXPECT_LE(metrics.horizontalAdvance(strLine), pHeader->sectionSize(c) - nMargins)
                    << c << " " << strLine.toStdString();
        }
        for (const CGroupedHeader::CGroup& g : pHeader->Groups()) {
            int nWidth = 0;
            for (int c = g.nFirst; c < g.nFirst + g.nCount; ++c)
                nWidth += pHeader->sectionSize(c);
            EXPECT_LE(metrics.horizontalAdvance(g.strName), nWidth - nMargins) << g.strName.toStdString();
        }
    }

    // A year of months in the window's chart: every month named, its label where its points are.
    auto* pView = qobject_cast<QChartView*>(pWindow->Chart());
    ASSERT_NE(pView, nullptr);
    CMonthChart year;
    CMonthChart::CLine line{QStringLiteral("2連単"), {}};
    for (int m = 1; m <= 12; ++m) {
        year.months << 202000 + m;
        line.rates << 4.0 * m;
    }
    year.lines = {line};
    pTabs->setCurrentWidget(pView);
    ChartLibrary().pfnShowMonths(pView, year);
    const auto MonthName = [](int m) { return Utf8("2020 %1月").arg(m); };
    EXPECT_TRUE(QTest::qWaitFor([&] {
        const std::map<QString, qreal> labels = ShownLabels(pView);
        for (int m = 1; m <= 12; ++m)
            if (!labels.count(MonthName(m)))
                return false;
        return true;
    })) << pView->width();
    QChart* pChart = pView->chart();
    ASSERT_EQ(pChart->series().size(), 1);
    auto* pSeries = qobject_cast<QLineSeries*>(pChart->series()[0]);
    ASSERT_TRUE(pSeries && pSeries->count() == 12);
    const std::map<QString, qreal> labels = ShownLabels(pView);
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(pSeries->at(m - 1).y(), 4.0 * m);
        const qreal x = pChart->mapToScene(pChart->mapToPosition(pSeries->at(m - 1), pSeries)).x();
        const auto label = labels.find(MonthName(m));
        ASSERT_NE(label, labels.end()) << m;
        EXPECT_LE(std::abs(label->second - x), 1.5)
            << m << ": the label at " << label->second << ", the point at " << x;
    }

    // The racer of the published days with the most wins, among those with other places too.
    const std::map<int, CStarts> starts = CountStarts(published::ReadDays());
    int nRacer = 0;
    for (const auto& [nRegNo, c] : starts)
        if (c.nWins < c.nStarts && (nRacer == 0 || c.nWins > starts.at(nRacer).nWins))
            nRacer = nRegNo;
    ASSERT_NE(nRacer, 0);
    ASSERT_GT(starts.at(nRacer).nWins, 0);
    CRacerRecordWindow racer(nRacer, pApp->GetView()->History(), nullptr);
    racer.show();
    racer.Refresh();
    ASSERT_TRUE(QTest::qWaitFor([&] { return racer.SaveButton()->isEnabled(); }, 10000));
    const std::string figures = racer.Figures()->text().toStdString();
    EXPECT_NE(figures.find("　1着率 " + PercentOf(starts.at(nRacer).nWins, starts.at(nRacer).nStarts) + "　"),
              std::string::npos)
        << figures;
    EXPECT_EQ(figures.find("勝率"), std::string::npos) << figures;
    EXPECT_EQ(racer.CourseTable()->horizontalHeaderItem(3)->text().toStdString(), "1着率");
    QTableWidget* pRaces = racer.RaceTable();
    ASSERT_EQ(pRaces->horizontalHeaderItem(6)->text().toStdString(), "着");
    ASSERT_EQ(pRaces->horizontalHeaderItem(7)->text().toStdString(), "決まり手");
    int nWinRows = 0, nOtherRows = 0;
    for (int r = 0; r < pRaces->rowCount(); ++r) {
        const bool bWin = pRaces->item(r, 6)->text() == QStringLiteral("01");
        (bWin ? nWinRows : nOtherRows)++;
        EXPECT_EQ(pRaces->item(r, 7)->text().isEmpty(), !bWin)
            << pRaces->item(r, 0)->text().toStdString() << " " << pRaces->item(r, 6)->text().toStdString() << " "
            << pRaces->item(r, 7)->text().toStdString();
    }
    EXPECT_EQ(nWinRows, starts.at(nRacer).nWins);
    EXPECT_GT(nOtherRows, 0);
}
