// The grids' pages: the program grid, the details page with its predictions and the results
// page, read back cell by cell after real clicks. Expected values are worked out by hand from
// the fixture's byte positions.

#include "DayFixture.h"
#include "SpecialRaces.h"
#include "TestDir.h"
#include "ViewHost.h"

#include <filesystem>

namespace {

using viewtest::Cell;
using viewtest::CViewHost;

const QDate kDay(2020, 1, 31);

constexpr COLORREF kHeading = 0xEEEEEE;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kWon = 0x9999FF;
constexpr COLORREF kOut = 0x3333FF;
constexpr COLORREF kBoatColors[7] = {0, 0xFFFFFF, 0xCCCCCC, 0xCCCCFF, 0xFFCCCC, 0xCCFFFF, 0xCCFFCC};
constexpr short L = flexAlignLeftCenter, C = flexAlignCenterCenter, R = flexAlignRightCenter, G = flexAlignGeneral;

// Six boats whose indexes are 10.00, 6.00, 15.02, 13.00, 9.50 and 5.00:
//   boat 3: A1, 4 + 6.50 + 4.52, meet "1 2" scores 9.0, not below 6.50 - 2: 15.02
//   boat 4: A2, 3 + 6.00 + 4.00, meet "3" scores 6.0: 13.00
//   boat 5: B1, 2 + 4.00 + 2.50, meet "6" scores 1.0, below 4.00 - 2, adds 1.00: 9.50
// Exacta picks (percentages by hand): 3-4 7.67, 4-3 7.33, 3-1 5.90, 3-5 5.61, 1-3 5.29, 5-3 4.97,
// then 4-1 and, tenth, 5-4. Trifecta picks 1-12: 3-4-1 4-3-1 3-4-5 3-1-4 4-3-5 3-5-4 4-1-3
// 1-3-4 1-4-3 4-5-3 5-3-4 5-4-3; 3-1-5 is the thirteenth and 4-3-2 the eighteenth.
std::vector<fixture::Boat> RatedBoats()
{
    std::vector<fixture::Boat> boats(6);
    const char* const names[] = {"青木一郎", "赤井二郎", "水上花子", "上野四郎", "江藤五郎", "大森六郎"};
    for (int i = 0; i < 6; ++i) {
        boats[i].boat = i + 1;
        boats[i].regNo = std::to_string(4101 + i);
        boats[i].name = names[i];
    }
    boats[1].cls = "B2", boats[1].winRate = "3.00", boats[1].twoRate = "20.00";
    boats[2] = {.boat = 3, .regNo = "4103", .name = "水上花子", .age = "27", .branch = "大阪", .weight = "47",
                .cls = "A1", .winRate = "6.50", .twoRate = "45.20", .localWin = "7.10", .localTwo = "52.00",
                .motorNo = "33", .motorRate = "38.50", .hullNo = "71", .boatRate = "41.25", .meet = "1 2", .early = "1"};
    boats[3].cls = "A2", boats[3].winRate = "6.00", boats[3].twoRate = "40.00", boats[3].meet = "3";
    boats[4].winRate = "4.00", boats[4].twoRate = "25.00", boats[4].meet = "6";
    boats[5].winRate = "2.00", boats[5].twoRate = "10.00";
    return boats;
}

// Boats 2 and 5 share the best index (16.00); the other four share 10.00.
std::vector<fixture::Boat> TiedBoats()
{
    std::vector<fixture::Boat> boats = fixture::StandardBoats(2);
    for (int i : {1, 4})
        boats[i].cls = "A1", boats[i].winRate = "7.00", boats[i].twoRate = "50.00";
    return boats;
}

fixture::Finish Finished(const char* place, int boat, const char* start, const char* time)
{
    return {.place = place, .boat = boat, .regNo = std::to_string(4100 + boat), .course = std::to_string(boat),
            .start = start, .time = time};
}

// Race 1: boat 6 flew; the win bet was refunded; the exacta 4-3 was the second pick, the
// trifecta 4-3-2 not among the twelve.
fixture::ResultRace RaceOneResult()
{
    fixture::ResultRace r;
    r.race = 1;
    r.weather = "雨", r.windDirection = "南西", r.windSpeed = "5", r.waveHeight = "3", r.move = "まくり";
    r.finishes = {Finished("01", 4, "0.12", "1.49.8"), Finished("02", 3, "0.15", "1.50.6"),
                  Finished("03", 2, "0.21", "1.51.9"), Finished("04", 1, "0.09", "1.52.4"),
                  Finished("05", 5, "0.18", "1.53.0"), Finished("F", 6, "0.02", ".  .")};
    r.bSpecialRefund = true, r.winPay = "70";
    r.placeBoat1 = "4", r.placePay1 = "250", r.placeBoat2 = "3", r.placePay2 = "180";
    r.exacta = {"4-3", "1230", "4"};
    r.quinella = {"3-4", "560", "2"};
    r.trifecta = {"4-3-2", "9870", "25"};
    r.trio = {"2-3-4", "1450", "6"};
    return r;
}

// Race 3, the same boats: the exacta 5-4 was the tenth pick, the trifecta 5-4-3 the twelfth.
fixture::ResultRace RaceThreeResult()
{
    fixture::ResultRace r;
    r.race = 3;
    r.finishes = {Finished("01", 5, "0.11", "1.49.0"), Finished("02", 4, "0.12", "1.50.0"),
                  Finished("03", 3, "0.13", "1.51.0"), Finished("04", 1, "0.14", "1.52.0"),
                  Finished("05", 2, "0.15", "1.53.0"), Finished("06", 6, "0.16", "1.54.0")};
    r.exacta = {"5-4", "2100", "9"};
    r.quinella = {"4-5", "900", "5"};
    r.trifecta = {"5-4-3", "15400", "41"};
    r.trio = {"3-4-5", "2300", "8"};
    return r;
}

// 住之江 races 1-3 of the boats above; 戸田 has one race.
void WriteDay()
{
    fixture::ProgramVenue suminoe{.venue = 12};
    suminoe.races = {{.race = 1, .boats = RatedBoats()}, {.race = 2, .boats = TiedBoats()},
                     {.race = 3, .boats = RatedBoats()}};
    fixture::ProgramVenue toda{.venue = 2};
    toda.races = {{.race = 1}};
    const CTime day(kDay.year(), kDay.month(), kDay.day(), 12, 0, 0);
    fixture::WriteProgramFile(day, fixture::ProgramFile({suminoe, toda}));
    fixture::ResultVenue results{.venue = 12, .races = {RaceOneResult(), {.race = 2}, RaceThreeResult()}};
    fixture::WriteResultFile(day, fixture::ResultFile({results}));
}

struct CExpected {
    const char* text;
    short nAlign;
    COLORREF color;
};

void ExpectRow(const CMSFlexGrid& grid, int nRow, const std::vector<CExpected>& cells)
{
    for (int nCol = 0; nCol < static_cast<int>(cells.size()); ++nCol) {
        EXPECT_EQ(Cell(grid, nRow, nCol), cells[nCol].text) << "row " << nRow << " col " << nCol;
        EXPECT_EQ(grid.GetCellAlignment(nRow, nCol), cells[nCol].nAlign) << "row " << nRow << " col " << nCol;
        EXPECT_EQ(grid.GetCellBackColor(nRow, nCol), cells[nCol].color) << "row " << nRow << " col " << nCol;
    }
}

std::vector<int> Widths(const CMSFlexGrid& grid)
{
    std::vector<int> widths;
    for (int nCol = 0; nCol < 12; ++nCol)
        widths.push_back(grid.GetColWidth(nCol));
    return widths;
}

const std::vector<int> kDetailWidths{320, 600, 340, 580, 550, 500, 500, 10, 1050, 1283, 850, 850};
const std::vector<int> kResultWidths{340, 340, 1070, 320, 340, 900, 1140, 760, 760, 900, 560, 0};

const std::vector<CExpected> kDetailHeadings{
    {"艇", G, kHeading},   {"登番", C, kHeading}, {"歳", C, kHeading},       {"出身", C, kHeading},
    {"体重", G, kHeading}, {"モ", C, kHeading},   {"ボ", C, kHeading},       {"", C, kHeading},
    {"選手指数", C, kHeading}, {"2連単", C, kHeading}, {"3連単", C, kHeading}, {"3連単", C, kHeading}};

class PagesTest : public ::testing::Test {
protected:
    PagesTest()
    {
        WriteDay();
        host.TypeDate(kDay);
    }
    // Chooses 住之江 and the race with the buttons.
    void Show(int nRace)
    {
        host.ClickVenue(12);
        host.ClickRace(nRace);
    }
    CViewHost host;
};

TEST_F(PagesTest, ProgramGridShowsTheBoatsFiguresWithTheirFormats)
{
    Show(1);
    const CMSFlexGrid& grid = host.Upper();

    ExpectRow(grid, 0, {{"艇", G, kHeading}, {"予", C, kHeading}, {"選　手", C, kHeading}, {"級", C, kHeading},
                        {"勝率", G, kHeading}, {"複率", C, kHeading}, {"当率", C, kHeading}, {"当複", C, kHeading},
                        {"モ率", C, kHeading}, {"ボ率", C, kHeading}, {"今節成績", C, kHeading}, {"早", C, kHeading}});
    EXPECT_EQ(Widths(grid), (std::vector<int>{320, 550, 1040, 320, 550, 680, 550, 680, 550, 550, 1350, 320}));
    const COLORREF b3 = kBoatColors[3];
    ExpectRow(grid, 3, {{"3", C, b3}, {"◎◎", R, b3}, {"水上花子", L, b3}, {"A1", R, b3}, {" 6.50", R, b3},
                        {"45.20", R, b3}, {" 7.10", R, b3}, {"52.00", R, b3}, {"38.5", R, b3}, {"41.2", R, b3},
                        {"1 2         ", L, b3}, {" 1", R, b3}});
    // Meet mark, then index mark; a boat without meet results has no meet mark.
    const char* const marks[] = {"", "　△", "　　", "◎◎", "○○", "△×", "　　"};
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(Cell(grid, n, 1), marks[n]) << "boat " << n;
        EXPECT_EQ(Cell(grid, n, 0), std::to_string(n));
        EXPECT_EQ(grid.GetCellBackColor(n, 5), kBoatColors[n]);
    }
}

TEST_F(PagesTest, TiedIndexesRankTheLowerBoatNumberFirst)
{
    Show(2);
    const char* const marks[] = {"", "　△", "　◎", "　×", "　　", "　○", "　　"};
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(Cell(host.Upper(), n, 1), marks[n]) << "boat " << n;
    EXPECT_EQ(Cell(host.Lower(), 2, 8), "◎ 16.00");
    EXPECT_EQ(Cell(host.Lower(), 5, 8), "○ 16.00");
}

TEST_F(PagesTest, DetailsPageMarksTheSecondExactaPickAndNoTrifectaOutsideTheTwelve)
{
    Show(1);
    const CMSFlexGrid& grid = host.Lower();

    ExpectRow(grid, 0, kDetailHeadings);
    EXPECT_EQ(Widths(grid), kDetailWidths);
    const COLORREF b3 = kBoatColors[3];
    ExpectRow(grid, 3, {{"3", C, b3}, {"4103", C, b3}, {"27", C, b3}, {"大阪", C, b3}, {"47kg", C, b3},
                        {" 33", C, b3}, {" 71", C, b3}, {"", C, b3}, {"◎ 15.02", R, b3}, {"3-1  5.90%", C, kWhite},
                        {"4-3-5", C, kWhite}, {"3-5-4", C, kWhite}});
    EXPECT_EQ(Cell(grid, 6, 8), "　  5.00");
    const char* const exacta[] = {"", "3-4  7.67%", "4-3  7.33%", "3-1  5.90%", "3-5  5.61%", "1-3  5.29%", "5-3  4.97%"};
    const char* const trifecta[] = {"3-4-1", "4-3-1", "3-4-5", "3-1-4", "4-3-5", "3-5-4",
                                    "4-1-3", "1-3-4", "1-4-3", "4-5-3", "5-3-4", "5-4-3"};
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(Cell(grid, n, 9), exacta[n]);
        EXPECT_EQ(Cell(grid, n, 10), trifecta[2 * n - 2]);
        EXPECT_EQ(Cell(grid, n, 11), trifecta[2 * n - 1]);
        EXPECT_EQ(grid.GetCellBackColor(n, 9), n == 2 ? kWon : kWhite) << "row " << n;
        EXPECT_EQ(grid.GetCellBackColor(n, 10), kWhite) << "row " << n;
        EXPECT_EQ(grid.GetCellBackColor(n, 11), kWhite) << "row " << n;
        EXPECT_EQ(grid.GetCellBackColor(n, 0), kBoatColors[n]);
        EXPECT_EQ(grid.GetCellBackColor(n, 7), kBoatColors[n]);
    }

    // Race 3: the twelfth trifecta pick won, the tenth exacta pick did not count.
    host.ClickRace(3);
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(grid.GetCellBackColor(n, 9), kWhite) << "row " << n;
        EXPECT_EQ(grid.GetCellBackColor(n, 10), kWhite) << "row " << n;
        EXPECT_EQ(grid.GetCellBackColor(n, 11), n == 6 ? kWon : kWhite) << "row " << n;
    }
}

TEST_F(PagesTest, ResultsPageShowsFinishesConditionsAndPayouts)
{
    Show(1);
    host.ClickTab(1);
    const CMSFlexGrid& grid = host.Lower();

    EXPECT_EQ(Widths(grid), kResultWidths);
    EXPECT_TRUE(grid.isColumnHidden(11));
    const COLORREF b4 = kBoatColors[4], b6 = kBoatColors[6];
    ExpectRow(grid, 0, {{"着", G, kHeading}, {"艇", C, kHeading}, {"選手", C, kHeading}, {"コ", C, kHeading},
                        {"ST", G, kHeading}, {"タイム", C, kHeading}, {"決まり手", C, kHeading},
                        {"単勝", C, kHeading}, {"特払", C, kWhite}, {"70", R, kWhite}, {"", C, kWhite}});
    ExpectRow(grid, 1, {{"01", C, b4}, {"4", C, b4}, {"上野四郎", L, b4}, {"4", C, b4}, {"12", C, b4},
                        {"1.49.8", C, b4}, {"まくり    ", L, kWhite}, {"複勝", C, kHeading}, {"4", C, kWhite},
                        {"    250", R, kWhite}, {"", C, kWhite}});
    ExpectRow(grid, 2, {{"02", C, kBoatColors[3]}, {"3", C, kBoatColors[3]}, {"水上花子", L, kBoatColors[3]},
                        {"3", C, kBoatColors[3]}, {"15", C, kBoatColors[3]}, {"1.50.6", C, kBoatColors[3]},
                        {"気　　象", C, kHeading}, {"複勝", C, kHeading}, {"3", C, kWhite}, {"  180", R, kWhite},
                        {"人気", C, kHeading}});
    // Boat 1 stays white; boat 6 flew: red except its boat number.
    EXPECT_EQ(grid.GetCellBackColor(4, 0), kWhite);
    EXPECT_EQ(grid.GetCellBackColor(4, 3), kWhite);
    ExpectRow(grid, 6, {{"F ", C, kOut}, {"6", C, b6}, {"大森六郎", L, kOut}, {"6", C, kOut}, {"02", C, kOut},
                        {"  .  .", C, kOut}, {"波高 3cm", L, kWhite}, {"3連複", C, kHeading},
                        {"2-3-4", R, kWhite}, {"1450", R, kWhite}, {"6", R, kWhite}});
    EXPECT_EQ(Cell(grid, 3, 6), "雨");
    EXPECT_EQ(Cell(grid, 4, 6), "風 南西");
    EXPECT_EQ(Cell(grid, 5, 6), "風速 5m");
    // The real exacta was the second pick; the real trifecta was not among the twelve.
    ExpectRow(grid, 3, {{"03", C, kBoatColors[2]}});
    for (int nCol = 8; nCol <= 10; ++nCol) {
        EXPECT_EQ(grid.GetCellBackColor(3, nCol), kWon);
        EXPECT_EQ(grid.GetCellBackColor(5, nCol), kWhite);
        EXPECT_EQ(grid.GetCellAlignment(3, nCol), R);
    }
    EXPECT_EQ(Cell(grid, 3, 8) + Cell(grid, 3, 9) + Cell(grid, 3, 10), "4-312304");
    EXPECT_EQ(Cell(grid, 5, 7) + Cell(grid, 5, 8) + Cell(grid, 5, 9) + Cell(grid, 5, 10), "3連単4-3-2987025");

    // Race 3: the marks change rows.
    host.ClickRace(3);
    for (int nCol = 8; nCol <= 10; ++nCol) {
        EXPECT_EQ(grid.GetCellBackColor(3, nCol), kWhite);
        EXPECT_EQ(grid.GetCellBackColor(5, nCol), kWon);
    }
}

TEST_F(PagesTest, FinishColoursFollowTheStatusAndTheBoat)
{
    const struct {
        const char* boat;
        const char* status;
        COLORREF color;
    } kCases[] = {
        {"3", "F ", kOut}, {"1", "L0", kOut}, {"2", "K1", kOut}, {"4", " ", kBoatColors[4]},
        {"5", "S0", kBoatColors[5]}, {"2", "02", kBoatColors[2]}, {"6", "06", kBoatColors[6]},
        {"1", "01", kWhite}, {"", "", kWhite}, {"7", "01", kWhite}, {"0", "01", kWhite},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(CKeluView::FinishCellColor(c.boat, c.status), c.color) << c.boat << " " << c.status;
}

TEST_F(PagesTest, WithoutAVenueOnlyHeadingsAndColoursShow)
{
    const CMSFlexGrid& upper = host.Upper();
    const CMSFlexGrid& lower = host.Lower();
    for (int n = 1; n <= 6; ++n)
        for (int nCol = 0; nCol < 12; ++nCol) {
            EXPECT_EQ(Cell(upper, n, nCol), "") << n << "," << nCol;
            EXPECT_EQ(Cell(lower, n, nCol), "") << n << "," << nCol;
            EXPECT_EQ(upper.GetCellBackColor(n, nCol), kBoatColors[n]);
            EXPECT_EQ(lower.GetCellBackColor(n, nCol), nCol <= 8 ? kBoatColors[n] : kWhite);
        }
    EXPECT_EQ(Cell(upper, 0, 10), "今節成績");
    ExpectRow(lower, 0, kDetailHeadings);

    // A race the venue does not hold: marks are blanks, the results page keeps its labels.
    host.ClickVenue(2);
    host.ClickRace(2);
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(Cell(upper, n, 1), "　　");
        EXPECT_EQ(Cell(upper, n, 2), "");
    }
    host.ClickTab(1);
    EXPECT_EQ(Cell(lower, 4, 6), "風 ");
    EXPECT_EQ(Cell(lower, 5, 6), "風速m");
    EXPECT_EQ(Cell(lower, 6, 6), "波高 cm");
    EXPECT_EQ(Cell(lower, 2, 10), "人気");
    EXPECT_EQ(Cell(lower, 1, 0), "");
    EXPECT_EQ(lower.GetCellBackColor(3, 8), kWhite);
}

TEST_F(PagesTest, SwitchingPagesRebuildsEachLayoutCompletely)
{
    Show(1);
    host.ClickTab(1);
    EXPECT_EQ(Widths(host.Lower()), kResultWidths);
    EXPECT_EQ(Cell(host.Lower(), 0, 0), "着");

    host.ClickTab(0);
    const CMSFlexGrid& grid = host.Lower();
    EXPECT_EQ(Widths(grid), kDetailWidths);
    EXPECT_FALSE(grid.isColumnHidden(11));
    ExpectRow(grid, 0, kDetailHeadings);
    // Nothing of the results page is left: formats of its labels and marks are gone.
    ExpectRow(grid, 2, {{"2", C, kBoatColors[2]}, {"4102", C, kBoatColors[2]}});
    EXPECT_EQ(grid.GetCellBackColor(2, 10), kWhite);
    EXPECT_EQ(grid.GetCellAlignment(2, 10), C);
    EXPECT_EQ(grid.GetCellBackColor(3, 8), kBoatColors[3]);
    EXPECT_EQ(grid.GetCellAlignment(1, 6), C);
    EXPECT_EQ(Cell(grid, 1, 6), " 20");

    host.ClickTab(1);
    EXPECT_EQ(Cell(grid, 0, 8), "特払");
    EXPECT_EQ(grid.GetCellBackColor(0, 8), kWhite);
    EXPECT_EQ(Cell(grid, 1, 11), "");
}

// Every race of every venue of the published days, on both pages, with every text whole.
TEST(RealDayPagesTest, EveryRaceRendersWithItsBoatsAndEveryTextWhole)
{
    if (testsupport::SharedDataDir().empty())
        GTEST_SKIP() << testsupport::NoSharedDataReason();
    std::vector<QDate> days = {{2020, 1, 1}, {2020, 1, 5}, {2020, 1, 6}, {2020, 1, 8}};
    // Zoomed, the two days of the special refund and of the cancelled, late and absent boats:
    // other sizes of every cell are the fit test's, the real days add the real texts.
    const bool bZoomed = viewtest::TestZoom() > 1.0;
    if (bZoomed)
        days = {{2020, 1, 6}, {2020, 1, 8}};
    for (const QDate& day : days) {
        const std::string stamp = day.toString(QStringLiteral("yyMMdd")).toStdString();
        ASSERT_TRUE(testsupport::CopySharedDayFile("B" + stamp + ".TXT", "data/prog/B" + stamp + ".TXT"));
        ASSERT_TRUE(testsupport::CopySharedDayFile("K" + stamp + ".TXT", "data/res/K" + stamp + ".TXT"));
    }
    CViewHost host;
    const auto stamp = [](const QDate& day) { return day.toString(Qt::ISODate).toStdString(); };
    int nRendered = 0;
    for (const QDate& day : days) {
        host.TypeDate(day);
        ASSERT_GT(host.VenueList()->count(), 0) << day.toString().toStdString();
        for (int nTab : {0, 1}) {
            host.ClickTab(nTab);
            for (int v = 1; v <= 24; ++v) {
                if (!host.VenueButton(v)->isEnabled())
                    continue;
                host.ClickVenue(v);
                for (int r = 1; r <= 12 && host.Doc().HasRace(v, r); ++r) {
                    host.ClickRace(r);
                    ++nRendered;
                    const std::string where = stamp(day) + " " + std::to_string(v) + "/" + std::to_string(r);
                    viewtest::ExpectEveryCellFits(host.Upper(), where);
                    viewtest::ExpectEveryCellFits(host.Lower(), where);
                    for (int b = 1; b <= 6; ++b) {
                        if (host.Doc().GetProgramLine(b).IsEmpty())
                            continue;
                        EXPECT_EQ(Cell(host.Upper(), b, 0), std::to_string(b)) << v << "/" << r;
                        EXPECT_NE(Cell(host.Upper(), b, 2), "") << v << "/" << r;
                        if (nTab == 0) {
                            EXPECT_EQ(Cell(host.Lower(), b, 0), std::to_string(b)) << v << "/" << r;
                        } else if (!host.Doc().GetFinishLine(b).IsEmpty()) {
                            EXPECT_NE(Cell(host.Lower(), b, 0), "") << v << "/" << r;
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(nRendered, 500);
}

} // namespace

namespace {

// The results page of the races the fixed slots read wrong, as the published files hold them.
TEST(SpecialRacesPageTest, DeadHeatsListEveryLineAndVoidOrCancelledRacesSayWhy)
{
    const QDate day(2020, 2, 20);
    fixture::WriteSpecialDay(CTime(2020, 2, 20, 12, 0, 0), 21);
    CViewHost host;
    host.TypeDate(day);
    host.ClickVenue(21);
    host.ClickTab(1);
    CMSFlexGrid& grid = host.Lower();

    host.ClickRace(fixture::kRaceSharedSecond);
    // Each bet's row holds its own first line, the exacta row its winning mark (2-6 is a pick);
    // a bet of more lines than its row, and the place bet's third boat, say so with "他".
    auto column8 = [&grid] {
        std::vector<std::string> cells;
        for (int nRow = 0; nRow < 7; ++nRow)
            cells.push_back(Cell(grid, nRow, 8));
        return cells;
    };
    EXPECT_EQ(column8(), (std::vector<std::string>{"2", "2", "3他", "2-3他", "2-3他", "2-3-6他", "2-3-6"}));
    EXPECT_EQ(Cell(grid, 4, 9), "640");
    EXPECT_EQ(grid.GetCellBackColor(3, 8), kWon);
    // The pointer on a bet of more lines lists them all; a bet of one line has no list.
    const std::string exacta = SjisToUtf8(grid.GetCellToolTip(3, 9).Str());
    EXPECT_EQ(exacta, "2連単\n2-3       1020  人気     7\n2-6        770  人気     6");
    EXPECT_EQ(grid.GetCellToolTip(3, 7), grid.GetCellToolTip(3, 10));
    EXPECT_EQ(SjisToUtf8(grid.GetCellToolTip(1, 8).Str()), "複勝\n2          110  3          270  6          240");
    EXPECT_TRUE(grid.GetCellToolTip(0, 8).IsEmpty());
    EXPECT_TRUE(grid.GetCellToolTip(6, 8).IsEmpty());
    EXPECT_TRUE(grid.item(3, 9)->toolTip().startsWith(QStringLiteral("<pre>")));

    // First place shared: two win lines push the place line down; its second boat is still read.
    host.ClickRace(fixture::kRaceSharedFirst);
    EXPECT_EQ(column8(), (std::vector<std::string>{"2他", "2", "3", "2-3他", "2-3", "2-3-6他", "2-3-6"}));
    EXPECT_EQ(Cell(grid, 2, 9), "  120");
    EXPECT_TRUE(grid.GetCellToolTip(2, 8).IsEmpty());
    EXPECT_EQ(SjisToUtf8(grid.GetCellToolTip(0, 8).Str()), "単勝\n2          140\n3          180");
    viewtest::ExpectEveryCellFits(grid, "first place shared");

    host.ClickRace(fixture::kRaceVoid);
    EXPECT_EQ(Cell(grid, 1, 6), "レース不成立");
    EXPECT_EQ(grid.GetCellBackColor(3, 8), kWhite);
    EXPECT_EQ(grid.GetCellBackColor(5, 8), kWhite);

    host.ClickRace(fixture::kRaceVoidBets);
    EXPECT_EQ(Cell(grid, 1, 8), "不成立");
    EXPECT_EQ(Cell(grid, 1, 9), "");
    EXPECT_EQ(Cell(grid, 4, 8), "不成立");
    EXPECT_EQ(Cell(grid, 5, 8), "不成立");
    EXPECT_EQ(grid.GetCellBackColor(5, 8), kWhite);

    host.ClickRace(fixture::kRaceCancelled);
    EXPECT_EQ(Cell(grid, 1, 6), "中止");
    EXPECT_EQ(Cell(grid, 1, 0), "");
    viewtest::ExpectEveryCellFits(grid, "cancelled");
}

} // namespace
