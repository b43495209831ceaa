#include "app/Startup.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

TEST(StartupTest, WorkFilesOfAProcessThatIsGoneAreRemovedAndThoseOfALiveOneStay)
{
    CreateDataDirectories();
    // A process that has ended and been reaped: its number names no process now.
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    ASSERT_GT(gone, 0);
    ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
    const std::string dead = std::to_string(gone);
    const std::string live = std::to_string(getpid());
    const std::vector<std::string> left = {"temp-" + dead + ".lzh", "data/period-" + dead + "-B200105.lzh",
                                           "data/prog/.lha32-" + dead + "-1a-2f3e", "data/kelu.ini.tmp" + dead + "-0",
                                           "data/res/K200105.TXT.tmp" + dead + "-12"};
    const std::vector<std::string> kept = {
        "temp-" + live + ".lzh", "data/period-" + live + "-K200105.lzh", "data/prog/.lha32-" + live + "-1-2",
        // Not work files, or not of a process: an older Kelu's work file, the day files, look-alikes.
        "temp.lzh", "temp-" + dead + ".lzh.bak", "temp-x" + dead + ".lzh", "data/prog/B200105.TXT",
        "data/kelu.ini.tmp" + dead, "data/kelu.ini.tmp" + dead + "-", "data/period-" + dead + ".lzh"};
    for (const std::string& path : left)
        std::ofstream(path) << "left";
    for (const std::string& path : kept)
        std::ofstream(path) << "kept";
    // A folder of a work file's name is not a file: it stays too.
    mkdir(("data/res/.lha32-" + dead + "-9-9").c_str(), 0755);

    EXPECT_EQ(RemoveLeftWorkFiles(), static_cast<int>(left.size()));
    for (const std::string& path : left)
        EXPECT_FALSE(Exists(path.c_str())) << path;
    for (const std::string& path : kept)
        EXPECT_TRUE(Exists(path.c_str())) << path;
    EXPECT_TRUE(IsDir(("data/res/.lha32-" + dead + "-9-9").c_str()));
    // Process 1 is always there.
    EXPECT_EQ(WorkFileProcess("period-1-B200105.lzh"), 1);
}
