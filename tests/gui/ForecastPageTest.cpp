// The forecast page of the lower grid and the dialog that fits a new model, as a user meets them.

#include "AppHarness.h"
#include "DayFixture.h"
#include "ModelFixture.h"
#include "ViewHost.h"
#include "record/HistoryService.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"
#include "record/FitForecastDlg.h"
#include "res/resource.h"
#include "view/GridCells.h"
#include "view/TabCtrl.h"

#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <cmath>
#include <filesystem>

namespace {

using viewtest::Cell;
using viewtest::CViewHost;

const QDate kDay(2021, 5, 1);

std::string Percent(double d)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, "%.1f%%", 100 * d);
    return sz;
}

// "1-2 12.7% 7.9倍"
std::string Pick(const std::string& strCombo, double d)
{
    char sz[64];
    std::snprintf(sz, sizeof sz, "%s %.1f%% %.1f倍", strCombo.c_str(), 100 * d, 1 / d);
    return sz;
}

bool WaitFor(const std::function<bool()>& done)
{
    for (int i = 0; i < 1000 && !done(); ++i)
        QTest::qWait(10);
    return done();
}

} // namespace

TEST(ForecastPageTest, ShowsTheChancesAndPicksOfTheRaceAndMarksTheWinners)
{
    // Race 1 of venue 3 with six boats, race 2 with five; the standard result 1-2-3. The model
    // weighs the lanes alone (ModelFixture.h), so by hand: boat l wins with p_l = e^-(l-1) over
    // the sum for the boats there, and is second and third each with (1 - p_l) / 5 more.
    fixture::ProgramVenue venue{.venue = 3, .races = {{.race = 1}, {.race = 2, .boats = fixture::StandardBoats(2)}}};
    venue.races[1].boats.pop_back();
    const CTime day(kDay.year(), kDay.month(), kDay.day(), 12, 0, 0);
    fixture::WriteProgramFile(day, fixture::ProgramFile({venue}));
    fixture::WriteResultFile(day, fixture::ResultFile({{.venue = 3, .races = {{.race = 1}, {.race = 2}}}}));
    ASSERT_TRUE(fixture::WriteLaneModel(20210101, 20210430));

    CViewHost host;
    host.TypeDate(kDay);
    host.ClickVenue(3);
    host.ClickTab(CKeluView::kForecastPage);
    auto* pTab = static_cast<CTabCtrl*>(host.View().GetDlgItem(IDC_TAB));
    // The store learns the day first, off the window thread, then the page fills in.
    const QString strNote = Utf8("予測: 2021/01/01〜2021/04/30 に学習したモデル・番組表のみ（この日より前の履歴が 30 日に足りません）");
    ASSERT_TRUE(WaitFor([&] { return pTab->Note()->text() == strNote; })) << pTab->Note()->text().toStdString();
    EXPECT_TRUE(pTab->Note()->isVisible());
    EXPECT_EQ(pTab->Note()->accessibleName(), strNote);

    CMSFlexGrid& grid = host.Lower();
    EXPECT_EQ(Cell(grid, 0, 1), "1着");
    EXPECT_EQ(Cell(grid, 0, 5), "2連単 確率 倍率");
    double dSum = 0;
    for (int l = 1; l <= 6; ++l)
        dSum += std::exp(-(l - 1));
    for (int l = 1; l <= 6; ++l) {
        const double p = std::exp(-(l - 1)) / dSum;
        EXPECT_EQ(Cell(grid, l, 0), std::to_string(l));
        EXPECT_EQ(Cell(grid, l, 1), Percent(p)) << l;
        EXPECT_EQ(Cell(grid, l, 2), Percent(p + (1 - p) / 5)) << l;
        EXPECT_EQ(Cell(grid, l, 3), Percent(p + 2 * (1 - p) / 5)) << l;
        EXPECT_EQ(grid.GetCellBackColor(l, 1), CKeluView::BoatColor(l));
    }
    const double p1 = 1 / dSum, p2 = std::exp(-1) / dSum;
    // Exacta n in row n; trifectas 2n-1 and 2n beside it. The winners 1-2 and 1-2-3 are marked.
    EXPECT_EQ(Cell(grid, 1, 5), Pick("1-2", p1 / 5));
    EXPECT_EQ(Cell(grid, 6, 5), Pick("2-1", p2 / 5));
    EXPECT_EQ(Cell(grid, 1, 6), Pick("1-2-3", p1 / 20));
    EXPECT_EQ(Cell(grid, 1, 7), Pick("1-2-4", p1 / 20));
    EXPECT_EQ(Cell(grid, 6, 7), Pick("1-4-6", p1 / 20));
    EXPECT_EQ(grid.GetCellBackColor(1, 5), kWinColor);
    EXPECT_EQ(grid.GetCellBackColor(1, 6), kWinColor);
    EXPECT_EQ(grid.GetCellBackColor(2, 5), kWhite);
    EXPECT_EQ(grid.GetCellBackColor(1, 7), kWhite);
    viewtest::ExpectEveryCellFits(grid, "forecast");

    // The race of five: boat 6 has no chance at all, and the others share it.
    host.ClickRace(2);
    ASSERT_TRUE(WaitFor([&] { return Cell(grid, 1, 1) != "" && pTab->Note()->text() == strNote; }));
    double dFive = 0;
    for (int l = 1; l <= 5; ++l)
        dFive += std::exp(-(l - 1));
    EXPECT_EQ(Cell(grid, 1, 1), Percent(1 / dFive));
    EXPECT_EQ(Cell(grid, 6, 1), "");
    EXPECT_EQ(Cell(grid, 6, 3), "");
    EXPECT_EQ(Cell(grid, 6, 5), Pick("2-3", std::exp(-1) / dFive / 4));

    // The other pages have no note.
    host.ClickTab(0);
    EXPECT_FALSE(pTab->Note()->isVisible());
    EXPECT_EQ(Cell(grid, 0, 9), "2連単");
}

TEST(FitForecastDlgTest, FitsOnThePeriodJudgesTheLastMonthBesideTheModelInUseAndKeepsTheNewOne)
{
    // Seventy days of one venue, six races a day, each won 1-2-3: any model fitted on them puts
    // 1-2 and 1-2-3 first. The exacta pays 500 yen on 600 staked, the trifecta 1200 on 1200.
    for (int n = 0; n < 70; ++n)
        fixture::WriteStandardDay(CTime(2021, 3, 1, 12, 0, 0).AddDays(n), {5}, 6);
    ASSERT_TRUE(fixture::WriteLaneModel(20200101, 20201231));
    std::string strWarning;
    const CForecastModel before = CModelFile::Current(strWarning);
    CHistoryService history;
    history.Update();
    ASSERT_TRUE(WaitFor([&] { return !history.IsUpdating(); }));

    CFitForecastDlg dlg(history, nullptr);
    EXPECT_EQ(dlg.windowTitle(), Utf8("予想の学習"));
    dlg.show();
    // The period offered is the days the store holds.
    ASSERT_TRUE(WaitFor([&] { return dlg.FromDate()->date() == QDate(2021, 3, 1); }));
    EXPECT_EQ(dlg.ToDate()->date(), QDate(2021, 5, 9));
    EXPECT_FALSE(dlg.KeepButton()->isEnabled());
    QTest::mouseClick(dlg.FitButton(), Qt::LeftButton);
    EXPECT_TRUE(dlg.StopButton()->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return !dlg.IsFitting() && dlg.FitButton()->isEnabled(); }));
    ASSERT_NE(dlg.Outcome(), nullptr) << dlg.StatusLabel()->text().toStdString();
    // The last month: the thirty-one days from thirty before the last, 186 races.
    EXPECT_EQ(dlg.StatusLabel()->text(), Utf8("2021/03/01〜2021/05/09 の 420 レースで学習しました（%1 秒）。下は、学習に使わなかった "
                                              "2021/04/09〜2021/05/09 の 186 レースの成績です。")
                                             .arg(QString::fromStdString(FixedDecimals(dlg.Outcome()->dSeconds, 1))));
    QTableWidget* pFigures = dlg.Figures();
    const char* const kWant[] = {"100.0%", "", "83.3%", "100.0%", "", "100.0%"};
    for (int r = 0; r < 2; ++r)
        for (int c : {0, 2, 3, 5})
            EXPECT_EQ(pFigures->item(r, c)->text().toStdString(), kWant[c]) << r << "," << c;
    // The table shows whole in the dialog.
    QApplication::processEvents();
    EXPECT_TRUE(dlg.rect().contains(pFigures->geometry())) << pFigures->geometry().right() << " " << dlg.width();
    const QFontMetrics metrics(pFigures->font());
    for (int c = 0; c < pFigures->columnCount(); ++c)
        EXPECT_LE(metrics.horizontalAdvance(pFigures->item(0, c)->text()), pFigures->columnWidth(c)) << c;

    QTest::mouseClick(dlg.KeepButton(), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    const CForecastModel kept = CModelFile::Current(strWarning);
    EXPECT_EQ(strWarning, "");
    EXPECT_NE(kept.m_strFingerprint, before.m_strFingerprint);
    EXPECT_EQ(kept.m_nFrom, 20210301);
    EXPECT_EQ(kept.m_nTo, 20210509);
    // The stored forecasts follow it.
    EXPECT_TRUE(history.IsUpdating());
    ASSERT_TRUE(WaitFor([&] { return !history.IsUpdating(); }));
}
