// Shift-JIS <-> UTF-8 through converters kept per thread: what one conversion leaves behind (a
// cut character, a character with no Shift-JIS form) never reaches the next, and threads that
// convert at once each get their own results.

#include "platform/Sjis.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

TEST(SjisTest, AConversionStartsCleanAfterOneThatWasCutOrRefused)
{
    const std::string a = "\x82\xa0"; // あ
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(SjisToUtf8("x\x82"), "x\xEF\xBF\xBD");
        EXPECT_EQ(SjisToUtf8(a), "あ");
        EXPECT_EQ(Utf8ToSjis("\xE3\x81"), "?"); // a UTF-8 character cut short
        EXPECT_EQ(Utf8ToSjis("あ"), a);
        EXPECT_EQ(Utf8ToSjis("a😀b"), "a?b");
        EXPECT_EQ(Utf8ToSjis("特払い"), std::string(Sjis("特払い").GetString()));
    }
    EXPECT_EQ(SjisToUtf8(""), "");
}

TEST(SjisTest, ThreadsConvertingAtOnceGetTheirOwnResults)
{
    const std::string utf8 = "桐生 第53回スポーツニッポン杯 ｶﾅ 12R";
    const std::string sjis = Utf8ToSjis(utf8);
    std::vector<int> wrong(4, 0);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < wrong.size(); ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i)
                wrong[t] += SjisToUtf8(sjis) != utf8 || Utf8ToSjis(utf8) != sjis;
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}
