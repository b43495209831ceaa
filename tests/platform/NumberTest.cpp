#include "CommaLocale.h"
#include "platform/Number.h"

#include <clocale>
#include <gtest/gtest.h>

TEST(NumberTest, AtoIReadsLeadingDigitsLikeAtoi)
{
    EXPECT_EQ(AtoI("  42abc"), 42);
    EXPECT_EQ(AtoI("-7"), -7);
    EXPECT_EQ(AtoI("+8"), 8);
    EXPECT_EQ(AtoI("ab"), 0);
    EXPECT_EQ(AtoI(""), 0);
    EXPECT_EQ(AtoI(static_cast<const char*>(nullptr)), 0);
    EXPECT_EQ(AtoI("03"), 3);
    EXPECT_EQ(AtoI("99999999999999999999"), 2147483647);
    EXPECT_EQ(AtoI("-99999999999999999999"), -2147483647 - 1);
}

TEST(NumberTest, AtoFReadsOnlyDecimalNumbers)
{
    EXPECT_DOUBLE_EQ(AtoF(" 6.50"), 6.5);
    EXPECT_DOUBLE_EQ(AtoF("45.20xyz"), 45.2);
    EXPECT_DOUBLE_EQ(AtoF("-1.5e2"), -150.0);
    EXPECT_DOUBLE_EQ(AtoF("1e"), 1.0);
    EXPECT_DOUBLE_EQ(AtoF(".5"), 0.5);
    EXPECT_DOUBLE_EQ(AtoF("."), 0.0);
    EXPECT_DOUBLE_EQ(AtoF("abc"), 0.0);
    EXPECT_DOUBLE_EQ(AtoF("inf"), 0.0);
    EXPECT_DOUBLE_EQ(AtoF("nan"), 0.0);
    EXPECT_DOUBLE_EQ(AtoF("0x10"), 0.0);
}

TEST(NumberTest, NumbersIgnoreACommaLocale)
{
    const testsupport::CCommaLocale comma(LC_NUMERIC);
    ASSERT_TRUE(comma.IsOn()) << testsupport::CCommaLocale::kMissing;
    EXPECT_DOUBLE_EQ(AtoF("6.50"), 6.5);
    EXPECT_EQ(CString::Formatted("%4.2f", 15.02), "15.02");
    // Rounded to the nearest, a tie of the binary value to the even digit, as printf does.
    EXPECT_EQ(FixedDecimals(100.0 * 318 / 686, 1), "46.4");
    EXPECT_EQ(FixedDecimals(0.125, 2), "0.12");
    EXPECT_EQ(FixedDecimals(2.5, 0), "2");
    EXPECT_EQ(FixedDecimals(-0.04, 1), "-0.0");
}
