#include "platform/Time.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace {

// Sets TZ for one test and restores it afterwards.
class CTimeZone {
public:
    explicit CTimeZone(const char* tz)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old, m_bHad = true;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~CTimeZone()
    {
        if (m_bHad)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::string m_old;
    bool m_bHad = false;
};

} // namespace

TEST(CTimeTest, BreaksDownAndFormatsLocalTime)
{
    const CTime t(2005, 3, 5, 14, 30, 0);
    EXPECT_EQ(t.GetYear(), 2005);
    EXPECT_EQ(t.GetMonth(), 3);
    EXPECT_EQ(t.GetDay(), 5);
    EXPECT_EQ(t.GetHour(), 14);
    EXPECT_EQ(t.Format("%y/%m/%d"), "05/03/05");
    EXPECT_EQ(t.Format("%Y/%m/%d"), "2005/03/05");
    EXPECT_EQ((t + 86400).GetDay(), 6);
}

TEST(CTimeTest, AddDaysCrossesMonthAndYearEnds)
{
    EXPECT_EQ(CTime(2005, 1, 31, 9, 0, 0).AddDays(1).Format("%Y-%m-%d %H"), "2005-02-01 09");
    EXPECT_EQ(CTime(2004, 12, 31, 9, 0, 0).AddDays(1).Format("%Y-%m-%d %H"), "2005-01-01 09");
    EXPECT_EQ(CTime(2005, 1, 1, 9, 0, 0).AddDays(-1).Format("%Y-%m-%d %H"), "2004-12-31 09");
    EXPECT_EQ(CTime(2004, 2, 28, 9, 0, 0).AddDays(1).Format("%Y-%m-%d"), "2004-02-29");
}

TEST(CTimeTest, AddDaysKeepsTheWallClockAcrossAClockChange)
{
    CTimeZone tz("Europe/Berlin");
    // 26 March 2023 is 23 hours long in Berlin: adding 86,400 seconds to 00:30 on the 25th
    // lands on 00:30 of the 26th, but from 23:30 on the 25th it skips the 26th entirely.
    const CTime late(2023, 3, 25, 23, 30, 0);
    EXPECT_EQ((late + 86400).Format("%d %H:%M"), "27 00:30");
    EXPECT_EQ(late.AddDays(1).Format("%d %H:%M"), "26 23:30");
    // The long day in October: 86,400 seconds from 00:30 stays on the same date.
    const CTime early(2023, 10, 29, 0, 30, 0);
    EXPECT_EQ((early + 86400).Format("%d %H:%M"), "29 23:30");
    EXPECT_EQ(early.AddDays(1).Format("%d %H:%M"), "30 00:30");
}

TEST(CTimeTest, ATimeWithoutLocalBreakdownFormatsEmpty)
{
    const CTime huge(std::numeric_limits<std::time_t>::max());
    EXPECT_FALSE(huge.IsValid());
    EXPECT_EQ(huge.Format("%y/%m/%d"), "");
    EXPECT_EQ(huge.GetYear(), 0);
}
