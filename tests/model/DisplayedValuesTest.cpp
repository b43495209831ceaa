#include "DayFixture.h"
#include "DocSlots.h"
#include "TestDir.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

using fixture::Line;

const CTime kDay(2020, 1, 1, 12, 0, 0);

// A document with venue 1, race 1 selected and nothing stored.
std::unique_ptr<CKeluDoc> NewDocAtRace()
{
    auto doc = std::make_unique<CKeluDoc>();
    Put(doc->m_szProgram[1][1][0], fixture::RaceHeaderLine(1));
    doc->SetSelection(1, 1);
    return doc;
}

// A field from nStart on that is all there when the line reaches nEnd.
struct SFieldCase {
    const char* name;
    std::function<CString(const CKeluDoc&, int)> get;
    int nStart;
    int nEnd;
    std::string expected;
};

// Every value shown once from a line that ends right before its field (nothing) and once from a
// line that ends right after it (all of it): a field read one byte early or late fails one of the
// two, and a field one byte too narrow fails the second.
void ExpectBoundaries(CKeluDoc& doc, char (&slot)[CKeluDoc::kLineSize], const std::string& line, int nArg,
                      const std::vector<SFieldCase>& cases)
{
    for (const SFieldCase& c : cases) {
        SCOPED_TRACE(c.name);
        Put(slot, line.substr(0, static_cast<size_t>(c.nStart)));
        EXPECT_EQ(c.get(doc, nArg).Str(), "");
        Put(slot, line.substr(0, static_cast<size_t>(c.nEnd)));
        EXPECT_EQ(c.get(doc, nArg).Str(), c.expected);
        Put(slot, line);
        EXPECT_EQ(c.get(doc, nArg).Str(), c.expected);
    }
}

const fixture::Boat kBoat{.boat = 3, .regNo = "4164", .name = "岩永節也", .age = "37", .branch = "長崎",
                          .weight = "51", .cls = "A1", .winRate = "6.50", .twoRate = "100.00",
                          .localWin = "7.25", .localTwo = "100.00", .motorNo = "62", .motorRate = "40.31",
                          .hullNo = "15", .boatRate = "36.28", .meet = "1 2 3 45 6FL", .early = "6"};

} // namespace

TEST(DisplayedValuesTest, ProgramFieldsAtTheirBytes)
{
    auto doc = NewDocAtRace();
    const std::string line = fixture::ProgramLine(kBoat);
    ASSERT_EQ(line.size(), 79u);
    // Two-place rates of 100.00 fill six bytes; the meet results have twelve slots.
    ExpectBoundaries(*doc, doc->m_szProgram[1][1][3], line, 3,
                     {{"GetBoatNo", &CKeluDoc::GetBoatNo, 0, 1, "3"},
                      {"GetRegNo", &CKeluDoc::GetRegNo, 2, 6, "4164"},
                      {"GetRacerName", &CKeluDoc::GetRacerName, 6, 14, Sj("岩永節也")},
                      {"GetAge", &CKeluDoc::GetAge, 14, 16, "37"},
                      {"GetBranch", &CKeluDoc::GetBranch, 16, 20, Sj("長崎")},
                      {"GetWeight", &CKeluDoc::GetWeight, 20, 22, "51kg"},
                      {"GetClass", &CKeluDoc::GetClass, 22, 24, "A1"},
                      {"GetWinRate", &CKeluDoc::GetWinRate, 24, 29, " 6.50"},
                      {"GetTwoRate", &CKeluDoc::GetTwoRate, 29, 35, "100.00"},
                      {"GetLocalWinRate", &CKeluDoc::GetLocalWinRate, 35, 40, " 7.25"},
                      {"GetLocalTwoRate", &CKeluDoc::GetLocalTwoRate, 40, 46, "100.00"},
                      {"GetMotorNo", &CKeluDoc::GetMotorNo, 46, 49, " 62"},
                      {"GetMotorRate", &CKeluDoc::GetMotorRate, 50, 54, "40.3"},
                      {"GetHullNo", &CKeluDoc::GetHullNo, 55, 58, " 15"},
                      {"GetBoatRate", &CKeluDoc::GetBoatRate, 59, 63, "36.2"},
                      {"GetMeetResults", &CKeluDoc::GetMeetResults, 65, 77, "1 2 3 45 6FL"},
                      {"GetEarlyRace", &CKeluDoc::GetEarlyRace, 77, 79, " 6"}});
}

TEST(DisplayedValuesTest, ProgramFieldsOfMissingBoatsAndOrdinaryRates)
{
    auto doc = NewDocAtRace();
    fixture::Boat b = kBoat;
    b.twoRate = "3.92";
    b.localTwo = "45.20";
    Put(doc->m_szProgram[1][1][3], fixture::ProgramLine(b));
    // A rate under 100 is right-aligned in the wide field; the alignment blanks go.
    EXPECT_EQ(doc->GetTwoRate(3).Str(), "3.92");
    EXPECT_EQ(doc->GetLocalTwoRate(3).Str(), "45.20");
    // No line for boat 2: nothing, not even "kg".
    EXPECT_EQ(doc->GetWeight(2).Str(), "");
    EXPECT_EQ(doc->GetClass(2).Str(), "");
    // Slot 0 is the race header, not a boat; boat 7 has no slot.
    EXPECT_EQ(doc->GetRacerName(0).Str(), "");
    EXPECT_EQ(doc->GetClass(0).Str(), "");
    EXPECT_EQ(doc->GetRacerName(7).Str(), "");
    EXPECT_EQ(doc->GetBoatNo(-1).Str(), "");
}

TEST(DisplayedValuesTest, FinishFieldsAtTheirBytes)
{
    auto doc = NewDocAtRace();
    const std::string line = fixture::FinishLine({.place = "02", .boat = 4, .regNo = "4948", .surname = "木　場　",
                                                  .givenName = "　悠　介", .course = "5", .start = "0.14",
                                                  .time = "1.48.7"});
    ExpectBoundaries(*doc, doc->m_szFinish[1][1][1], line, 2,
                     {{"GetFinishPlace", &CKeluDoc::GetFinishPlace, 2, 4, "02"},
                      {"GetFinishBoat", &CKeluDoc::GetFinishBoat, 6, 7, "4"},
                      {"GetFinishRegNo", &CKeluDoc::GetFinishRegNo, 8, 12, "4948"},
                      {"GetFinishName", &CKeluDoc::GetFinishName, 13, 29, Sj("木場 悠介")},
                      {"GetFinishCourse", &CKeluDoc::GetFinishCourse, 46, 47, "5"},
                      {"GetFinishStart", &CKeluDoc::GetFinishStart, 53, 55, "14"},
                      {"GetFinishTime", &CKeluDoc::GetFinishTime, 60, 66, "1.48.7"}});
    // The given name is right-aligned in eight bytes: a shorter field would lose "介".
    Put(doc->m_szFinish[1][1][1], line.substr(0, 27));
    EXPECT_EQ(doc->GetFinishName(2).Str(), Sj("木場 悠"));
}

TEST(DisplayedValuesTest, FinishNamesLoseTheirFullWidthBlanks)
{
    auto doc = NewDocAtRace();
    Put(doc->m_szFinish[1][1][0], fixture::FinishLine({.surname = "山戸　　", .givenName = "信二　　"}));
    Put(doc->m_szFinish[1][1][1], fixture::FinishLine({.surname = "渡　邉　", .givenName = "　　　翼"}));
    Put(doc->m_szFinish[1][1][2], fixture::FinishLine({.surname = "林　　　", .givenName = "　恵　祐"}));
    EXPECT_EQ(doc->GetFinishName(1).Str(), Sj("山戸 信二"));
    EXPECT_EQ(doc->GetFinishName(2).Str(), Sj("渡邉 翼"));
    EXPECT_EQ(doc->GetFinishName(3).Str(), Sj("林 恵祐"));
    // A full-width blank (0x81 0x40) is only removed on character boundaries: "＝" (0x81 0x81)
    // followed by "@" holds the same two bytes across its trail byte.
    Put(doc->m_szFinish[1][1][3], Line().At(2, "04").Raw(13, Sj("＝") + "@AB").Raw(21, Sj("　　　") + "AB"));
    EXPECT_EQ(doc->GetFinishName(4).Str(), Sj("＝") + "@AB    AB");
    EXPECT_EQ(doc->GetFinishName(5).Str(), "");
}

TEST(DisplayedValuesTest, FinishRacerNameComesFromTheProgram)
{
    auto doc = NewDocAtRace();
    Put(doc->m_szProgram[1][1][4], fixture::ProgramLine({.boat = 4, .name = "木場悠介"}));
    Put(doc->m_szFinish[1][1][0], fixture::FinishLine({.boat = 4}));
    Put(doc->m_szFinish[1][1][1], Line().At(2, "02").At(6, "7").At(8, "4000"));
    Put(doc->m_szFinish[1][1][2], Line().At(2, "03").At(8, "4000"));
    EXPECT_EQ(doc->GetFinishRacerName(1).Str(), Sj("木場悠介"));
    EXPECT_EQ(doc->GetFinishRacerName(2).Str(), "");
    EXPECT_EQ(doc->GetFinishRacerName(3).Str(), "");
}

TEST(DisplayedValuesTest, RaceFieldsAtTheirBytes)
{
    auto doc = NewDocAtRace();
    const fixture::ResultRace race{.weather = "曇", .windDirection = "北西", .windSpeed = "14", .waveHeight = "10"};
    ExpectBoundaries(*doc, doc->m_szResult[1][1][0], fixture::ResultRaceLine(race), 0,
                     {{"GetWeather", [](const CKeluDoc& d, int) { return d.GetWeather(); }, 49, 51, Sj("曇")},
                      {"GetWindDirection", [](const CKeluDoc& d, int) { return d.GetWindDirection(); }, 59, 63,
                       Sj("北西")},
                      {"GetWindSpeed", [](const CKeluDoc& d, int) { return d.GetWindSpeed(); }, 65, 67, "14"},
                      {"GetWaveHeight", [](const CKeluDoc& d, int) { return d.GetWaveHeight(); }, 75, 77, "10"}});
}

TEST(DisplayedValuesTest, WinningMoveAndSingleDigitWaves)
{
    auto doc = NewDocAtRace();
    Put(doc->m_szResult[1][1][0], fixture::ResultRaceLine({.waveHeight = "5"}));
    Put(doc->m_szResult[1][1][1], fixture::HeadingLine("まくり差し"));
    EXPECT_EQ(doc->GetWaveHeight().Str(), "5");
    EXPECT_EQ(doc->GetWinningMove().Str(), Sj("まくり差し"));
    Put(doc->m_szResult[1][1][1], fixture::HeadingLine("逃げ　　　"));
    EXPECT_EQ(doc->GetWinningMove().Str(), Sj("逃げ　　　"));
    Put(doc->m_szResult[1][1][1], fixture::HeadingLine("逃げ").substr(0, 66));
    EXPECT_EQ(doc->GetWinningMove().Str(), "");
}

TEST(DisplayedValuesTest, WinLineThresholds)
{
    auto doc = NewDocAtRace();
    char (&win)[CKeluDoc::kLineSize] = doc->m_szResult[1][1][3];
    const Line head = Line().At(8, "単勝").At(17, "4");
    Put(win, head);  // 18 bytes
    EXPECT_EQ(doc->GetWinBoat().Str(), "");
    EXPECT_EQ(doc->GetWinPay().Str(), "");
    Put(win, Line(head).PadTo(19));
    EXPECT_EQ(doc->GetWinBoat().Str(), "4");
    EXPECT_EQ(doc->GetWinPay().Str(), "");
    Put(win, Line(head).Right(24, 6, "490"));  // 30 bytes
    EXPECT_EQ(doc->GetWinPay().Str(), "");
    Put(win, Line(head).Right(24, 7, "490"));  // 31 bytes: the amount, untrimmed
    EXPECT_EQ(doc->GetWinPay().Str(), "    490");
}

TEST(DisplayedValuesTest, SpecialRefund)
{
    auto doc = NewDocAtRace();
    // As published: "        単勝        特払い   70          ".
    Put(doc->m_szResult[1][1][3], Line().At(8, "単勝").At(20, "特払い").At(29, "70").PadTo(41));
    EXPECT_EQ(doc->GetWinBoat().Str(), Sj("特払"));
    EXPECT_EQ(doc->GetWinPay().Str(), "70");
    // Only with a blank at byte 17: otherwise the line is an ordinary one.
    Put(doc->m_szResult[1][1][3], Line().At(8, "単勝").At(17, "4").At(20, "特払い").At(29, "70"));
    EXPECT_EQ(doc->GetWinBoat().Str(), "4");
    // The same rule on the place line.
    Put(doc->m_szResult[1][1][4], Line().At(8, "複勝").At(20, "特払い").At(29, "90"));
    EXPECT_EQ(doc->GetPlaceBoat().Str(), Sj("特払"));
    EXPECT_EQ(doc->GetPlacePay().Str(), "90");
}

TEST(DisplayedValuesTest, PlaceLineSecondBoatThreshold)
{
    auto doc = NewDocAtRace();
    const Line place = Line().At(8, "複勝").At(17, "4").Right(24, 7, "150").At(33, "1").Right(42, 5, "130");
    Put(doc->m_szResult[1][1][4], Line(place).PadTo(48));
    EXPECT_EQ(doc->GetPlaceBoat().Str(), "4");
    EXPECT_EQ(doc->GetPlacePay().Str(), "    150");
    EXPECT_EQ(doc->GetPlaceBoat2().Str(), "");
    EXPECT_EQ(doc->GetPlacePay2().Str(), "");
    Put(doc->m_szResult[1][1][4], Line(place).PadTo(49));
    EXPECT_EQ(doc->GetPlaceBoat2().Str(), "1");
    EXPECT_EQ(doc->GetPlacePay2().Str(), "  130");
}

TEST(DisplayedValuesTest, CombinationLineThresholdAndTrimming)
{
    auto doc = NewDocAtRace();
    const std::string line = fixture::ComboLine("２連単", {"4-1", "740", "3"});
    ASSERT_EQ(line.size(), 44u);
    Put(doc->m_szResult[1][1][5], line.substr(0, 43));
    EXPECT_EQ(doc->GetExactaResult().Str(), "");
    EXPECT_EQ(doc->GetExactaPay().Str(), "");
    EXPECT_EQ(doc->GetExactaPopularity().Str(), "");
    Put(doc->m_szResult[1][1][5], line);
    EXPECT_EQ(doc->GetExactaResult().Str(), "4-1");
    EXPECT_EQ(doc->GetExactaPay().Str(), "740");
    EXPECT_EQ(doc->GetExactaPopularity().Str(), "3");
    // Popularity right up to byte 42, payout filling all seven bytes.
    Put(doc->m_szResult[1][1][5], fixture::ComboLine("２連単", {"6-5", "1234560", "120"}));
    EXPECT_EQ(doc->GetExactaPay().Str(), "1234560");
    EXPECT_EQ(doc->GetExactaPopularity().Str(), "120");
}

TEST(DisplayedValuesTest, EveryBetReadsItsOwnLine)
{
    auto doc = NewDocAtRace();
    const fixture::ResultRace race{.winBoat = "5",
                                   .winPay = "490",
                                   .placeBoat1 = "5", .placePay1 = "150", .placeBoat2 = "2", .placePay2 = "130",
                                   .exacta{"5-2", "740", "3"},
                                   .quinella{"2-5", "300", "2"},
                                   .wide1{"1-2", "120", "9"}, .wide2{"1-3", "140", "8"}, .wide3{"1-4", "170", "7"},
                                   .trifecta{"5-2-6", "1730", "5"},
                                   .trio{"2-5-6", "230", "1"}};
    const std::vector<std::string> lines = fixture::ResultRaceLines(race);
    // Race line, heading, rule, six finishing lines, then the result text from slot 2 on.
    for (size_t i = 9; i < lines.size(); ++i)
        Put(doc->m_szResult[1][1][i - 7], lines[i]);
    EXPECT_EQ(doc->GetWinBoat().Str(), "5");
    EXPECT_EQ(doc->GetWinPay().Str(), "    490");
    EXPECT_EQ(doc->GetPlaceBoat().Str(), "5");
    EXPECT_EQ(doc->GetPlaceBoat2().Str(), "2");
    const std::vector<std::vector<std::string>> bets = {
        {doc->GetExactaResult().Str(), doc->GetExactaPay().Str(), doc->GetExactaPopularity().Str()},
        {doc->GetQuinellaResult().Str(), doc->GetQuinellaPay().Str(), doc->GetQuinellaPopularity().Str()},
        {doc->GetTrifectaResult().Str(), doc->GetTrifectaPay().Str(), doc->GetTrifectaPopularity().Str()},
        {doc->GetTrioResult().Str(), doc->GetTrioPay().Str(), doc->GetTrioPopularity().Str()}};
    const std::vector<std::vector<std::string>> expected = {
        {"5-2", "740", "3"}, {"2-5", "300", "2"}, {"5-2-6", "1730", "5"}, {"2-5-6", "230", "1"}};
    EXPECT_EQ(bets, expected);
}

TEST(DisplayedValuesTest, BetsThatDidNotComeOffSaySoAndShowNoPayout)
{
    auto doc = NewDocAtRace();
    const char* const labels[] = {"複勝", "２連単", "２連複", "３連単", "３連複"};
    for (int i = 0; i < 5; ++i)
        Put(doc->m_szResult[1][1][4 + i], Line().At(8, labels[i]).At(17, "不成立"));
    ASSERT_EQ(std::strlen(doc->m_szResult[1][1][5]), 23u);
    for (const CString& s : {doc->GetPlaceBoat(), doc->GetExactaResult(), doc->GetQuinellaResult(),
                             doc->GetTrifectaResult(), doc->GetTrioResult()})
        EXPECT_EQ(s.Str(), Sj("不成立"));
    for (const CString& s : {doc->GetPlacePay(), doc->GetPlaceBoat2(), doc->GetPlacePay2(), doc->GetExactaPay(),
                             doc->GetExactaPopularity(), doc->GetQuinellaPay(), doc->GetQuinellaPopularity(),
                             doc->GetTrifectaPay(), doc->GetTrifectaPopularity(), doc->GetTrioPay(),
                             doc->GetTrioPopularity()})
        EXPECT_EQ(s.Str(), "");
    EXPECT_TRUE(doc->GetWinningCombos(CKeluDoc::EBet::Exacta).empty());
    EXPECT_FALSE(doc->IsExactaHit());
    EXPECT_FALSE(doc->IsTrifectaHit());
}

TEST(DisplayedValuesTest, NothingWithoutASelection)
{
    auto doc = NewDocAtRace();
    Put(doc->m_szProgram[1][1][1], fixture::ProgramLine(kBoat));
    Put(doc->m_szFinish[1][1][0], fixture::FinishLine({}));
    Put(doc->m_szResult[1][1][0], fixture::ResultRaceLine({}));
    Put(doc->m_szResult[1][1][3], fixture::WinLine({}));
    ASSERT_EQ(doc->GetClass(1).Str(), "A1");
    doc->ClearSelection();
    EXPECT_EQ(doc->GetClass(1).Str(), "");
    EXPECT_EQ(doc->GetWeight(1).Str(), "");
    EXPECT_EQ(doc->GetFinishName(1).Str(), "");
    EXPECT_EQ(doc->GetWeather().Str(), "");
    EXPECT_EQ(doc->GetWinBoat().Str(), "");
    doc->SetSelection(1, 0);  // a venue but no race
    EXPECT_EQ(doc->GetClass(1).Str(), "");
}

// --- The watched-racer search ---------------------------------------------------------------

namespace {

fixture::Boat Rider(int nBoat, const std::string& regNo, const std::string& name)
{
    fixture::Boat b;
    b.boat = nBoat;
    b.regNo = regNo;
    b.name = name;
    return b;
}

// Race nRace with the standard boats, one of them replaced by the given rider.
fixture::ProgramRace RaceWith(int nRace, const fixture::Boat& rider)
{
    fixture::ProgramRace r{.race = nRace, .boats = fixture::StandardBoats(nRace)};
    r.boats[static_cast<size_t>(rider.boat - 1)] = rider;
    return r;
}

std::vector<fixture::ProgramRace> Races(int nCount)
{
    std::vector<fixture::ProgramRace> races;
    for (int r = 1; r <= nCount; ++r)
        races.push_back({.race = r});
    return races;
}

// A day at venues 2, 5 and 7:
// - 3101 rides venue 5 races 3 (boat 2, won from course 2) and 9 (boat 6, not decided yet);
//   he is also in venue 7's program, which the search must never reach;
// - 3102 rides venue 2 race 1 (boat 1, flying start) and venue 5 race 1 (boat 3).
void WriteSearchDay()
{
    std::vector<fixture::ProgramRace> v2 = Races(3);
    v2[0] = RaceWith(1, Rider(1, "3102", "岡村慶太"));
    std::vector<fixture::ProgramRace> v5 = Races(9);
    v5[0] = RaceWith(1, Rider(3, "3102", "岡村慶太"));
    v5[2] = RaceWith(3, Rider(2, "3101", "岩永節也"));
    v5[8] = RaceWith(9, Rider(6, "3101", "岩永節也"));
    std::vector<fixture::ProgramRace> v7 = {RaceWith(1, Rider(4, "3101", "岩永節也"))};
    fixture::WriteProgramFile(kDay, fixture::ProgramFile({{.venue = 2, .races = v2},
                                                          {.venue = 5, .races = v5},
                                                          {.venue = 7, .races = v7}}));

    std::vector<fixture::Finish> r2Finish;
    for (int b = 1; b <= 6; ++b)
        r2Finish.push_back({.place = std::to_string(b), .boat = b, .regNo = std::to_string(4000 + b), .course = "1"});
    r2Finish[0] = {.place = "F ", .boat = 1, .regNo = "3102", .surname = "岡　村　", .givenName = "　慶　太",
                   .course = "1"};
    std::vector<fixture::Finish> r5Finish = r2Finish;
    r5Finish[0] = {.place = "01", .boat = 2, .regNo = "3101", .surname = "岩　永　", .givenName = "　節　也",
                   .course = "2"};
    fixture::WriteResultFile(kDay, fixture::ResultFile({{.venue = 2, .races = {{.race = 1, .finishes = r2Finish}}},
                                                        {.venue = 5,
                                                         .races = {{.race = 1},
                                                                   {.race = 2},
                                                                   {.race = 3, .finishes = r5Finish}}}}));
}

} // namespace

TEST(DisplayedValuesTest, FindRacerOfDayListsTheRacesOfTheFirstVenueOnly)
{
    WriteSearchDay();
    auto doc = std::make_unique<CKeluDoc>();
    ASSERT_TRUE(doc->LoadDay(kDay));
    // The later race has no result, so the name is the program's again.
    EXPECT_EQ(doc->FindRacerOfDay(3101).Str(), Sj("岩永節也\t5\t3R 2枠 2ｺｰｽ 01着\t9R 6枠 "));
    // Found at venue 2; venue 5 is not looked at. "F " is no place and gets no "着".
    EXPECT_EQ(doc->FindRacerOfDay(3102).Str(), Sj("岡村 慶太\t2\t1R 1枠 1ｺｰｽ F "));
    EXPECT_EQ(doc->FindRacerOfDay(3999).Str(), "");
    // A blank registration field reads as 0, and nobody is numbered 0.
    EXPECT_EQ(doc->FindRacerOfDay(0).Str(), "");
}

TEST(DisplayedValuesTest, FindRacerOfDayRestoresTheSelection)
{
    WriteSearchDay();
    auto doc = std::make_unique<CKeluDoc>();
    ASSERT_TRUE(doc->LoadDay(kDay));
    struct SCase {
        int nVenue, nRace;
    };
    for (const SCase c : {SCase{0, 0}, SCase{7, 0}, SCase{0, 4}, SCase{2, 3}}) {
        SCOPED_TRACE(testing::Message() << c.nVenue << "/" << c.nRace);
        doc->ClearSelection();
        doc->SetSelection(c.nVenue, c.nRace);
        for (int regNo : {3101, 3999}) {
            doc->FindRacerOfDay(regNo);
            EXPECT_EQ(doc->GetVenue(), c.nVenue);
            EXPECT_EQ(doc->GetRace(), c.nRace);
        }
    }
}

// --- A real published day -------------------------------------------------------------------

TEST(DisplayedValuesTest, RealDayValuesMatchTheFileBytes)
{
    if (!testsupport::CopySharedDayFile("B200101.TXT", "data/prog/B200101.TXT") ||
        !testsupport::CopySharedDayFile("K200101.TXT", "data/res/K200101.TXT"))
        GTEST_SKIP() << testsupport::NoSharedDataReason();
    auto doc = std::make_unique<CKeluDoc>();
    ASSERT_TRUE(doc->LoadDay(kDay));
    doc->SetSelection(24, 1);
    // "1 4164岩永節也37長崎51B1 3.62 15.31 4.45 21.49 62 40.31 15 36.28 4 354        6"
    const std::vector<std::string> program = {
        doc->GetBoatNo(1).Str(),    doc->GetRegNo(1).Str(),         doc->GetRacerName(1).Str(),
        doc->GetAge(1).Str(),       doc->GetBranch(1).Str(),        doc->GetWeight(1).Str(),
        doc->GetClass(1).Str(),     doc->GetWinRate(1).Str(),       doc->GetTwoRate(1).Str(),
        doc->GetLocalWinRate(1).Str(), doc->GetLocalTwoRate(1).Str(), doc->GetMotorNo(1).Str(),
        doc->GetMotorRate(1).Str(), doc->GetHullNo(1).Str(),        doc->GetBoatRate(1).Str(),
        doc->GetMeetResults(1).Str(), doc->GetEarlyRace(1).Str()};
    EXPECT_EQ(program, (std::vector<std::string>{"1", "4164", Sj("岩永節也"), "37", Sj("長崎"), "51kg", "B1", " 3.62",
                                                 "15.31", " 4.45", "21.49", " 62", "40.3", " 15", "36.2",
                                                 "4 354       ", " 6"}));
    // "  01  4 4948 木　場　　悠　介 46   36  6.75   4    0.14     1.48.7"
    const std::vector<std::string> finish = {
        doc->GetFinishPlace(1).Str(), doc->GetFinishBoat(1).Str(),  doc->GetFinishRegNo(1).Str(),
        doc->GetFinishName(1).Str(),  doc->GetFinishCourse(1).Str(), doc->GetFinishStart(1).Str(),
        doc->GetFinishTime(1).Str(),  doc->GetFinishRacerName(1).Str()};
    EXPECT_EQ(finish, (std::vector<std::string>{"01", "4", "4948", Sj("木場 悠介"), "4", "14", "1.48.7",
                                                Sj("木場悠介")}));
    EXPECT_EQ(doc->GetFinishName(6).Str(), Sj("大賀 龍之介"));
    const std::vector<std::string> race = {
        doc->GetWeather().Str(),   doc->GetWindDirection().Str(), doc->GetWindSpeed().Str(),
        doc->GetWaveHeight().Str(), doc->GetWinningMove().Str(),  doc->GetWinBoat().Str(),
        doc->GetWinPay().Str(),    doc->GetPlaceBoat().Str(),     doc->GetPlacePay().Str(),
        doc->GetPlaceBoat2().Str(), doc->GetPlacePay2().Str(),    doc->GetExactaResult().Str(),
        doc->GetExactaPay().Str(), doc->GetExactaPopularity().Str(), doc->GetQuinellaResult().Str(),
        doc->GetTrifectaResult().Str(), doc->GetTrifectaPay().Str(), doc->GetTrioResult().Str()};
    EXPECT_EQ(race, (std::vector<std::string>{Sj("晴"), Sj("北　"), " 2", "1", Sj("差し　　　"), "4", "    490", "4",
                                              "    150", "1", "  130", "4-1", "740", "3", "1-4", "4-1-2", "1730",
                                              "1-2-4"}));
    // 4948 rides races 1 (boat 4, first) and 5 (boat 3, fifth) at Omura.
    EXPECT_EQ(doc->FindRacerOfDay(4948).Str(), Sj("木場 悠介\t24\t1R 4枠 4ｺｰｽ 01着\t5R 3枠 3ｺｰｽ 05着"));
}

TEST(DisplayedValuesTest, RealDaysSpecialRefundVoidBetsAndWideFields)
{
    struct SDay {
        const char* tag;
        CTime day;
    };
    for (const SDay d : {SDay{"200105", CTime(2020, 1, 5, 12, 0, 0)}, SDay{"200106", CTime(2020, 1, 6, 12, 0, 0)}}) {
        if (!testsupport::CopySharedDayFile(std::string("B") + d.tag + ".TXT", std::string("data/prog/B") + d.tag + ".TXT") ||
            !testsupport::CopySharedDayFile(std::string("K") + d.tag + ".TXT", std::string("data/res/K") + d.tag + ".TXT"))
            GTEST_SKIP() << testsupport::NoSharedDataReason();
    }
    auto doc = std::make_unique<CKeluDoc>();
    ASSERT_TRUE(doc->LoadDay(CTime(2020, 1, 6, 12, 0, 0)));
    doc->SetSelection(16, 1);  // "        単勝        特払い   70          "
    EXPECT_EQ(doc->GetWinBoat().Str(), Sj("特払"));
    EXPECT_EQ(doc->GetWinPay().Str(), "70");
    EXPECT_EQ(doc->GetWinningMove().Str(), Sj("まくり差し"));
    EXPECT_EQ(doc->GetFinishName(5).Str(), Sj("玄馬 徹"));
    EXPECT_EQ(doc->GetEarlyRace(1).Str(), "10");

    ASSERT_TRUE(doc->LoadDay(CTime(2020, 1, 5, 12, 0, 0)));
    doc->SetSelection(13, 11);  // four boats flying: place, quinella, trifecta and trio "不成立"
    EXPECT_EQ(doc->GetWinBoat().Str(), "6");
    EXPECT_EQ(doc->GetPlaceBoat().Str(), Sj("不成立"));
    EXPECT_EQ(doc->GetPlacePay().Str(), "");
    EXPECT_EQ(doc->GetExactaResult().Str(), "6-5");
    EXPECT_EQ(doc->GetQuinellaResult().Str(), Sj("不成立"));
    EXPECT_EQ(doc->GetTrifectaResult().Str(), Sj("不成立"));
    EXPECT_EQ(doc->GetTrifectaPay().Str(), "");
    EXPECT_EQ(doc->GetTrioPopularity().Str(), "");
    EXPECT_EQ(doc->GetFinishPlace(3).Str(), "F ");
    doc->SetSelection(3, 1);  // "波　 10cm"
    EXPECT_EQ(doc->GetWaveHeight().Str(), "10");
}
