#include "app/Startup.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace {

bool IsDir(const char* path)
{
    struct stat st {};
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const char* path)
{
    struct stat st {};
    return stat(path, &st) == 0;
}

// Runs the settings part of the start-up as the application does: profile, address, folders.
CString StartOnce()
{
    const CString url = ReadAssenUrl(OpenKeluProfile());
    CreateDataDirectories();
    return url;
}

} // namespace

TEST(StartupTest, FirstStartInAnEmptyFolderWritesTheSettingsOnlyAtTheSecondStart)
{
    EXPECT_EQ(StartOnce(), kDefaultAssenUrl);
    EXPECT_TRUE(IsDir("data") && IsDir("data/prog") && IsDir("data/res"));
    EXPECT_FALSE(Exists("data/kelu.ini"));

    EXPECT_EQ(StartOnce(), kDefaultAssenUrl);
    EXPECT_EQ(OpenKeluProfile().GetProfileString("URL", "ASSEN"), kDefaultAssenUrl);
}

TEST(StartupTest, AnEmptyValueIsRewrittenAndAStoredOneIsUsedAsItStands)
{
    mkdir("data", 0755);
    std::ofstream("data/kelu.ini") << "[URL]\r\nASSEN=\r\n";
    EXPECT_EQ(StartOnce(), kDefaultAssenUrl);
    EXPECT_EQ(OpenKeluProfile().GetProfileString("URL", "ASSEN"), kDefaultAssenUrl);

    std::ofstream("data/kelu.ini") << "[URL]\r\nASSEN=%s%s%n odd\r\n";
    EXPECT_EQ(StartOnce(), "%s%s%n odd");
}

TEST(StartupTest, ExistingFoldersAndTheirFilesAreLeftAlone)
{
    mkdir("data", 0755);
    mkdir("data/prog", 0755);
    std::ofstream("data/prog/B200101.TXT") << "x";
    CreateDataDirectories();
    EXPECT_TRUE(Exists("data/prog/B200101.TXT"));
    EXPECT_TRUE(IsDir("data/res"));
}

TEST(StartupTest, ExpandingTheAddressNeverTrustsTheStoredFormat)
{
    EXPECT_EQ(ExpandAssenUrl("http://h/a.cgi?TOBAN=%d", 4321), "http://h/a.cgi?TOBAN=4321");
    EXPECT_EQ(ExpandAssenUrl("%s%s%n", 4321), "%s%s%n");
    EXPECT_EQ(ExpandAssenUrl("%d%d", 4321), "4321%d");
    EXPECT_EQ(ExpandAssenUrl("http://h/?q=100%%&n=%d", 7), "http://h/?q=100%&n=7");
    EXPECT_EQ(ExpandAssenUrl("no number", 7), "no number");
    EXPECT_EQ(ExpandAssenUrl("ends with %", 7), "ends with %");
    EXPECT_EQ(ExpandAssenUrl("%5d|%-d|%d", 7), "%5d|%-d|7");
}
