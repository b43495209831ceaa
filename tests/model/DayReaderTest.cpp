#include "DayFixture.h"
#include "DocSlots.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

using Lines = std::vector<std::string>;
using fixture::Concat;

const CTime kDay(2020, 1, 1, 12, 0, 0);
const CTime kNextDay(2020, 1, 2, 12, 0, 0);
const CTime kNoDate(std::numeric_limits<std::time_t>::max());

std::unique_ptr<CKeluDoc> NewDoc()
{
    return std::make_unique<CKeluDoc>();
}

bool DayIsEmpty(const CKeluDoc& doc)
{
    return AllZero(doc.m_szProgram) && AllZero(doc.m_szVenueHead) && AllZero(doc.m_szResult) &&
           AllZero(doc.m_szFinish);
}

void WriteDay(const Lines& program, const Lines& result, const CTime& day = kDay)
{
    fixture::WriteProgramFile(day, fixture::JoinCrLf(program));
    fixture::WriteResultFile(day, fixture::JoinCrLf(result));
}

// Loads kDay into a new document; both files must open.
std::unique_ptr<CKeluDoc> Loaded(const CTime& day = kDay)
{
    auto doc = NewDoc();
    EXPECT_TRUE(doc->LoadDay(day));
    return doc;
}

// A race header and the six standard boat lines of race nRace.
Lines RaceWithBoats(int nRace, std::string_view title = "一般")
{
    Lines lines{fixture::RaceHeaderLine(nRace, title)};
    for (const fixture::Boat& b : fixture::StandardBoats(nRace))
        lines.push_back(fixture::ProgramLine(b));
    return lines;
}

fixture::ProgramVenue ProgramVenueWithRaces(int nVenue, int nRaces)
{
    fixture::ProgramVenue v;
    v.venue = nVenue;
    for (int n = 1; n <= nRaces; ++n)
        v.races.emplace_back().race = n;
    return v;
}

fixture::ResultVenue ResultVenueWithRaces(int nVenue, int nRaces)
{
    fixture::ResultVenue v;
    v.venue = nVenue;
    for (int n = 1; n <= nRaces; ++n)
        v.races.emplace_back().race = n;
    return v;
}

fixture::ResultRace ResultRaceNo(int nRace)
{
    fixture::ResultRace r;
    r.race = nRace;
    return r;
}

// The race line of result race nRace, with its "R" at byte 4.
std::string RaceLine(int nRace)
{
    return fixture::ResultRaceLine(ResultRaceNo(nRace));
}

const std::string kHeading = fixture::HeadingLine("逃げ");
const std::string kRule = fixture::RuleLine();

} // namespace

// --- The day, its files and the selection ----------------------------------------------------

TEST(DayReaderTest, FileNamesComeFromTheLocalDate)
{
    EXPECT_EQ(CKeluDoc::ProgramFileName(CTime(2005, 3, 5, 0, 0, 0)), "data/prog/B050305.TXT");
    EXPECT_EQ(CKeluDoc::ResultFileName(CTime(2005, 3, 5, 23, 59, 59)), "data/res/K050305.TXT");
    EXPECT_EQ(CKeluDoc::ProgramFileName(CTime(1999, 12, 31, 12, 0, 0)), "data/prog/B991231.TXT");
    EXPECT_EQ(CKeluDoc::ResultFileName(CTime(2100, 1, 2, 12, 0, 0)), "data/res/K000102.TXT");
    EXPECT_TRUE(CKeluDoc::ProgramFileName(kNoDate).IsEmpty());
    EXPECT_TRUE(CKeluDoc::ResultFileName(kNoDate).IsEmpty());
}

TEST(DayReaderTest, LoadsProgramsAndResultsIntoTheirSlots)
{
    fixture::WriteProgramFile(kDay, fixture::ProgramFile({ProgramVenueWithRaces(12, 2)}));
    fixture::ResultVenue results = ResultVenueWithRaces(12, 2);
    results.races[1].winBoat = "3";
    fixture::WriteResultFile(kDay, fixture::ResultFile({results}));

    auto doc = Loaded();
    EXPECT_TRUE(doc->HasRace(12, 1));
    EXPECT_TRUE(doc->HasRace(12, 2));
    EXPECT_FALSE(doc->HasRace(12, 3));
    EXPECT_FALSE(doc->HasRace(11, 1));

    doc->SetSelection(12, 2);
    const std::vector<fixture::Boat> boats = fixture::StandardBoats(2);
    EXPECT_EQ(doc->GetProgramLine(0), fixture::RaceHeaderLine(2));
    for (int b = 1; b <= 6; ++b)
        EXPECT_EQ(doc->GetProgramLine(b), fixture::ProgramLine(boats[b - 1])) << "boat " << b;
    EXPECT_EQ(doc->GetRaceTitle(), " " + fixture::RaceHeaderLine(2));
    const Lines head = fixture::VenueHeaderLines(12);
    EXPECT_EQ(doc->GetVenueTitle(), " " + head[0].substr(55) + head[4]);

    // Race line, heading, rule, six places, then the following lines in slots 2..12.
    const Lines race = fixture::ResultRaceLines(results.races[1]);
    EXPECT_EQ(doc->GetResultLine(0), race[0]);
    EXPECT_EQ(doc->GetResultLine(1), race[1]);
    for (int p = 1; p <= 6; ++p)
        EXPECT_EQ(doc->GetFinishLine(p), race[2 + p]) << "place " << p;
    for (int k = 2; k <= 12; ++k)
        EXPECT_EQ(doc->GetResultLine(k), race[7 + k]) << "slot " << k;
    EXPECT_EQ(doc->GetResultLine(3).Find(Sjis("単勝").GetString()), 8);
    EXPECT_EQ(doc->GetResultLine(3).Mid(17, 1), "3");
    EXPECT_EQ(doc->GetResultLine(5).Find(Sjis("２連単").GetString()), 8);
    EXPECT_EQ(doc->GetResultLine(10).Find(Sjis("３連単").GetString()), 8);
    EXPECT_EQ(doc->GetResultLine(11).Find(Sjis("３連複").GetString()), 8);
}

TEST(DayReaderTest, MissingFilesAndDaysWithoutADate)
{
    auto doc = NewDoc();
    doc->SetSelection(12, 1);
    EXPECT_FALSE(doc->LoadDay(kDay));
    for (int v = 1; v <= 24; ++v)
        EXPECT_FALSE(doc->HasRace(v, 1)) << "venue " << v;
    EXPECT_TRUE(doc->GetProgramLine(1).IsEmpty());
    EXPECT_TRUE(doc->GetRaceTitle().IsEmpty());
    EXPECT_TRUE(DayIsEmpty(*doc));

    // A day whose results are not out yet still shows its programs.
    fixture::WriteProgramFile(kDay, fixture::ProgramFile({ProgramVenueWithRaces(12, 1)}));
    EXPECT_FALSE(doc->LoadDay(kDay));
    EXPECT_TRUE(doc->HasRace(12, 1));
    EXPECT_EQ(doc->GetProgramLine(1), fixture::ProgramLine(fixture::StandardBoats(1)[0]));
    EXPECT_TRUE(doc->GetFinishLine(1).IsEmpty());
    EXPECT_TRUE(AllZero(doc->m_szResult));

    // Without its program file a day's result file is never read.
    fixture::WriteResultFile(kNextDay, fixture::ResultFile({ResultVenueWithRaces(12, 1)}));
    EXPECT_FALSE(doc->LoadDay(kNextDay));
    EXPECT_TRUE(DayIsEmpty(*doc));

    // A time with no local date opens nothing and leaves the day cleared.
    fixture::WriteResultFile(kDay, fixture::ResultFile({ResultVenueWithRaces(12, 1)}));
    EXPECT_TRUE(doc->LoadDay(kDay));
    EXPECT_FALSE(doc->GetFinishLine(1).IsEmpty());
    EXPECT_FALSE(doc->LoadDay(kNoDate));
    EXPECT_TRUE(DayIsEmpty(*doc));
    EXPECT_EQ(doc->GetVenue(), 12);
    EXPECT_EQ(doc->GetRace(), 1);
}

TEST(DayReaderTest, SecondDayReplacesEveryLineOfTheFirst)
{
    fixture::WriteProgramFile(kDay, fixture::ProgramFile({ProgramVenueWithRaces(3, 12), ProgramVenueWithRaces(5, 3)}));
    fixture::WriteResultFile(kDay, fixture::ResultFile({ResultVenueWithRaces(3, 12), ResultVenueWithRaces(5, 3)}));
    fixture::ProgramVenue second = ProgramVenueWithRaces(5, 2);
    second.races[0].title = "準優勝戦";
    fixture::WriteProgramFile(kNextDay, fixture::ProgramFile({second}));
    fixture::WriteResultFile(kNextDay, fixture::ResultFile({ResultVenueWithRaces(5, 1)}));

    auto doc = NewDoc();
    doc->SetSelection(5, 2);
    doc->m_strExactaPick[1] = "1-2";
    doc->m_dTrifectaPercent[1] = 12.5;
    EXPECT_TRUE(doc->LoadDay(kDay));
    EXPECT_TRUE(doc->HasRace(3, 12));
    EXPECT_TRUE(doc->LoadDay(kNextDay));

    // Byte for byte what a document that only ever saw the second day holds.
    auto fresh = Loaded(kNextDay);
    EXPECT_EQ(std::memcmp(doc->m_szProgram, fresh->m_szProgram, sizeof doc->m_szProgram), 0);
    EXPECT_EQ(std::memcmp(doc->m_szVenueHead, fresh->m_szVenueHead, sizeof doc->m_szVenueHead), 0);
    EXPECT_EQ(std::memcmp(doc->m_szResult, fresh->m_szResult, sizeof doc->m_szResult), 0);
    EXPECT_EQ(std::memcmp(doc->m_szFinish, fresh->m_szFinish, sizeof doc->m_szFinish), 0);
    EXPECT_FALSE(doc->HasRace(3, 1));
    EXPECT_FALSE(doc->HasRace(5, 3));
    EXPECT_EQ(Slot(doc->m_szProgram[5][1][0]), fixture::RaceHeaderLine(1, "準優勝戦"));

    // Loading leaves the selection and the pick tables alone.
    EXPECT_EQ(doc->GetVenue(), 5);
    EXPECT_EQ(doc->GetRace(), 2);
    EXPECT_EQ(doc->m_strExactaPick[1], "1-2");
    EXPECT_EQ(doc->m_dTrifectaPercent[1], 12.5);
}

TEST(DayReaderTest, SelectionKeepsWhatAZeroLeavesOut)
{
    auto doc = NewDoc();
    EXPECT_EQ(doc->GetVenue(), 0);
    EXPECT_EQ(doc->GetRace(), 0);
    EXPECT_TRUE(doc->SetSelection(3, 7));
    EXPECT_TRUE(doc->SetSelection(5, 0));
    EXPECT_EQ(doc->GetVenue(), 5);
    EXPECT_EQ(doc->GetRace(), 7);
    EXPECT_TRUE(doc->SetSelection(0, 0));
    EXPECT_EQ(doc->GetVenue(), 5);
    EXPECT_EQ(doc->GetRace(), 7);
    EXPECT_TRUE(doc->SetSelection(0, 9));
    EXPECT_EQ(doc->GetVenue(), 5);
    EXPECT_EQ(doc->GetRace(), 9);
    doc->ClearSelection();
    EXPECT_EQ(doc->GetVenue(), 0);
    EXPECT_EQ(doc->GetRace(), 0);
}

TEST(DayReaderTest, AccessorsNeverReadOutsideTheDay)
{
    // Venue 1 has a boat line before its first race header: it lands under race 0.
    const std::string stray = fixture::ProgramLine(fixture::StandardBoats(7)[0]);
    WriteDay(Concat({fixture::RawProgramBlock("24", RaceWithBoats(1)),
                     fixture::RawProgramBlock("01", Concat({{stray}, RaceWithBoats(1)}))}),
             fixture::RawResultBlock("24", fixture::ResultRaceLines(ResultRaceNo(1))));
    auto doc = Loaded();

    EXPECT_TRUE(doc->HasRace(24, 1));
    EXPECT_TRUE(doc->HasRace(1, 1));
    const std::pair<int, int> outside[] = {{0, 1}, {25, 1}, {-1, 1}, {24, 0}, {24, 13}, {24, -1}, {1000, 1000}};
    for (auto [v, r] : outside) {
        EXPECT_FALSE(doc->HasRace(v, r)) << v << " " << r;
        if (v == 0 || r == 0)
            continue; // a zero leaves the selection as it is
        doc->SetSelection(v, r);
        for (int n = 0; n <= 6; ++n)
            EXPECT_TRUE(doc->GetProgramLine(n).IsEmpty()) << v << " " << r;
        EXPECT_TRUE(doc->GetFinishLine(1).IsEmpty());
        EXPECT_TRUE(doc->GetResultLine(0).IsEmpty());
        EXPECT_TRUE(doc->GetRaceTitle().IsEmpty());
    }

    doc->SetSelection(24, 1);
    EXPECT_FALSE(doc->GetProgramLine(6).IsEmpty());
    EXPECT_FALSE(doc->GetFinishLine(6).IsEmpty());
    EXPECT_FALSE(doc->GetResultLine(11).IsEmpty());
    EXPECT_TRUE(doc->GetProgramLine(-1).IsEmpty());
    EXPECT_TRUE(doc->GetProgramLine(7).IsEmpty());
    EXPECT_TRUE(doc->GetFinishLine(0).IsEmpty());
    EXPECT_TRUE(doc->GetFinishLine(7).IsEmpty());
    EXPECT_TRUE(doc->GetResultLine(-1).IsEmpty());
    EXPECT_TRUE(doc->GetResultLine(13).IsEmpty());

    // Race 0 holds the stray boat line, and nothing shows it.
    EXPECT_EQ(Slot(doc->m_szProgram[1][0][1]), stray);
    auto raceless = Loaded();
    raceless->SetSelection(1, 0);
    EXPECT_TRUE(raceless->GetProgramLine(1).IsEmpty());
    EXPECT_TRUE(raceless->GetRaceTitle().IsEmpty());
}

TEST(DayReaderTest, TitlesOfTheVenueAndTheRace)
{
    // Header line 0 gives its bytes from 55 on, header line 4 is added whole.
    auto block = [](const std::string& code, const std::string& line0) {
        return Concat({{code + "BBGN", line0, "", "", "", Sj("　試験杯　第４日"), "", "", "", "", ""},
                       RaceWithBoats(1),
                       {code + "BEND"}});
    };
    const std::string line0 = fixture::Line("ボートレース").At(35, "試験杯").At(57, "第　４日");
    WriteDay(Concat({block("01", std::string(55, 'a')), block("02", std::string(55, 'a') + "Z"), block("03", line0)}),
             {});
    auto doc = Loaded();
    EXPECT_TRUE(doc->GetVenueTitle().IsEmpty());
    doc->SetSelection(1, 0);
    EXPECT_EQ(doc->GetVenueTitle(), " " + Sj("　試験杯　第４日"));
    EXPECT_TRUE(doc->GetRaceTitle().IsEmpty());
    doc->SetSelection(2, 0);
    EXPECT_EQ(doc->GetVenueTitle(), " Z" + Sj("　試験杯　第４日"));
    doc->SetSelection(3, 1);
    EXPECT_EQ(doc->GetVenueTitle(), " " + Sj("  第　４日　試験杯　第４日"));
    EXPECT_EQ(doc->GetRaceTitle(), " " + fixture::RaceHeaderLine(1));
    doc->SetSelection(3, 2);
    EXPECT_TRUE(doc->GetRaceTitle().IsEmpty());
}

// --- The program file -------------------------------------------------------------------------

TEST(DayReaderTest, ProgramHeaderTakesTheTenLinesAfterTheStartMarker)
{
    WriteDay(Concat({{"04BBGN", "h0", "h1", "", "h3", "h4", "04BEND"},
                     {"06BBGN", "h0", "h1", "06BEND"},
                     RaceWithBoats(1),
                     fixture::RawProgramBlock("08", RaceWithBoats(1))}),
             {});
    auto doc = Loaded();
    // Five lines: five header lines, empty ones included, and no race.
    EXPECT_EQ(Slot(doc->m_szVenueHead[4][0]), "h0");
    EXPECT_EQ(Slot(doc->m_szVenueHead[4][3]), "h3");
    EXPECT_EQ(Slot(doc->m_szVenueHead[4][4]), "h4");
    EXPECT_TRUE(AllZero(doc->m_szVenueHead[4][5]));
    EXPECT_FALSE(doc->HasRace(4, 1));
    // An end marker among the header lines ends the block and is not a header line; the race
    // after it lies outside any block.
    EXPECT_EQ(Slot(doc->m_szVenueHead[6][1]), "h1");
    EXPECT_TRUE(AllZero(doc->m_szVenueHead[6][2]));
    EXPECT_TRUE(AllZero(doc->m_szProgram[6]));
    // Ten header lines exactly, then the races.
    EXPECT_EQ(Slot(doc->m_szVenueHead[8][9]), "08 head 9");
    EXPECT_TRUE(AllZero(doc->m_szVenueHead[8][10]));
    EXPECT_EQ(Slot(doc->m_szProgram[8][1][0]), fixture::RaceHeaderLine(1));
}

TEST(DayReaderTest, ProgramLinesAreRecognisedByTheirFirstBytes)
{
    // Race headers and boat lines need 7 bytes; a boat line has its number 1..6 in byte 0 and a
    // blank in byte 1, and a later line for the same boat replaces the earlier one.
    const std::string header2 = Sj("　２Ｒ");
    WriteDay(fixture::RawProgramBlock("02", {fixture::RaceHeaderLine(1), "1 4000", "2 40001", "3 first", "3 second",
                                             header2, "4 after", header2 + "x", "0 zero!", "7 seven", "8 eight",
                                             "9 nine!", "x boat!", "1xboat!", "5 in race two"}),
             {});
    auto doc = Loaded();
    const Lines race1 = {fixture::RaceHeaderLine(1), "", "2 40001", "3 second", "4 after", "", ""};
    const Lines race2 = {header2 + "x", "", "", "", "", "5 in race two", ""};
    for (int n = 0; n < 7; ++n) {
        EXPECT_EQ(Slot(doc->m_szProgram[2][1][n]), race1[n]) << "line " << n;
        EXPECT_EQ(Slot(doc->m_szProgram[2][2][n]), race2[n]) << "line " << n;
    }
    EXPECT_TRUE(AllZero(doc->m_szProgram[2][0]));
    EXPECT_TRUE(AllZero(doc->m_szProgram[2][3]));
}

TEST(DayReaderTest, ProgramRaceLimitAndARepeatedVenue)
{
    Lines thirteen;
    for (int n = 1; n <= 13; ++n)
        thirteen = Concat({thirteen, RaceWithBoats(n)});
    // The second block of venue 11 brings its own header lines and three other boats for race 1.
    Lines again{"11BBGN"};
    for (int i = 0; i < 10; ++i)
        again.push_back("again " + std::to_string(i));
    again.push_back(fixture::RaceHeaderLine(1, "準優勝戦"));
    std::vector<fixture::Boat> others = fixture::StandardBoats(1);
    for (int b = 0; b < 3; ++b) {
        others[b].regNo = "900" + std::to_string(b + 1);
        again.push_back(fixture::ProgramLine(others[b]));
    }
    again.push_back("11BEND");
    const Lines venue11 = fixture::RawProgramBlock("11", Concat({RaceWithBoats(1), RaceWithBoats(2), RaceWithBoats(3)}));
    WriteDay(Concat({fixture::RawProgramBlock("09", thirteen), venue11, again}), {});
    auto doc = Loaded();

    EXPECT_EQ(Slot(doc->m_szProgram[9][12][0]), fixture::RaceHeaderLine(12));
    EXPECT_EQ(Slot(doc->m_szProgram[9][12][1]), fixture::ProgramLine(fixture::StandardBoats(12)[0]));
    EXPECT_EQ(Slot(doc->m_szProgram[9][12][6]), fixture::ProgramLine(fixture::StandardBoats(12)[5]));
    EXPECT_TRUE(AllZero(doc->m_szProgram[10]));
    EXPECT_TRUE(AllZero(doc->m_szVenueHead[10]));

    EXPECT_EQ(Slot(doc->m_szVenueHead[11][0]), "again 0");
    EXPECT_EQ(Slot(doc->m_szVenueHead[11][9]), "again 9");
    EXPECT_EQ(Slot(doc->m_szProgram[11][1][0]), fixture::RaceHeaderLine(1, "準優勝戦"));
    EXPECT_EQ(Slot(doc->m_szProgram[11][1][3]), fixture::ProgramLine(others[2]));
    EXPECT_EQ(Slot(doc->m_szProgram[11][1][4]), fixture::ProgramLine(fixture::StandardBoats(1)[3]));
    EXPECT_EQ(Slot(doc->m_szProgram[11][2][0]), fixture::RaceHeaderLine(2));
    EXPECT_TRUE(doc->HasRace(11, 3));
}

TEST(DayReaderTest, ProgramBlockWithoutEndSwallowsTheNextVenue)
{
    WriteDay(Concat({fixture::RawProgramBlock("03", Concat({RaceWithBoats(1), RaceWithBoats(2)}), false),
                     fixture::RawProgramBlock("05", Concat({RaceWithBoats(1), RaceWithBoats(2), RaceWithBoats(3)})),
                     fixture::RawProgramBlock("07", RaceWithBoats(1))}),
             {});
    auto doc = Loaded();
    EXPECT_TRUE(doc->HasRace(3, 5));
    EXPECT_EQ(Slot(doc->m_szProgram[3][3][0]), fixture::RaceHeaderLine(1));
    EXPECT_EQ(Slot(doc->m_szProgram[3][5][6]), fixture::ProgramLine(fixture::StandardBoats(3)[5]));
    EXPECT_FALSE(doc->HasRace(3, 6));
    EXPECT_TRUE(AllZero(doc->m_szVenueHead[5]));
    EXPECT_TRUE(AllZero(doc->m_szProgram[5]));
    // The swallowed venue's end marker closes the open block, so the next one opens.
    EXPECT_TRUE(doc->HasRace(7, 1));
}

TEST(DayReaderTest, LinesOverTheLimitEndTheReadingOfTheirFileOnly)
{
    // A first line of 83 bytes: no program at all, but the results are still read.
    WriteDay(Concat({{std::string(83, 'x')}, fixture::RawProgramBlock("01", RaceWithBoats(1))}),
             fixture::RawResultBlock("01", fixture::ResultRaceLines(ResultRaceNo(1))));
    auto doc = Loaded();
    EXPECT_TRUE(AllZero(doc->m_szProgram));
    EXPECT_TRUE(AllZero(doc->m_szVenueHead));
    EXPECT_EQ(Slot(doc->m_szResult[1][1][0]), RaceLine(1));

    // 82 bytes is still a line; the first line of 83 ends its file, what came before stays.
    const std::string boat82 = fixture::Line().Raw(0, fixture::ProgramLine(fixture::StandardBoats(1)[0])).PadTo(81).Raw(81, "!");
    const std::string finish82 = fixture::Line("  01").PadTo(81).Raw(81, "!");
    ASSERT_EQ(boat82.size(), 82u);
    WriteDay(fixture::RawProgramBlock("02", {fixture::RaceHeaderLine(1), boat82, std::string(83, ' '), "2 after"}),
             fixture::RawResultBlock("02", {RaceLine(1), kHeading, kRule, finish82, std::string(83, ' '), "  02"}),
             kNextDay);
    doc = Loaded(kNextDay);
    EXPECT_EQ(Slot(doc->m_szProgram[2][1][1]), boat82);
    EXPECT_TRUE(AllZero(doc->m_szProgram[2][1][2]));
    EXPECT_EQ(Slot(doc->m_szFinish[2][1][0]), finish82);
    EXPECT_TRUE(AllZero(doc->m_szFinish[2][1][1]));
}

// --- The result file --------------------------------------------------------------------------

TEST(DayReaderTest, ResultPreambleIsTwentySixLinesWhateverTheyHold)
{
    // Preamble lines that look like a race, a heading and a rule are still preamble.
    Lines preamble{"01KBGN", RaceLine(9), kHeading, kRule};
    preamble.resize(27, "p");
    const Lines race1 = fixture::ResultRaceLines(ResultRaceNo(1));
    WriteDay({},
             Concat({preamble, race1, {"01KEND"},
                     // 5 + 21 lines: shorter than the preamble and its first race line.
                     fixture::RawResultBlock("02", race1, 5),
                     // One preamble line short: the race line is swallowed, its lines go to race 0.
                     fixture::RawResultBlock("03", race1, 25), fixture::RawResultBlock("04", race1)}));
    auto doc = Loaded();
    EXPECT_EQ(Slot(doc->m_szResult[1][1][0]), race1[0]);
    EXPECT_EQ(Slot(doc->m_szFinish[1][1][0]), race1[3]);
    EXPECT_TRUE(AllZero(doc->m_szResult[1][2]));
    EXPECT_TRUE(AllZero(doc->m_szResult[2]));
    EXPECT_TRUE(AllZero(doc->m_szFinish[2]));
    EXPECT_TRUE(AllZero(doc->m_szResult[3][1]));
    EXPECT_EQ(Slot(doc->m_szResult[3][0][1]), race1[1]);
    EXPECT_EQ(Slot(doc->m_szFinish[3][0][0]), race1[3]);
    EXPECT_EQ(Slot(doc->m_szResult[4][1][0]), race1[0]);
}

TEST(DayReaderTest, SixFinishingLinesThenElevenFollowingLines)
{
    Lines body{RaceLine(1), kHeading, kRule, "F1", "", "F3", "", "", "F6"};
    for (int i = 1; i <= 12; ++i)
        body.push_back("T" + std::to_string(i));
    body.push_back(RaceLine(2));
    WriteDay({}, fixture::RawResultBlock("05", body));
    auto doc = Loaded();
    const Lines finish = {"F1", "", "F3", "", "", "F6"};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(Slot(doc->m_szFinish[5][1][k]), finish[k]) << "place " << k + 1;
    EXPECT_TRUE(AllZero(doc->m_szFinish[5][1][6]));
    for (int k = 2; k <= 12; ++k)
        EXPECT_EQ(Slot(doc->m_szResult[5][1][k]), "T" + std::to_string(k - 1)) << "slot " << k;
    // The twelfth following line has no slot; the next race starts clean.
    for (int k = 1; k <= 12; ++k)
        EXPECT_TRUE(AllZero(doc->m_szResult[5][2][k])) << "slot " << k;
    EXPECT_TRUE(AllZero(doc->m_szFinish[5][2]));
}

TEST(DayReaderTest, RaceLinesHeadingsAndRulesWinOverFinishingLines)
{
    const std::string heading2 = fixture::HeadingLine("まくり");
    WriteDay({}, fixture::RawResultBlock("06", {
                                                   RaceLine(1), kHeading, kRule, "F1", "F2",
                                                   // "R" at byte 4 among the finishing lines: race 2.
                                                   RaceLine(2), "G3", heading2, "G4", "G5", "G6", "T",
                                                   // A second rule line starts the six again.
                                                   RaceLine(3), kRule, "H1", "H2", kRule, "K1", "K2", "K3", "K4",
                                                   "K5", "K6",
                                               }));
    auto doc = Loaded();
    EXPECT_EQ(Slot(doc->m_szFinish[6][1][1]), "F2");
    EXPECT_TRUE(AllZero(doc->m_szFinish[6][1][2]));
    EXPECT_EQ(Slot(doc->m_szResult[6][2][0]), RaceLine(2));
    const Lines finish2 = {"", "", "G3", "G4", "G5", "G6"};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(Slot(doc->m_szFinish[6][2][k]), finish2[k]) << "place " << k + 1;
    EXPECT_EQ(Slot(doc->m_szResult[6][2][1]), heading2);
    EXPECT_EQ(Slot(doc->m_szResult[6][2][2]), "T");
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(Slot(doc->m_szFinish[6][3][k]), "K" + std::to_string(k + 1));
    EXPECT_TRUE(AllZero(doc->m_szResult[6][3][2]));
}

TEST(DayReaderTest, FollowingLineIndexCarriesOverTheWholeFile)
{
    Lines six(6, "F");
    Lines venue3{RaceLine(1), kHeading, kRule};
    venue3 = Concat({venue3, six});
    for (int i = 2; i <= 13; ++i)
        venue3.push_back("Z" + std::to_string(i));
    venue3 = Concat({venue3, {RaceLine(2), "N", kHeading}});
    WriteDay({}, Concat({fixture::RawResultBlock("01", Concat({
                                                           // Before the file's first rule line nothing follows.
                                                           {RaceLine(1), "Q", kHeading},
                                                           {RaceLine(2), kHeading, kRule},
                                                           six,
                                                           {"T2", "T3"},
                                                           // The index goes on from race 2.
                                                           {RaceLine(3), "X4", "X5", kHeading, "X6"},
                                                       })),
                         // ... and from venue 1 into venue 2.
                         fixture::RawResultBlock("02", {RaceLine(1), "Y7", kHeading}),
                         fixture::RawResultBlock("03", venue3)}));
    auto doc = Loaded();
    for (int k = 2; k <= 12; ++k)
        EXPECT_TRUE(AllZero(doc->m_szResult[1][1][k])) << "slot " << k;
    EXPECT_EQ(Slot(doc->m_szResult[1][2][3]), "T3");
    EXPECT_TRUE(AllZero(doc->m_szResult[1][3][3]));
    EXPECT_EQ(Slot(doc->m_szResult[1][3][4]), "X4");
    EXPECT_EQ(Slot(doc->m_szResult[1][3][5]), "X5");
    EXPECT_EQ(Slot(doc->m_szResult[1][3][1]), kHeading);
    EXPECT_EQ(Slot(doc->m_szResult[1][3][6]), "X6");
    EXPECT_EQ(Slot(doc->m_szResult[2][1][7]), "Y7");
    EXPECT_EQ(Slot(doc->m_szResult[3][1][12]), "Z12");
    for (int k = 2; k <= 12; ++k)
        EXPECT_TRUE(AllZero(doc->m_szResult[3][2][k])) << "slot " << k;
}

TEST(DayReaderTest, ResultRaceLimitAndBlocksWithoutEnd)
{
    Lines thirteen;
    for (int n = 1; n <= 13; ++n)
        thirteen = Concat({thirteen, fixture::ResultRaceLines(ResultRaceNo(n))});
    const Lines race1 = fixture::ResultRaceLines(ResultRaceNo(1));
    const Lines race2 = fixture::ResultRaceLines(ResultRaceNo(2));
    WriteDay({}, Concat({fixture::RawResultBlock("04", thirteen),
                         fixture::RawResultBlock("06", Concat({race1, race2}), 26, false),
                         fixture::RawResultBlock("07", race1), fixture::RawResultBlock("08", race2, 26, false)}));
    auto doc = Loaded();
    const Lines race12 = fixture::ResultRaceLines(ResultRaceNo(12));
    EXPECT_EQ(Slot(doc->m_szResult[4][12][0]), race12[0]);
    EXPECT_EQ(Slot(doc->m_szResult[4][12][1]), race12[1]);
    for (int p = 0; p < 6; ++p)
        EXPECT_EQ(Slot(doc->m_szFinish[4][12][p]), race12[3 + p]);
    EXPECT_EQ(Slot(doc->m_szResult[4][12][11]), race12[18]);
    EXPECT_TRUE(AllZero(doc->m_szResult[5]));
    EXPECT_TRUE(AllZero(doc->m_szFinish[5]));

    // Venue 7's start marker is a line of venue 6, so its race is venue 6's third.
    EXPECT_EQ(Slot(doc->m_szResult[6][3][0]), race1[0]);
    EXPECT_EQ(Slot(doc->m_szFinish[6][3][5]), race1[8]);
    EXPECT_TRUE(AllZero(doc->m_szResult[7]));
    // The file may end inside a block. Its only race section is "2R": race 2, not the first.
    EXPECT_EQ(Slot(doc->m_szFinish[8][2][0]), race2[3]);
    EXPECT_EQ(Slot(doc->m_szResult[8][2][11]), race2[18]);
    EXPECT_TRUE(AllZero(doc->m_szResult[8][1]));
}
