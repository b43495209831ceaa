// The program folder as the build lays it out, run here as the build runs it: the print
// templates are the user's to edit, so laying the folder out again keeps an edited template,
// while one left as shipped follows the template of a newer build.

#include "TestDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

const char* const kTemplates[] = {"yftpl.txt", "kftpl.txt", "ydtpl.txt", "kdtpl.txt"};

std::string Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Write(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A newer build's template: written now, dated hours later than anything the folder holds, as
// a checkout of a newer version would leave it.
void Ship(const char* pszName, const std::string& bytes, int nHoursLater)
{
    const fs::path path = fs::path("shipped") / pszName;
    Write(path, bytes);
    fs::last_write_time(path, fs::file_time_type::clock::now() + std::chrono::hours(nHoursLater));
}

// The build's layout step, with the templates of "shipped/" as the build's own.
void LayOut()
{
    const std::string strCommand = std::string("'") + KELU_CMAKE_COMMAND + "' -DSOURCE_DIR='" + KELU_SOURCE_DIR +
                                   "' -DTEMPLATE_DIR='" + fs::absolute("shipped").string() + "' -DFOLDER='" +
                                   fs::absolute("kelu").string() + "' -P '" + KELU_SOURCE_DIR +
                                   "/cmake/ProgramFolder.cmake' >/dev/null";
    ASSERT_EQ(std::system(strCommand.c_str()), 0) << strCommand;
}

// The project's templates as a build ships them, laid out once.
void LayOutFirst()
{
    fs::create_directory("shipped");
    for (const char* pszName : kTemplates) {
        fs::copy_file(fs::path(KELU_TEMPLATE_DIR) / pszName, fs::path("shipped") / pszName);
        fs::last_write_time(fs::path("shipped") / pszName, fs::file_time_type::clock::now() - std::chrono::hours(3));
    }
    LayOut();
    for (const char* pszName : kTemplates)
        ASSERT_EQ(Read(fs::path("kelu/data") / pszName), Read(fs::path(KELU_TEMPLATE_DIR) / pszName)) << pszName;
}

} // namespace

TEST(ProgramFolderTest, AnEditedTemplateStaysUntilDeletedAndAnUneditedOneFollowsEachNewVersion)
{
    LayOutFirst();
    const fs::path mine = "kelu/data/ydtpl.txt";
    const std::string strEdited = Read(mine) + "TEXT\t10\t10\tmy own note\r\n";
    Write(mine, strEdited);
    // What the program keeps in data/ is never the layout's business.
    Write("kelu/data/favorite.txt", "4321\t\r\n");
    Write("kelu/data/kelu.ini", "[URL]\r\n");

    LayOut();
    EXPECT_EQ(Read(mine), strEdited);
    // A newer build ships another version of both: the edited one stays, the other follows.
    Ship("ydtpl.txt", Read("shipped/ydtpl.txt") + "LINE\t1\t1\t2\t2\r\n", 1);
    const std::string strNew = Read("shipped/kftpl.txt") + "LINE\t1\t1\t2\t2\r\n";
    Ship("kftpl.txt", strNew, 1);
    LayOut();
    EXPECT_EQ(Read(mine), strEdited);
    EXPECT_EQ(Read("kelu/data/kftpl.txt"), strNew);
    EXPECT_EQ(Read("kelu/data/favorite.txt"), "4321\t\r\n");
    EXPECT_EQ(Read("kelu/data/kelu.ini"), "[URL]\r\n");
    // And the next version after that, as long as it stays unedited.
    Ship("kftpl.txt", strNew + "LINE\t3\t3\t4\t4\r\n", 2);
    LayOut();
    EXPECT_EQ(Read("kelu/data/kftpl.txt"), strNew + "LINE\t3\t3\t4\t4\r\n");
    // The others were never edited and never changed: still the project's own.
    for (const char* pszName : {"yftpl.txt", "kdtpl.txt"})
        EXPECT_EQ(Read(fs::path("kelu/data") / pszName), Read(fs::path(KELU_TEMPLATE_DIR) / pszName)) << pszName;

    // Deleted, the shipped one comes back.
    fs::remove(mine);
    LayOut();
    EXPECT_EQ(Read(mine), Read("shipped/ydtpl.txt"));
}
