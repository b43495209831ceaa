#include "platform/Profile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace {

std::string ReadAll(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteAll(const char* path, const std::string& s)
{
    std::ofstream(path, std::ios::binary) << s;
}

} // namespace

TEST(CProfileTest, ReadsKeysOfTheRightSectionIgnoringCase)
{
    WriteAll("k.ini", "[Other]\r\nASSEN=wrong\r\n[url]\r\n  assen = http://x/%d \r\nN=12\r\n");
    const CProfile profile("k.ini");
    EXPECT_EQ(profile.GetProfileString("URL", "ASSEN", "d"), "http://x/%d");
    EXPECT_EQ(profile.GetProfileString("URL", "MISSING", "d"), "d");
    EXPECT_EQ(profile.GetProfileString("NOSECTION", "ASSEN", ""), "");
    EXPECT_EQ(profile.GetProfileInt("URL", "N", 5), 12);
    EXPECT_EQ(profile.GetProfileInt("URL", "X", 5), 5);
    EXPECT_EQ(CProfile("missing.ini").GetProfileString("URL", "ASSEN", "def"), "def");
}

TEST(CProfileTest, WriteKeepsEveryOtherLine)
{
    WriteAll("k.ini", "; note\r\n[Settings]\r\nPreviewPages=2\r\n\r\n[URL]\r\nASSEN=\r\nOther=1\r\n");
    const CProfile profile("k.ini");
    ASSERT_TRUE(profile.WriteProfileString("URL", "ASSEN", "http://h/%d"));
    EXPECT_EQ(ReadAll("k.ini"),
              "; note\r\n[Settings]\r\nPreviewPages=2\r\n\r\n[URL]\r\nASSEN=http://h/%d\r\nOther=1\r\n");
    ASSERT_TRUE(profile.WriteProfileString("Settings", "New", "v"));
    EXPECT_EQ(ReadAll("k.ini"),
              "; note\r\n[Settings]\r\nPreviewPages=2\r\nNew=v\r\n\r\n[URL]\r\nASSEN=http://h/%d\r\nOther=1\r\n");
}

TEST(CProfileTest, WriteCreatesTheFileOnlyWhenItsFolderExists)
{
    const CProfile nowhere("data/kelu.ini");
    EXPECT_FALSE(nowhere.WriteProfileString("URL", "ASSEN", "v"));
    mkdir("data", 0755);
    EXPECT_TRUE(nowhere.WriteProfileString("URL", "ASSEN", "v"));
    EXPECT_EQ(ReadAll("data/kelu.ini"), "[URL]\r\nASSEN=v\r\n");
}

TEST(CProfileTest, WriteRefusesAFileItCannotRead)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    WriteAll("k.ini", "[A]\r\nB=1\r\n");
    chmod("k.ini", 0200);
    EXPECT_FALSE(CProfile("k.ini").WriteProfileString("URL", "ASSEN", "v"));
    chmod("k.ini", 0644);
    EXPECT_EQ(ReadAll("k.ini"), "[A]\r\nB=1\r\n");
}
