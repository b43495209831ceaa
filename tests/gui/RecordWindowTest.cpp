// The window of the predictions' record, opened from the menu as a user does: it counts the
// days on disk off the window thread, shows the tables and the chart, and saves the CSV.

#include "AppHarness.h"
#include "SpecialRaces.h"
#include "TestDir.h"
#include "record/RecordWindow.h"
#include "res/resource.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <filesystem>
#include <fstream>

using namespace apptest;

namespace {

bool WaitUntilDone(CRecordWindow* pWindow)
{
    for (int i = 0; i < 3000 && pWindow->IsRunning(); ++i)
        QTest::qWait(10);
    QTest::qWait(20); // the queued progress and the end are shown
    return !pWindow->IsRunning();
}

QStringList Row(QTableWidget* pTable, int nRow)
{
    QStringList cells;
    for (int c = 0; c < pTable->columnCount(); ++c)
        cells << pTable->item(nRow, c)->text();
    return cells;
}

CRecordWindow* OpenRecord(CKeluApp& app)
{
    EXPECT_TRUE(app.GetMainWnd()->GetRouter()->Execute(ID_FILE_PREDICTION_RECORD));
    CRecordWindow* pWindow = app.GetRecordWindow();
    EXPECT_NE(pWindow, nullptr);
    return pWindow;
}

} // namespace

TEST(RecordWindowTest, CountsTheDaysOnDiskAndShowsSavesAndCharts)
{
    fixture::WriteSpecialDay(CTime(2020, 2, 20, 12, 0, 0), 21);
    const bool bPublished = testsupport::CopySharedDayFile("B200105.TXT", "data/prog/B200105.TXT") &&
                            testsupport::CopySharedDayFile("K200105.TXT", "data/res/K200105.TXT");
    auto pApp = StartApp();
    CRecordWindow* pWindow = OpenRecord(*pApp);
    ASSERT_NE(pWindow, nullptr);
    EXPECT_TRUE(pWindow->isVisible());
    EXPECT_EQ(pWindow->windowTitle(), Utf8("予想の成績"));
    ASSERT_TRUE(WaitUntilDone(pWindow));
    // Asked again, the same window comes forward.
    EXPECT_EQ(OpenRecord(*pApp), pWindow);

    const int nRaces = pWindow->Record().m_total.nRaces;
    EXPECT_EQ(nRaces, 4 + (bPublished ? pWindow->Record().m_byMonth.at(202001).nRaces : 0));
    QTableWidget* pMonths = pWindow->MonthTable();
    ASSERT_EQ(pMonths->rowCount(), bPublished ? 3 : 2);
    const QStringList february = Row(pMonths, pMonths->rowCount() - 2);
    EXPECT_EQ(february[0], QStringLiteral("2020/02"));
    EXPECT_EQ(february[1], QStringLiteral("4"));
    EXPECT_EQ(Row(pMonths, pMonths->rowCount() - 1)[0], Utf8("合計"));
    EXPECT_EQ(Row(pMonths, pMonths->rowCount() - 1)[1], QString::number(nRaces));
    QTableWidget* pVenues = pWindow->VenueTable();
    EXPECT_EQ(Row(pVenues, pVenues->rowCount() - 1), Row(pMonths, pMonths->rowCount() - 1).mid(0));
    EXPECT_TRUE(pWindow->StatusLabel()->text().contains(QString::number(nRaces)));

    // The chart: a point a month for each of the two bets.
    auto* pChartView = qobject_cast<QChartView*>(pWindow->Chart());
    ASSERT_NE(pChartView, nullptr);
    QChart* pChart = pChartView->chart();
    ASSERT_EQ(pChart->series().size(), 2);
    auto* pExacta = qobject_cast<QLineSeries*>(pChart->series()[0]);
    ASSERT_NE(pExacta, nullptr);
    EXPECT_EQ(pExacta->count(), bPublished ? 2 : 1);
    EXPECT_DOUBLE_EQ(pExacta->at(pExacta->count() - 1).y(), pWindow->Record().m_byMonth.at(202002).ExactaHitRate());

    // The CSV: UTF-8, a header row, venues, months and the total.
    ASSERT_TRUE(pWindow->SaveCsv(QStringLiteral("record.csv")));
    std::ifstream in("record.csv", std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0].substr(0, lines[0].find(',')), "区分");
    EXPECT_NE(lines[0].find("2連単的中率(%)"), std::string::npos);
    EXPECT_EQ(lines.size(), 1 + pWindow->Record().m_byVenue.size() + pWindow->Record().m_byMonth.size() + 1);
    EXPECT_EQ(lines.back().rfind("合計,," + std::to_string(nRaces) + ",", 0), 0u) << lines.back();
    EXPECT_EQ(lines.back().back(), '\r');
    EXPECT_NE(std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("レース場,芦屋,", 0) == 0; }),
              lines.end())
        << lines[1];
    EXPECT_FALSE(pWindow->SaveCsv(QStringLiteral("no/such/folder/record.csv")));

    // Closing the window ends it.
    QPointer<CRecordWindow> pClosed(pWindow);
    pWindow->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(pClosed.isNull());
}

TEST(RecordWindowTest, PublishedDaysGiveTheHitsCountedFromThePicks)
{
    for (const char* tag : {"200101", "200105", "200106", "200108"})
        if (!testsupport::CopySharedDayFile(std::string("B") + tag + ".TXT", std::string("data/prog/B") + tag + ".TXT") ||
            !testsupport::CopySharedDayFile(std::string("K") + tag + ".TXT", std::string("data/res/K") + tag + ".TXT"))
            GTEST_SKIP() << testsupport::NoSharedDataReason();
    auto pApp = StartApp();
    CRecordWindow* pWindow = OpenRecord(*pApp);
    ASSERT_TRUE(WaitUntilDone(pWindow));
    QTableWidget* pVenues = pWindow->VenueTable();
    const QStringList total = Row(pVenues, pVenues->rowCount() - 1);
    EXPECT_EQ(total[0], Utf8("合計"));
    EXPECT_EQ(total[1], QStringLiteral("686"));
    EXPECT_EQ(total[2], QStringLiteral("318"));
    EXPECT_EQ(total[3], QStringLiteral("46.4%"));

    // Closing the window while it counts stops the workers; nothing is left running.
    pWindow->Start();
    QPointer<CRecordWindow> pClosed(pWindow);
    pWindow->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(pClosed.isNull());
}
