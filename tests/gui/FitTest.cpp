// What the window shows must show whole at 96 dpi and above (these tests run again at 120 and
// 144 dpi, and zoomed 1.5 and 2 times) and at every size of the window: no control over another,
// every grid row inside its grid, every text inside its cell, also for the widest value each
// field of the day files can hold.

#include "DayFixture.h"
#include "ViewHost.h"
#include "res/Templates.h"

namespace {

using viewtest::CViewHost;

const QDate kDay(2021, 3, 3);

// The widest values of each field: two-place rates of 100.00 and rates of 10.00 in the narrow
// columns, twelve meet results, names of four full-width characters, the longest payouts.
void WriteWidestDay()
{
    std::vector<fixture::Boat> boats = fixture::StandardBoats(1);
    for (fixture::Boat& b : boats) {
        b.name = "長谷川龍之";
        b.cls = "A1";
        b.winRate = "10.00";
        b.twoRate = "100.00";
        b.localWin = "10.00";
        b.localTwo = "100.00";
        b.motorNo = "100";
        b.motorRate = "100.00";
        b.hullNo = "100";
        b.boatRate = "100.00";
        b.meet = "F65432114325";
        b.early = "12";
        b.age = "60";
        b.weight = "100";
    }
    fixture::ProgramVenue venue{.venue = 24};
    venue.races.push_back({.race = 1, .boats = boats});
    const CTime day(kDay.year(), kDay.month(), kDay.day(), 12, 0, 0);
    fixture::WriteProgramFile(day, fixture::ProgramFile({venue}));

    fixture::ResultRace race{.race = 1, .weather = "曇り", .windDirection = "北北西", .windSpeed = "10",
                             .waveHeight = "10", .move = "まくり差し"};
    for (int p = 0; p < 6; ++p)
        race.finishes.push_back({.place = p == 5 ? "K1" : "0" + std::to_string(p + 1), .boat = p + 1,
                                 .regNo = "4000", .surname = "長谷川", .givenName = "龍之介",
                                 .course = std::to_string(p + 1), .start = "0.99", .time = "1.59.9"});
    race.winPay = "9999990";
    race.placePay1 = "9999990";
    race.placePay2 = "99990";
    for (fixture::Combo* c : {&race.exacta, &race.quinella, &race.trifecta, &race.trio})
        c->pay = "9999990", c->popularity = "120";
    fixture::WriteResultFile(day, fixture::ResultFile({{.venue = 24, .races = {race}}}));
}

TEST(FitTest, FormControlsNeitherOverlapNorLeaveTheFrame)
{
    CViewHost host;
    CKeluView& view = host.View();
    // The frame of 690 x 470 pixels, or of 840 x 570 at 120 dpi, growing on with the resolution;
    // zoomed, the upper grid as many times wider as the form's units make it.
    const int nDpi = view.logicalDpiX();
    const double dZoom = viewtest::TestZoom();
    const int nGridWidth = CDialogUnits(DialogFont(kKeluFormTemplate)).ToPixelsX(285);
    if (dZoom > 1.0)
        EXPECT_NEAR(host.Upper().width() / (nGridWidth * dZoom), 1.0, 0.01);
    else if (nDpi <= 96)
        EXPECT_EQ(host.Frame().size(), QSize(690, 470));
    else if (nDpi == 120)
        EXPECT_EQ(host.Frame().size(), QSize(840, 570));
    else
        EXPECT_TRUE(host.Frame().width() > 840 && host.Frame().height() > 570) << nDpi << " dpi";
    EXPECT_TRUE(host.Frame().centralWidget()->rect().contains(view.childrenRect()))
        << "view " << view.width() << "x" << view.height() << ", its controls reach " << view.childrenRect().right()
        << "," << view.childrenRect().bottom();
    viewtest::ExpectControlsInsideAndApart(view);
    // Seven whole rows in each grid, whatever the resolution; the wheel scrolls nothing.
    for (CMSFlexGrid* pGrid : {&host.Upper(), &host.Lower()}) {
        EXPECT_TRUE(pGrid->viewport()->rect().contains(pGrid->CellRect(6, 0)));
        QWheelEvent wheel(QPointF(10, 10), pGrid->mapToGlobal(QPointF(10, 10)), {}, QPoint(0, -120), Qt::NoButton,
                          {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(pGrid->viewport(), &wheel);
        EXPECT_EQ(pGrid->rowViewportPosition(0), 0);
    }
}

TEST(FitTest, WidestValuesShowWholeInEveryCell)
{
    WriteWidestDay();
    CViewHost host;
    host.TypeDate(kDay);
    host.ClickVenue(24);
    host.ClickRace(1);
    ASSERT_EQ(viewtest::Cell(host.Upper(), 1, 5), "100.00");
    ASSERT_EQ(viewtest::Cell(host.Upper(), 1, 10), "F65432114325");
    // At the form's widths "100.00" does not fit a 680-twip cell in the grid's own font: the
    // check below must see condensed texts, or it checks nothing.
    EXPECT_GT(viewtest::ExpectEveryCellFits(host.Upper(), "program"), 0);
    viewtest::ExpectEveryCellFits(host.Lower(), "details");
    host.ClickTab(1);
    ASSERT_EQ(viewtest::Cell(host.Lower(), 0, 9), "9999990");
    viewtest::ExpectEveryCellFits(host.Lower(), "results");
}

TEST(FitTest, AtEverySizeOfTheWindowTheFormStaysWholeAndEveryTextFits)
{
    WriteWidestDay();
    CViewHost host;
    host.TypeDate(kDay);
    host.ClickVenue(24);
    host.ClickRace(1);
    QMainWindow& frame = host.Frame();
    frame.resize(frame.minimumSize());
    const QSize chrome = frame.size() - host.View().size();
    const QSize standard = host.View().size();
    const int nStandardGridWidth = host.Upper().width();
    // Sizes in the form's proportions and off them, from the standard one to well beyond twice
    // it, on both pages of the lower grid.
    for (int nTab : {0, 1}) {
        host.ClickTab(nTab);
        for (int nStep = 0; nStep <= 32; ++nStep) {
            const double dFactor = 1.0 + nStep * 0.05;
            const double dWider = nStep % 3 == 1 ? 1.2 : 1.0;
            const double dTaller = nStep % 3 == 2 ? 1.2 : 1.0;
            frame.resize(chrome + QSize(static_cast<int>(standard.width() * dFactor * dWider),
                                        static_cast<int>(standard.height() * dFactor * dTaller)));
            const std::string where = std::to_string(frame.width()) + "x" + std::to_string(frame.height());
            // The form is as many times larger as the window's narrower side allows.
            EXPECT_NEAR(host.Upper().width(), nStandardGridWidth * dFactor, 1.0 + dFactor) << where;
            viewtest::ExpectControlsInsideAndApart(host.View(), where);
            viewtest::ExpectEveryCellFits(host.Upper(), where + " program");
            viewtest::ExpectEveryCellFits(host.Lower(), where + (nTab == 0 ? " details" : " results"));
        }
    }
}

} // namespace
