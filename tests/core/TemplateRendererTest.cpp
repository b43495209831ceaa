// The template language as the renderer draws it, read back from a recording device context:
// 0.1 mm units with y up, so a template's y of 20 mm is -200 and a 12-point cell is 42 high.

#include "platform/Sjis.h"
#include "print/RecordingDC.h"
#include "print/TemplateRenderer.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using EKind = CRecordingDC::EKind;

// Writes a template in Shift-JIS from UTF-8 lines, each ended by CR LF unless told otherwise.
void WriteTemplate(const std::string& path, const Lines& lines, const char* pszEnd = "\r\n")
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    for (const std::string& l : lines)
        out << Utf8ToSjis(l) << pszEnd;
}

// The calls that drawing the lines makes after the page set-up.
Lines Draw(const Lines& lines, EKind eKind)
{
    WriteTemplate("data/t.txt", lines);
    CRecordingDC dc;
    CTemplateRenderer renderer;
    EXPECT_TRUE(renderer.PrintTemplate("data\\t.txt", &dc));
    return dc.Lines(eKind);
}

Lines Texts(const Lines& lines)
{
    return Draw(lines, EKind::Text);
}

// The fonts made after the set-up's own.
Lines Fonts(const Lines& lines)
{
    Lines fonts = Draw(lines, EKind::Font);
    fonts.erase(fonts.begin());
    return fonts;
}

} // namespace

TEST(TemplateRendererTest, AnEmptyFieldEndsTheLine)
{
    EXPECT_EQ(CTemplateRenderer::GetField("10\t20\tabc", 3), "abc");
    EXPECT_EQ(CTemplateRenderer::GetField("10\t\tabc", 2), "");
    EXPECT_EQ(CTemplateRenderer::GetField("10\t\tabc", 3), "");
    EXPECT_EQ(CTemplateRenderer::GetField("\t10\t20", 2), "");
    EXPECT_EQ(CTemplateRenderer::GetField("10\t20\t", 3), "");
    EXPECT_EQ(CTemplateRenderer::GetField("10", 2), "");
    EXPECT_EQ(CTemplateRenderer::GetField("10", 0), "");

    // TEXT 10, (empty), abc: y and text are both empty, so an empty text is drawn on the top edge.
    EXPECT_EQ(Texts({"TEXT\t10\t\tabc"}), (Lines{"Text 100,42 "}));
    // Blanks are text: only TABs separate.
    EXPECT_EQ(Texts({"TEXT\t10\t20\t a b "}), (Lines{"Text 100,-158  a b "}));
    // A line starting with a TAB has no keyword.
    EXPECT_EQ(Texts({"\tTEXT\t10\t20\tabc"}), Lines{});
}

TEST(TemplateRendererTest, KeywordsIgnoreCaseButNothingElse)
{
    EXPECT_EQ(Texts({"tx\t10\t20\tabc", "Text\t10\t20\tdef", "TEXT \t10\t20\tno", "TEXTS\t10\t20\tno", "note",
                     ""}),
              (Lines{"Text 100,-158 abc", "Text 100,-158 def"}));
    // LINE and BOX, long and short: a box is four lines from (x1, y1) down, across, up, back.
    EXPECT_EQ(Draw({"li\t1\t2\t3\t4", "BX\t1\t2\t3\t4"}, EKind::LineTo),
              (Lines{"LineTo 30,-40", "LineTo 10,-40", "LineTo 30,-40", "LineTo 30,-20", "LineTo 10,-20"}));
    EXPECT_EQ(Draw({"LINE\t1\t2\t3\t4", "box\t1\t2\t3\t4"}, EKind::MoveTo), (Lines{"MoveTo 10,-20", "MoveTo 10,-20"}));
}

TEST(TemplateRendererTest, NumbersAreMillimetresTruncatedToTenths)
{
    EXPECT_EQ(CTemplateRenderer::ToX("12.34"), 123);
    EXPECT_EQ(CTemplateRenderer::ToX("12.36"), 123);
    EXPECT_EQ(CTemplateRenderer::ToY("12.36"), -123);
    EXPECT_EQ(CTemplateRenderer::ToX("-1.25"), -12);
    EXPECT_EQ(CTemplateRenderer::ToY("-1.25"), 12);
    EXPECT_EQ(CTemplateRenderer::ToX(" 5mm"), 50);
    EXPECT_EQ(CTemplateRenderer::ToX("1e1"), 100);
    EXPECT_EQ(CTemplateRenderer::ToX("abc"), 0);
    EXPECT_EQ(CTemplateRenderer::ToX(""), 0);
    // Beyond the device's range the number is held at its end rather than overflowing.
    EXPECT_EQ(CTemplateRenderer::ToX("1e300"), INT_MAX);
    EXPECT_EQ(CTemplateRenderer::ToY("1e400"), INT_MIN);
}

TEST(TemplateRendererTest, FontLinesKeepWhatTheyDoNotSay)
{
    EXPECT_EQ(Fonts({"FONT\t10.5", "FN\t0\tM", "FONT\t-3\tX\tiu", "font\t\tG\tI", "FONT\t8\tm\tXI", "FONT\t9\tg\tU"}),
              (Lines{"Font 36 ＭＳ Ｐゴシック w400",
                     "Font 36 ＭＳ Ｐ明朝 w400",
                     "Font 36 ＭＳ Ｐ明朝 w400 italic underline",
                     // The empty size ends the line: the face and style read as empty too.
                     "Font 36 ＭＳ Ｐ明朝 w400",
                     "Font 28 ＭＳ Ｐ明朝 w400 italic",
                     "Font 31 ＭＳ Ｐゴシック w400 underline"}));
    // The text's cell is the font's: its top is FontHeight above the given bottom.
    EXPECT_EQ(Texts({"FONT\t10", "TX\t0\t10\tx"}), (Lines{"Text 0,-65 x"}));
}

TEST(TemplateRendererTest, AlignedTextsUseTheMeasuredWidthAndExactCodes)
{
    // The recording device measures 21 units a byte at 12 points: "abc" is 63 wide.
    EXPECT_EQ(Texts({"AT\t10\t20\t12\tM\tabc", "AT\t10\t20\t12\tm\tabc", "AT\t10\t20\t12\tMIDDLE\tabc",
                     "AT\t10\t20\t12\tE\tabc", "AT\t10\t20\t0\tE\tabc", "AT\t10\t20\t12\t\tabc",
                     "ALIGNTEXT\t10\t20\t12\tM\tabcdefghijk"}),
              (Lines{"Text 128,-158 abc",   // (120 - 63) / 2 = 28
                     "Text 128,-158 abc",   // the code is upper-cased first
                     "Text 100,-158 abc",   // only "M" centres
                     "Text 157,-158 abc",   // 120 - 63
                     "Text 37,-158 abc",    // ends at x, reaching to the left
                     "Text 100,-158 ",      // the empty align ends the line: no text
                     "Text 45,-158 abcdefghijk"})); // (120 - 231) / 2 = -55, toward zero
}

TEST(TemplateRendererTest, EveryPageSetupStartsFromTheDefaultFontAtThePaperCorner)
{
    WriteTemplate("data/a.txt", {"FONT\t20\tM", "TX\t0\t0\ta"});
    WriteTemplate("data/b.txt", {"TX\t0\t0\tb"});
    CRecordingDC dc(600, 4960, 7016, 50, 60);
    CTemplateRenderer renderer;
    EXPECT_EQ(SjisToUtf8(renderer.GetFaceName().Str()), "ＭＳ ゴシック");
    EXPECT_EQ(renderer.GetFontSize(), 12.0);
    EXPECT_TRUE(renderer.PrintTemplate("data\\a.txt", &dc));
    EXPECT_TRUE(renderer.PrintTemplate("data/b.txt")); // no device context: the last one, no set-up
    EXPECT_TRUE(renderer.PrintTemplate("data/b.txt", &dc));
    EXPECT_EQ(dc.Lines(), (Lines{"MapMode 2", "Font 42 ＭＳ Ｐゴシック w400", "ViewportOrg -50,-60",
                                 "Font 70 ＭＳ Ｐ明朝 w400", "Text 0,70 a", "Text 0,70 b",
                                 "MapMode 2", "Font 42 ＭＳ Ｐゴシック w400", "ViewportOrg -50,-60", "Text 0,42 b"}));
}

TEST(TemplateRendererTest, IgnoredCommandsLineEndsAndMissingFiles)
{
    // NEWPAGE and IMAGE draw nothing and start no page; the lines after them draw on.
    EXPECT_EQ(Draw({"TX\t1\t1\ta", "NEWPAGE", "np\tx", "IMAGE\tpic.bmp\t1\t2", "TX\t1\t1\tb"}, EKind::Text),
              (Lines{"Text 10,32 a", "Text 10,32 b"}));

    // LF alone ends a line too, the last line needs none, and a line may be of any length.
    const std::string strLong(100000, 'x');
    std::ofstream("lf.txt", std::ios::binary) << "TX\t1\t1\ta\nTX\t1\t1\t" << strLong << "\nTX\t1\t1\tc";
    CRecordingDC dc;
    CTemplateRenderer renderer;
    EXPECT_TRUE(renderer.PrintTemplate("lf.txt", &dc));
    EXPECT_EQ(dc.Lines(EKind::Text), (Lines{"Text 10,32 a", "Text 10,32 " + strLong, "Text 10,32 c"}));

    // A missing file draws nothing beyond the page set-up; no device context ever: nothing at all.
    CRecordingDC missing;
    EXPECT_FALSE(renderer.PrintTemplate("data\\none.txt", &missing));
    EXPECT_EQ(missing.Lines(), (Lines{"MapMode 2", "Font 42 ＭＳ Ｐゴシック w400", "ViewportOrg 0,0"}));
    CTemplateRenderer fresh;
    EXPECT_FALSE(fresh.PrintTemplate("lf.txt"));
}

TEST(TemplateRendererTest, PositionsWorkedOutPastTheDeviceRangeStayAtItsEnd)
{
    // Numbers at the range's end, then moved further by aligning or by the cell's height.
    EXPECT_EQ(Texts({"AT\t1e300\t20\t1e300\tE\tabc", "AT\t-1e300\t20\t-1e300\tM\tabc", "AT\t1e300\t20\t12\tE\tabc",
                     "TX\t0\t-1e300\tx"}),
              (Lines{"Text 2147483647,-158 abc", "Text -2147483648,-158 abc", "Text 2147483647,-158 abc",
                     "Text 0,2147483647 x"}));
    // A font so large that its cell is the whole range: the measured width is held there too,
    // and centring starts the text half of it to the left.
    EXPECT_EQ(Texts({"FONT\t1e300", "AT\t10\t20\t12\tM\tabc"}), (Lines{"Text -1073741663,2147483447 abc"}));
    CRecordingDC dc;
    dc.SelectFont(CLogFont{.nHeight = INT_MAX});
    EXPECT_EQ(dc.GetTextExtent("abc"), INT_MAX);
    dc.SelectFont(CLogFont{.nHeight = INT_MIN});
    EXPECT_EQ(dc.GetTextExtent("abc"), INT_MIN);
}
