// The benchmark table's verdicts and the rows the start-up measurements hand over through a file.

#include "BenchTable.h"
#include "CommaLocale.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using benchtable::CRow;

// The table as printed, one string a line.
std::vector<std::string> Print(const std::vector<CRow>& rows)
{
    std::FILE* pFile = std::tmpfile();
    benchtable::PrintTable(rows, pFile);
    std::rewind(pFile);
    std::vector<std::string> lines;
    char sz[512];
    while (std::fgets(sz, sizeof sz, pFile))
        lines.emplace_back(sz);
    std::fclose(pFile);
    return lines;
}

bool EndsWith(const std::string& s, const std::string& end)
{
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

} // namespace

TEST(BenchTableTest, ARatioMeetsItsTargetUpToItAndALimitOnlyBelowIt)
{
    // The figures keep their point on a desktop whose numbers have a decimal comma.
    const testsupport::CCommaLocale comma;
    ASSERT_TRUE(comma.IsOn()) << testsupport::CCommaLocale::kMissing;
    const std::vector<std::string> lines = Print({
        {"at the target", 1.5, 1.0, "ms", 1.5, 0},
        {"over the target", 1.51, 1.0, "ms", 1.5, 0},
        {"under the limit", 1.99, 0, "ms", 0, 2.0},
        {"at the limit", 2.0, 0, "ms", 0, 2.0},
        {"no target", 3.0, 1.0, "MB", 0, 0},
        {"baseline not run", 3.0, 0, "ms", 1.2, 0},
        {"not run", 0, 1.0, "ms", 1.2, 0},
    });
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0].rfind("measurement", 0), 0u);
    EXPECT_TRUE(EndsWith(lines[1], "1.50x   <= 1.50x  yes\n")) << lines[1];
    EXPECT_TRUE(EndsWith(lines[2], "1.51x   <= 1.50x  NO\n")) << lines[2];
    EXPECT_TRUE(EndsWith(lines[3], "< 2.00 ms  yes\n")) << lines[3];
    EXPECT_TRUE(EndsWith(lines[4], "< 2.00 ms  NO\n")) << lines[4];
    EXPECT_NE(lines[5].find("3.00 MB"), std::string::npos) << lines[5];
    EXPECT_TRUE(EndsWith(lines[5], "3.00x          -  -\n")) << lines[5];
    EXPECT_TRUE(EndsWith(lines[6], "not run\n")) << lines[6];
    EXPECT_TRUE(EndsWith(lines[7], "not run\n")) << lines[7];
}

TEST(BenchTableTest, RowsComeBackFromTheirFileAsTheyWereWritten)
{
    const std::string strPath = "rows.tsv";
    const std::vector<CRow> first{{"start-up to first paint vs a bare window (Xvfb)", 86.25, 68.5, "ms", 1.2, 0}};
    const std::vector<CRow> second{{"peak memory, a race shown", 39.375, 31.0, "MB", 1.25, 0},
                                   {"a limit of its own", 0.5, 0, "ms", 0, 2}};
    ASSERT_TRUE(benchtable::AppendRows(strPath, first));
    ASSERT_TRUE(benchtable::AppendRows(strPath, second));
    std::vector<CRow> rows;
    {
        const testsupport::CCommaLocale comma;
        ASSERT_TRUE(comma.IsOn()) << testsupport::CCommaLocale::kMissing;
        ASSERT_TRUE(benchtable::ReadRows(strPath, rows));
    }
    std::remove(strPath.c_str());
    // Gone, it is told.
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].title, first[0].title);
    EXPECT_DOUBLE_EQ(rows[0].dMeasured, 86.25);
    EXPECT_DOUBLE_EQ(rows[0].dBaseline, 68.5);
    EXPECT_EQ(rows[1].unit, "MB");
    EXPECT_DOUBLE_EQ(rows[1].dTarget, 1.25);
    EXPECT_DOUBLE_EQ(rows[2].dLimit, 2);
    EXPECT_FALSE(benchtable::ReadRows(strPath, rows));
}
