// The data sheets written from data templates: each TEXT and ALIGNTEXT line gets the value of
// its line number, every other line is copied. The values come from the published day of
// 6 January 2020 at 児島 (venue 16), read here as literals from the day files.

#include "DayFixture.h"
#include "DocSlots.h"
#include "TestDir.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

using Lines = std::vector<std::string>;

constexpr int kKojima = 16;
const CTime kJan6(2020, 1, 6, 12, 0, 0);

// A template of n lines, all empty until set: line numbers count from 1.
struct CTemplate {
    explicit CTemplate(size_t n) : lines(n) {}
    std::string& operator[](size_t nLine) { return lines.at(nLine - 1); }
    void Write(const std::string& path) const
    {
        std::filesystem::create_directories("data");
        std::ofstream out(path, std::ios::binary);
        for (const std::string& l : lines)
            out << Utf8ToSjis(l) << "\r\n";
    }
    Lines lines;
};

// The sheet's lines in UTF-8; every line must end in CR LF.
Lines ReadSheet(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Lines lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(SjisToUtf8(bytes.substr(start, end - start)));
    EXPECT_EQ(start, bytes.size()) << "a line without CR LF at the end of " << path;
    return lines;
}

std::string ValueOf(const std::string& line)
{
    return line.substr(line.rfind('\t') + 1);
}

class PrintSheetsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!CopySharedDayFile("B200106.TXT", "data/prog/B200106.TXT") ||
            !CopySharedDayFile("K200106.TXT", "data/res/K200106.TXT"))
            GTEST_SKIP() << testsupport::NoSharedDataReason();
        ASSERT_TRUE(doc->LoadDay(kJan6));
    }

    std::unique_ptr<CKeluDoc> doc = std::make_unique<CKeluDoc>();
};

const char* const kName = "TX\t20\t35\tplaceholder";

} // namespace

TEST_F(PrintSheetsTest, ProgramLinesTakeRaceAndValueFromTheirLineNumber)
{
    CTemplate t(753);
    t[1] = "# a note";
    t[2] = "FONT\t9\tG";
    t[3] = "tx\t1\t2\t(title)";
    t[4] = "BOX\t1\t2\t3\t4";
    t[20] = "TX\t1\t1\tslot 20 has no value";
    t[22] = t[272] = t[522] = kName;
    t[31] = "TX\t1\t1\tx";
    t[58] = "AT\t50\t30\t12\tM\tplaceholder";
    t[100] = "TX\t1\t1\tx";
    t[127] = t[128] = t[138] = t[139] = t[140] = "AT\t1\t1\t3\tM\tx";
    t[207] = t[211] = "TX\t1\t1\tx";
    t[216] = t[223] = "AT\t1\t1\t10\tE\tx";
    t[230] = t[237] = t[242] = "TX\t1\t1\tx";
    t[250] = t[500] = t[751] = "TX\t1\t1\tx";
    t[752] = t[753] = "TX\t7\t13\tx";
    t.Write("data/ydtpl.txt");
    doc->SetSelection(12, 8);
    doc->WriteProgramSheet(kKojima, 1);
    EXPECT_EQ(doc->GetVenue(), 12);
    EXPECT_EQ(doc->GetRace(), 8);

    Lines s = ReadSheet("data/yddat.txt");
    ASSERT_EQ(s.size(), 753u);
    auto line = [&](size_t n) { return s.at(n - 1); };
    EXPECT_EQ(line(1), "# a note");
    EXPECT_EQ(line(2), "FONT\t9\tG");
    EXPECT_EQ(line(3), "tx\t1\t2\t 　１Ｒ  朝得ガァ～コ          Ｈ１８００ｍ  電話投票締切予定１０：２７ ");
    EXPECT_EQ(line(4), "BOX\t1\t2\t3\t4");
    EXPECT_EQ(line(20), "");
    // Boat 1 of the first, second and third race: the race changes after lines 250 and 500.
    EXPECT_EQ(line(22), "TX\t20\t35\t柏 野 幸 二 ");
    EXPECT_EQ(line(272), "TX\t20\t35\t池 田 真 治 ");
    EXPECT_EQ(line(522), "TX\t20\t35\t宮 野 　 仁 ");
    EXPECT_EQ(line(31), "TX\t1\t1\t3436 岡山 50歳 51kg");
    EXPECT_EQ(line(58), "AT\t50\t30\t12\tM\t 6.33");
    EXPECT_EQ(ValueOf(line(100)), "28.5%");
    // The meet results one byte a slot; a blank is a value, slot 139 is between two boats.
    EXPECT_EQ(ValueOf(line(127)), "2");
    EXPECT_EQ(ValueOf(line(128)), " ");
    EXPECT_EQ(ValueOf(line(138)), " ");
    EXPECT_EQ(line(139), "");
    EXPECT_EQ(ValueOf(line(140)), "4");
    EXPECT_EQ(ValueOf(line(207)), "10R");
    EXPECT_EQ(ValueOf(line(211)), "  "); // a blank field gets no "R"
    // Exacta pick 1 is "1-4  5.89%": the label's three bytes, the percentage's six.
    EXPECT_EQ(line(216), "AT\t1\t1\t10\tE\t1-4");
    EXPECT_EQ(line(223), "AT\t1\t1\t10\tE\t 5.89%");
    // Trifecta picks 1, 2 and 12: odd ranks from slot 230, even ones from 237.
    EXPECT_EQ(ValueOf(line(230)), "1-4-2");
    EXPECT_EQ(ValueOf(line(237)), "1-2-4");
    EXPECT_EQ(ValueOf(line(242)), "1-3-5");
    EXPECT_EQ(line(250), "");
    EXPECT_EQ(line(500), "");
    EXPECT_EQ(line(751), "");
    doc->SetSelection(kKojima, 1);
    EXPECT_EQ(line(752), "TX\t7\t13\t児島 " + SjisToUtf8(doc->GetVenueTitle().Str()));
    EXPECT_EQ(line(753), "TX\t7\t13\t 　３Ｒ  一　　般　　          Ｈ１８００ｍ  電話投票締切予定１１：２３ ");
}

TEST_F(PrintSheetsTest, TheLastPageAndPagesPastTheVenuesRaces)
{
    CTemplate t(522);
    t[3] = t[253] = t[503] = "TX\t1\t1\tx";
    t[22] = t[272] = t[522] = kName;
    t.Write("data/ydtpl.txt");
    doc->WriteProgramSheet(kKojima, 10);
    Lines s = ReadSheet("data/yddat.txt");
    EXPECT_EQ(ValueOf(s[2]), " １０Ｒ  準優勝戦　　          Ｈ１８００ｍ  電話投票締切予定１４：５６ ");
    EXPECT_EQ(ValueOf(s[252]), " １１Ｒ  準優勝戦　　          Ｈ１８００ｍ  電話投票締切予定１５：３４ ");
    EXPECT_EQ((Lines{s[21], s[271], s[521]}),
              (Lines{"TX\t20\t35\t山 本 寛 久 ", "TX\t20\t35\t森 定 晃 史 ", "TX\t20\t35\t白 神 　 優 "}));

    // A first race of 11 reaches race 13, a venue of 25 or 0 none: nothing is read outside the
    // day, and the spaced-out name keeps its four blanks.
    doc->WriteProgramSheet(kKojima, 11);
    s = ReadSheet("data/yddat.txt");
    EXPECT_EQ((Lines{ValueOf(s[21]), ValueOf(s[271]), ValueOf(s[521]), s[502]}),
              (Lines{"森 定 晃 史 ", "白 神 　 優 ", "    ", ""}));
    for (int nVenue : {25, 0, -1, 1000}) {
        for (int nFirst : {-3, 0, 1, 13, 1000}) {
            doc->WriteProgramSheet(nVenue, nFirst);
            s = ReadSheet("data/yddat.txt");
            EXPECT_EQ((Lines{s[2], ValueOf(s[21])}), (Lines{"", "    "})) << nVenue << " " << nFirst;
        }
    }
}

TEST_F(PrintSheetsTest, ResultLinesRepeatEveryHundredAndRacesWithoutDataKeepTheirFixedParts)
{
    CTemplate t(578);
    t[10] = t[79] = "TX\t1\t1\tx";
    for (int n : {11, 18, 25, 53, 54, 55, 56, 57, 59, 67, 68, 75, 111})
        t[n] = "TX\t1\t1\tx";
    for (int n : {11, 18, 25, 53, 55, 56, 57, 59, 67, 75})
        t[500 + n] = "AT\t1\t1\t9\tM\tx";
    t.Write("data/kdtpl.txt");
    doc->WriteResultSheet(kKojima, 1);
    Lines s = ReadSheet("data/kddat.txt");
    ASSERT_EQ(s.size(), 578u);
    auto value = [&](size_t n) { return ValueOf(s.at(n - 1)); };
    EXPECT_EQ(s[9], "");
    EXPECT_EQ(s[78], "");
    // Race 1 had its win bet refunded in full.
    EXPECT_EQ((Lines{value(11), value(18), value(25), value(53), value(54), value(55), value(56), value(57), value(59),
                     value(67), value(68), value(75), value(111)}),
              (Lines{"01", "4", "井 川 真 人 ", "まくり差し", "晴", "風 北東", "風速  1m", "波高 1cm", "特払", "70",
                     "    230", "7", "01"}));
    EXPECT_EQ((Lines{value(511), value(518), value(525), value(553), value(555), value(556), value(557), value(559),
                     value(567), value(575)}),
              (Lines{"01", "5", "山 本 寛 久 ", "まくり差し", "風 南東", "風速  2m", "波高 1cm", "5", "    510", "11"}));
    EXPECT_EQ(s[510], "AT\t1\t1\t9\tM\t01");

    // 浜名湖 does not race that day: only the assembled values print, with their fixed parts.
    doc->WriteResultSheet(6, 1);
    s = ReadSheet("data/kddat.txt");
    EXPECT_EQ((Lines{s[10], value(25), value(55), value(56), value(57), s[58]}),
              (Lines{"", "    ", "風 ", "風速 m", "波高 cm", ""}));
    CTemplate p(217);
    p[3] = p[40] = p[207] = p[216] = "TX\t1\t1\tx";
    p[22] = p[31] = p[100] = p[117] = "TX\t1\t1\tx";
    p.Write("data/ydtpl.txt");
    doc->WriteProgramSheet(6, 1);
    s = ReadSheet("data/yddat.txt");
    EXPECT_EQ((Lines{s[2], s[39], s[206], s[215], value(22), value(31), value(100), value(117)}),
              (Lines{"", "", "", "", "    ", "  歳 ", "%", "%"}));
}

TEST(PrintSheetRulesTest, SheetFilesAndTheSelection)
{
    auto doc = std::make_unique<CKeluDoc>();
    std::filesystem::create_directories("data");
    // Without its template a sheet is empty, an older one too: a page must not show the values
    // of another; the writer says the template was missing.
    std::ofstream("data/yddat.txt", std::ios::binary) << "older\r\n";
    EXPECT_FALSE(doc->WriteProgramSheet(1, 1));
    EXPECT_FALSE(doc->WriteResultSheet(1, 1));
    EXPECT_EQ(std::filesystem::file_size("data/yddat.txt"), 0u);
    EXPECT_EQ(std::filesystem::file_size("data/kddat.txt"), 0u);

    // With it, the older sheet is replaced whole: the no-venue heading is a lone blank.
    std::ofstream("data/yddat.txt", std::ios::binary) << "1\r\n2\r\n3\r\n4\r\n";
    CTemplate t(752);
    t[752] = "TX\t1\t1\tx";
    t.Write("data/ydtpl.txt");
    EXPECT_TRUE(doc->WriteProgramSheet(0, 1));
    const Lines s = ReadSheet("data/yddat.txt");
    ASSERT_EQ(s.size(), 752u);
    EXPECT_EQ(s[751], "TX\t1\t1\t ");

    // No venue and no race are restored as such, though the sheet selected others meanwhile.
    doc->WriteProgramSheet(3, 4);
    EXPECT_EQ(doc->GetVenue(), 0);
    EXPECT_EQ(doc->GetRace(), 0);
}

TEST(PrintSheetRulesTest, EveryPayoutSlotCarriesItsOwnBet)
{
    // The payout slots are read through tables of the document's members, one table per kind
    // of value; under the sanitizers this also checks every entry of those tables is reached
    // by its own index. Every bet below pays a different amount at a different popularity.
    const CTime day(2021, 4, 1, 12, 0, 0);
    fixture::WriteStandardDay(day, {2}, 1);
    fixture::ResultRace r;
    r.winBoat = "3", r.winPay = "420";
    r.placeBoat1 = "3", r.placePay1 = "160", r.placeBoat2 = "5", r.placePay2 = "240";
    r.exacta = {"3-5", "1830", "6"};
    r.quinella = {"3-5", "990", "4"};
    r.trifecta = {"3-5-1", "7640", "21"};
    r.trio = {"1-3-5", "2150", "9"};
    fixture::WriteResultFile(day, fixture::ResultFile({{2, {r}}}));
    auto doc = std::make_unique<CKeluDoc>();
    ASSERT_TRUE(doc->LoadDay(day));

    CTemplate t(78);
    for (int n = 59; n <= 78; ++n)
        t[n] = "TX\t1\t1\tx";
    t.Write("data/kdtpl.txt");
    ASSERT_TRUE(doc->WriteResultSheet(2, 1));
    const Lines s = ReadSheet("data/kddat.txt");
    ASSERT_EQ(s.size(), 78u);
    Lines values;
    for (int n = 59; n <= 78; ++n)
        values.push_back(s[n - 1].empty() ? "" : ValueOf(s[n - 1]));
    // The boats and combinations, the payouts (win and place as their fields hold them, right
    // aligned in seven and five bytes), the popularities of the four combination bets.
    EXPECT_EQ(values, (Lines{"3", "3", "5", "3-5", "3-5", "3-5-1", "1-3-5", "",
                             "    420", "    160", "  240", "1830", "990", "7640", "2150", "",
                             "6", "4", "21", "9"}));
}

TEST(PrintSheetRulesTest, NamesAndLinesAreCutSafely)
{
    auto space = [](const char* pszUtf8) { return SjisToUtf8(CKeluDoc::SpaceOutName(Sjis(pszUtf8)).Str()); };
    EXPECT_EQ(space("柏野幸二"), "柏 野 幸 二 ");
    EXPECT_EQ(space("玄馬　徹"), "玄 馬 　 徹 ");
    EXPECT_EQ(space(""), "    ");
    EXPECT_EQ(space("abc"), "ab c   ");            // an odd byte count: a one-byte last piece
    EXPECT_EQ(space("abcdefghij"), "ab cd ef gh "); // bytes past the eighth are dropped
    EXPECT_EQ(space("柏野"), "柏 野   ");

    EXPECT_EQ(CKeluDoc::GetField("TX\t20\t35\tabc", 1), "TX");
    EXPECT_EQ(CKeluDoc::GetField("TX\t20\t35\tabc", 4), "abc");
    EXPECT_EQ(CKeluDoc::GetField("\t20", 2), "");
    // An empty field ends the line for the substituted lines too.
    EXPECT_EQ(CKeluDoc::MakeTextLine("TX\t\t35\tplaceholder", "v"), "TX\t\t\tv");
    EXPECT_EQ(CKeluDoc::MakeTextLine("TEXT\t20\t35\tplaceholder\tnote", "v"), "TEXT\t20\t35\tv");
    EXPECT_EQ(CKeluDoc::MakeAlignTextLine("AT\t50\t30\t12\tM\tplaceholder", "v"), "AT\t50\t30\t12\tM\tv");
    EXPECT_EQ(CKeluDoc::MakeAlignTextLine("AT\t50\t30\t12", "v"), "AT\t50\t30\t12\t\tv");

    // The meet results are twelve bytes: the eleventh and twelfth are slots 137 and 138.
    auto doc = std::make_unique<CKeluDoc>();
    Put(doc->m_szProgram[1][1][0], fixture::RaceHeaderLine(1));
    Put(doc->m_szProgram[1][1][1], fixture::ProgramLine({.boat = 1, .meet = "1 2 3 F L 45", .early = "11"}));
    Put(doc->m_szProgram[1][1][2], fixture::ProgramLine({.boat = 2, .meet = "6"}).substr(0, 66));
    doc->SetSelection(1, 1);
    EXPECT_EQ(doc->GetProgramSheetValue(137), "4");
    EXPECT_EQ(doc->GetProgramSheetValue(138), "5");
    EXPECT_EQ(doc->GetProgramSheetValue(207), "11R");
    EXPECT_EQ(doc->GetProgramSheetValue(140), "6");
    EXPECT_EQ(doc->GetProgramSheetValue(141), ""); // the line ends after its first meet byte
    EXPECT_EQ(doc->GetProgramSheetValue(127 + 250), "1");
    EXPECT_EQ(doc->GetResultSheetValue(9), "");
    EXPECT_EQ(doc->GetResultSheetValue(79), "");
}
