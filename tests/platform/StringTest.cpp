#include "platform/Sjis.h"
#include "platform/String.h"

#include <gtest/gtest.h>

TEST(CStringTest, MidLeftRightCutByBytesAndNeverFail)
{
    const CString s("ABCDEFGH");
    EXPECT_EQ(s.Mid(2, 3), "CDE");
    EXPECT_EQ(s.Mid(6, 10), "GH");
    EXPECT_EQ(s.Mid(7, 1), "H");
    EXPECT_EQ(s.Mid(8, 1), "");   // the string has 8 bytes: nothing from byte 8 on
    EXPECT_EQ(s.Mid(100, 2), "");
    EXPECT_EQ(s.Mid(-3, 2), "AB");
    EXPECT_EQ(s.Mid(2, 0), "");
    EXPECT_EQ(s.Mid(5), "FGH");
    EXPECT_EQ(s.Left(3), "ABC");
    EXPECT_EQ(s.Left(30), "ABCDEFGH");
    EXPECT_EQ(s.Right(2), "GH");
    EXPECT_EQ(s.Right(0), "");
    EXPECT_EQ(s.GetAt(8), '\0');
    EXPECT_EQ(s.GetAt(-1), '\0');
}

TEST(CStringTest, FindSkipsTrailBytesOfDoubleByteCharacters)
{
    // 0x83 0x81 is one character, 0x40 is "@": the full-width blank 0x81 0x40 is not in it.
    const CString s("\x83\x81\x40");
    EXPECT_EQ(s.Find("\x81\x40"), -1);
    EXPECT_EQ(s.Find('@'), 2);
    EXPECT_EQ(s.Find('\x81'), -1);

    const CString blank = Sjis("　");
    const CString name = Sjis("ャ　介");
    EXPECT_EQ(name.Find(blank.GetString()), 2);
    EXPECT_EQ(name.Find(blank.GetString(), 3), -1);
    EXPECT_EQ(CString("abcabc").Find("bc", 2), 4);
    EXPECT_EQ(CString("abc").Find(""), 0);
    EXPECT_EQ(CString("abc").Find("abcd"), -1);
}

TEST(CStringTest, ReplaceMatchesOnCharacterBoundariesFromTheLeft)
{
    CString s("\x83\x81\x40\x81\x40");  // a character, "@", then a full-width blank
    EXPECT_EQ(s.Replace("\x81\x40", ""), 1);
    EXPECT_EQ(s, CString("\x83\x81\x40"));

    CString blanks("a     b");  // five blanks: one triple from the left, two left over
    EXPECT_EQ(blanks.Replace("   ", "\t"), 1);
    EXPECT_EQ(blanks, "a\t  b");

    CString name = Sjis("試　験　　太郎");
    EXPECT_EQ(name.Replace(Sjis("　").GetString(), ""), 3);
    EXPECT_EQ(name, Sjis("試験太郎"));
    EXPECT_EQ(name.Replace("", "x"), 0);
}

TEST(CStringTest, MakeUpperLeavesDoubleByteCharactersAlone)
{
    // 0x82 0x61 is full-width "Ａ": its trail byte 0x61 is "a" and must stay.
    CString s("tx\x82\x61z");
    s.MakeUpper();
    EXPECT_EQ(s, CString("TX\x82\x61Z"));
}

TEST(CStringTest, TrimRemovesOnlyAsciiWhiteSpace)
{
    const CString blank = Sjis("　");
    CString s = CString(" \t\r\n\v\f") + blank + "x" + blank + " \t";
    s.Trim();
    EXPECT_EQ(s, blank + "x" + blank);
    CString all("   ");
    EXPECT_TRUE(all.TrimLeft().IsEmpty());
}

TEST(CStringTest, FormatUsesTheCLocaleAndGrowsBeyondItsBuffer)
{
    EXPECT_EQ(CString::Formatted("%4.2f", 15.02), "15.02");
    EXPECT_EQ(CString::Formatted("%s %5.2f%%", "1-3", 23.456), "1-3 23.46%");
    const std::string big(1000, 'x');
    EXPECT_EQ(CString::Formatted("%s!", big.c_str()).GetLength(), 1001);
}
