// The watched-racer list file: how a line is read, what the add rules allow, how entries of the
// organize dialog come back as lines, and how the menu's load fills in names without harming
// any other line.

#include "DayFixture.h"
#include "FileSizeLimit.h"
#include "favorites/FavoriteList.h"
#include "favorites/FavoriteRacer.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

using Add = CFavoriteList::AddResult;

const char* const kList = "data/favorite.txt";

std::string ReadBytes(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteList(const std::string& bytes)
{
    fixture::WriteFile(kList, bytes);
}

// n lines "NNNN\t" for the numbers 5000, 5001, ...
std::string NumberedLines(int n, const char* pszEnd = "\r\n")
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += std::to_string(5000 + i) + "\t" + pszEnd;
    return s;
}

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

TEST(FavoriteListTest, ReadTakesCrLfAndLoneLfAndCreatesAMissingFileButNotAFolder)
{
    CFavoriteList list;
    fixture::WriteFile("data/keep", "");
    ASSERT_TRUE(list.Read());
    EXPECT_TRUE(list.Lines().empty());
    EXPECT_TRUE(std::filesystem::exists(kList));
    EXPECT_EQ(ReadBytes(kList), "");

    WriteList("1111\tA\r\n2222\tB\n\n3333\tC\r");
    ASSERT_TRUE(list.Read());
    EXPECT_EQ(list.Lines(), (std::vector<CString>{"1111\tA", "2222\tB", "", "3333\tC"}));

    std::filesystem::remove(kList);
    std::filesystem::create_directory(kList);
    EXPECT_FALSE(list.Read());
    EXPECT_EQ(CFavoriteList::Add("1234"), Add::Unavailable);
    EXPECT_TRUE(std::filesystem::is_directory(kList));
}

TEST(FavoriteListTest, AddChecksTheRangeThenDuplicatesWhileReadingThenTheLimit)
{
    fixture::WriteFile("data/keep", "");
    // 0123 has four characters but the value 123.
    for (const char* psz : {"0123", "999", "10000", "", "abcd"})
        EXPECT_EQ(CFavoriteList::Add(psz), Add::OutOfRange) << psz;
    EXPECT_FALSE(std::filesystem::exists(kList));

    // A missing list is created with the one line.
    EXPECT_EQ(CFavoriteList::Add("1234"), Add::Added);
    EXPECT_EQ(ReadBytes(kList), "1234\t\r\n");
    EXPECT_EQ(CFavoriteList::Add("1234"), Add::Duplicate);

    // A full list still reports a duplicate, even one in a malformed line.
    const std::string full = NumberedLines(200) + " 1000\tX\r\n" + "\r\n" + "junk\n" + NumberedLines(53);
    WriteList(full);
    EXPECT_EQ(CFavoriteList::Add("1000"), Add::Duplicate);
    EXPECT_EQ(CFavoriteList::Add("5100"), Add::Duplicate);
    // Every line counts, the blank and malformed ones too: the 257th is refused, nothing written.
    EXPECT_EQ(CFavoriteList::Add("9999"), Add::Full);
    EXPECT_EQ(ReadBytes(kList), full);

    // The 256th is taken; a last line without its line end is not joined by the new one.
    WriteList(NumberedLines(254) + "1111\tA");
    EXPECT_EQ(CFavoriteList::Add("9999"), Add::Added);
    EXPECT_EQ(ReadBytes(kList), NumberedLines(254) + "1111\tA\r\n9999\t\r\n");
}

TEST(FavoriteListTest, AFailedWriteLeavesTheOldListAndNoTemporaryFile)
{
    const std::string old = "1111\tA\n2222\t\n";
    WriteList(old);
    {
        testsupport::CFileSizeLimit limit(4);
        EXPECT_EQ(CFavoriteList::Add("3333"), Add::Unavailable);
        EXPECT_FALSE(CFavoriteList::Write({"3333\t", "1111\tA"}));
    }
    EXPECT_EQ(ReadBytes(kList), old);
    for (const auto& entry : std::filesystem::directory_iterator("data"))
        EXPECT_TRUE(entry.is_directory() || entry.path().filename() == "favorite.txt") << entry.path();

    EXPECT_TRUE(CFavoriteList::Write({"3333\t", "1111\tA"}));
    EXPECT_EQ(ReadBytes(kList), "3333\t\r\n1111\tA\r\n");
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

TEST(FavoriteRacerTest, TakesVenueAndRacesFromTheDayAndTheLongerName)
{
    const CString racing = Sjis("江口 晃生\t1\t5R 2枠 1ｺｰｽ 01着\t11R 1枠 1ｺｰｽ 02着");
    CFavoriteRacer racer("3159\t", racing);
    EXPECT_EQ(racer.m_nRegNo, 3159);
    EXPECT_EQ(racer.m_nVenue, 1);
    EXPECT_EQ(racer.m_strRace1, Sjis("5R 2枠 1ｺｰｽ 01着"));
    EXPECT_EQ(racer.m_strRace2, Sjis("11R 1枠 1ｺｰｽ 02着"));
    EXPECT_TRUE(racer.NameGrew());
    EXPECT_EQ(racer.Title(), Sjis("3159 江口 晃生"));
    EXPECT_EQ(racer.Line(), Sjis("3159\t江口 晃生"));
    EXPECT_EQ(CFavoriteRacer::RaceNumber(racer.m_strRace2), 11);
    EXPECT_EQ(CFavoriteRacer::RaceNumber(""), 0);

    // A longer name of the list's stays; a third race joins the second with its TAB.
    CFavoriteRacer named(Sjis("3159\t江口晃生（群馬）"), Sjis("江口 晃生\t1\t5R 2枠 \t9R 3枠 \t11R 1枠 "));
    EXPECT_FALSE(named.NameGrew());
    EXPECT_EQ(named.Line(), Sjis("3159\t江口晃生（群馬）"));
    EXPECT_EQ(named.m_strRace1, Sjis("5R 2枠 "));
    EXPECT_EQ(named.m_strRace2, Sjis("9R 3枠 \t11R 1枠 "));

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
    // Lone LF line ends, odd lines, and 300 lines in all, the racer again at line 281.
    std::string file = "4001\n 0123\tX\n\n4011\n" + NumberedLines(276, "\n") + "4001\t\n" + NumberedLines(19, "\n");
    WriteList(file);
    const auto racers = CFavoriteRacer::LoadDay(*doc);
    ASSERT_TRUE(racers);
    ASSERT_EQ(racers->size(), 256u);
    EXPECT_EQ((*racers)[0].Title(), Sjis("4001 試験太郎"));
    EXPECT_EQ((*racers)[0].m_nVenue, 3);
    EXPECT_EQ((*racers)[0].m_strRace1, Sjis("1R 1枠 "));
    EXPECT_EQ((*racers)[3].m_strRace1, Sjis("2R 1枠 "));
    EXPECT_EQ((*racers)[1].Title(), CString(" 0123  X"));
    EXPECT_EQ((*racers)[255].Title(), CString("5251 "));

    const std::string name = Sjis("試験太郎").Str();
    const std::string expected = "4001\t" + name + "\r\n 0123\tX\r\n\r\n4011\t" + name + "\r\n" + NumberedLines(276) +
                                 "4001\t\r\n" + NumberedLines(19);
    EXPECT_EQ(ReadBytes(kList), expected);
    // Once the names are in, a load leaves the file alone.
    ASSERT_TRUE(CFavoriteRacer::LoadDay(*doc));
    EXPECT_EQ(ReadBytes(kList), expected);
}

TEST_F(FavoriteDayTest, JunkOrAnUnreadableListNeverBreaksTheLoad)
{
    std::string junk("4001\t\x81", 6);
    junk += std::string("\0\xff\x82\n\x82\xa0\x1a\r\r\n", 10) + std::string(300, '\x81') + "\n\t\t\t";
    WriteList(junk);
    auto racers = CFavoriteRacer::LoadDay(*doc);
    ASSERT_TRUE(racers);
    ASSERT_EQ(racers->size(), 4u);
    // The found name replaces the bytes after the number; the other lines keep theirs.
    EXPECT_EQ((*racers)[0].Title(), Sjis("4001 試験太郎"));
    EXPECT_EQ(ReadBytes(kList), "4001\t" + Sjis("試験太郎").Str() + "\r\n\x82\xa0\x1a\r\r\n" + std::string(300, '\x81') +
                                    "\r\n\t\t\t\r\n");

    std::filesystem::remove(kList);
    std::filesystem::create_directory(kList);
    EXPECT_FALSE(CFavoriteRacer::LoadDay(*doc));
}
