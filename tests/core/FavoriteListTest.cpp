// The watched-racer list file: how a line is read, what the add rules allow, how entries of the
// organize dialog come back as lines, and how the menu's load fills in names without harming
// any other line.

#include "DayFixture.h"
#include "ListFile.h"
#include "favorites/FavoriteList.h"
#include "favorites/FavoriteRacer.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

using namespace testsupport;

using Add = CFavoriteList::AddResult;

std::string FullWidthBlanks(int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += Sjis("　").Str();
    return s;
}

} // namespace

TEST(FavoriteListTest, KeyIsReadAsAtoiBeforeTheTabAndTheNameAfterFiveBytes)
{
    const struct {
        std::string line;
        int nKey;
        std::string name;
    } cases[] = {
        {"1234\t" + Sjis("山田太郎").Str(), 1234, Sjis("山田太郎").Str()},
        {"1234", 1234, ""},          // no TAB: the whole line is the key
        {"", 0, ""},                 // a blank line
        {"1234\t", 1234, ""},        // five bytes
        {" 0123\tX", 123, "\tX"},    // blanks and zeros before the digits; the name is cut by bytes
        {"12ab\tZ", 12, "Z"},
        {"\t56789", 0, "9"},         // the key is empty, whatever follows the TAB
        {"-42\tAB", -42, "B"},
        {"1\t" + Sjis("名前").Str(), 1, ""}, // byte 5 is the middle of "前": no half character
        {"12\t" + Sjis("名前").Str(), 12, Sjis("前").Str()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(CFavoriteList::Key(c.line), c.nKey);
        EXPECT_EQ(CFavoriteList::Name(c.line), CString(c.name));
    }
}

TEST(FavoriteListTest, AddRefusesValuesOutsideTheRangeAndKeepsTheLastLineWhole)
{
    fixture::WriteFile("data/keep", "");
    for (const char* psz : {"0123", "999", "10000", "", "abcd", "-1234"})
        EXPECT_EQ(CFavoriteList::Add(psz), Add::OutOfRange) << psz;
    EXPECT_FALSE(std::filesystem::exists(kList));
    // A last line without its line end is not joined by the new one.
    WriteList("1111\tA");
    EXPECT_EQ(CFavoriteList::Add("9999"), Add::Added);
    EXPECT_EQ(ReadBytes(kList), "1111\tA\r\n9999\t\r\n");
}

TEST(FavoriteListTest, EntriesShowTabsAsThreeBlanksAndComeBackAsLines)
{
    const std::string pad = FullWidthBlanks(16);
    EXPECT_EQ(CFavoriteList::EntryText("1234\t"), CString("1234   " + pad));
    EXPECT_EQ(CFavoriteList::EntryText(""), CString(pad));

    const struct {
        std::string line;
        std::string back;
    } cases[] = {
        {"1234\t", "1234\t"},                                              // no name: unchanged
        {"", ""},                                                          // a blank line stays blank
        {"1234\t" + Sjis("山田　太郎").Str(), "1234\t" + Sjis("山田　太郎").Str()},
        {"1234\t" + Sjis("山田　　太郎").Str(), "1234\t" + Sjis("山田太郎").Str()}, // two full-width blanks go
        {"1234\t" + Sjis("山田　").Str(), "1234\t" + Sjis("山田　").Str()},   // one before the padding stays
        {"1234\tA    B", "1234\tA\t B"},                                    // three blanks become a TAB
        {"1234\t\tX", "1234\t\tX"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(CFavoriteList::LineOfEntry(CFavoriteList::EntryText(c.line)), CString(c.back));
    }
}

// The real days' tests of the menu show the common case; these are the odd ones.
TEST(FavoriteRacerTest, KeepsALongerNameOfTheListAndEveryLaterRace)
{
    CFavoriteRacer named(Sjis("3159\t江口晃生（群馬）"), Sjis("江口 晃生\t1\t5R 2枠 \t9R 3枠 \t11R 1枠 "));
    EXPECT_FALSE(named.NameGrew());
    EXPECT_EQ(named.Line(), Sjis("3159\t江口晃生（群馬）"));
    EXPECT_EQ(named.m_strRace1, Sjis("5R 2枠 "));
    EXPECT_EQ(named.m_strRace2, Sjis("9R 3枠 \t11R 1枠 "));
    EXPECT_EQ(CFavoriteRacer::RaceNumber(named.m_strRace2), 9);
    EXPECT_EQ(CFavoriteRacer::RaceNumber(""), 0);

    // Not racing: no venue, no race, the line as it was, whatever its form.
    CFavoriteRacer idle(" 0123\tX", "");
    EXPECT_EQ(idle.m_nVenue, 0);
    EXPECT_TRUE(idle.m_strRace1.IsEmpty());
    EXPECT_EQ(idle.Line(), CString(" 0123\tX"));
    EXPECT_EQ(idle.Title(), CString(" 0123  X"));
}

class FavoriteDayTest : public ::testing::Test {
protected:
    // Venue 3 races 1 to 3 with the standard boats: racer 4001 is boat 1 of race 1, racer
    // 4011 boat 1 of race 2, both "試験太郎".
    FavoriteDayTest()
    {
        fixture::ProgramVenue venue;
        venue.venue = 3;
        for (int r = 1; r <= 3; ++r)
            venue.races.emplace_back().race = r;
        fixture::WriteProgramFile(kDay, fixture::ProgramFile({venue}));
        doc->LoadDay(kDay);
        EXPECT_TRUE(doc->HasRace(3, 3));
    }
    const CTime kDay{2020, 3, 1, 12, 0, 0};
    std::unique_ptr<CKeluDoc> doc = std::make_unique<CKeluDoc>();
};

TEST_F(FavoriteDayTest, LoadReads256LinesAndWritesTheNamesKeepingEveryOtherLine)
{
    // Lone LF line ends, odd lines, bytes that are no Shift-JIS, and 300 lines in all, the
    // racer again at line 281.
    const std::string oddName("\x81\0\xff\x82", 4);
    const std::string junk("\x82\xa0\x1a\r", 4); // a stray CR before the CR LF stays
    WriteList("4001\t" + oddName + "\n 0123\tX\n\n4011\n" + junk + "\r\n" + NumberedLines(275, "\n") + "4001\t\n" +
              NumberedLines(19, "\n"));
    const auto racers = CFavoriteRacer::LoadDay(*doc);
    ASSERT_TRUE(racers);
    ASSERT_EQ(racers->size(), 256u);
    EXPECT_EQ((*racers)[0].Title(), Sjis("4001 試験太郎"));
    EXPECT_EQ((*racers)[0].m_nVenue, 3);
    EXPECT_EQ((*racers)[0].m_strRace1, Sjis("1R 1枠 "));
    EXPECT_EQ((*racers)[3].m_strRace1, Sjis("2R 1枠 "));
    EXPECT_EQ((*racers)[1].Title(), CString(" 0123  X"));
    EXPECT_EQ((*racers)[255].Title(), CString("5250 "));

    // The names found replace what followed the number; every other line keeps its bytes.
    const std::string name = Sjis("試験太郎").Str();
    const std::string expected = "4001\t" + name + "\r\n 0123\tX\r\n\r\n4011\t" + name + "\r\n" + junk + "\r\n" +
                                 NumberedLines(275) + "4001\t\r\n" + NumberedLines(19);
    EXPECT_EQ(ReadBytes(kList), expected);
    // Once the names are in, a load leaves the file alone.
    ASSERT_TRUE(CFavoriteRacer::LoadDay(*doc));
    EXPECT_EQ(ReadBytes(kList), expected);

    std::filesystem::remove(kList);
    std::filesystem::create_directory(kList);
    EXPECT_FALSE(CFavoriteRacer::LoadDay(*doc));
}
