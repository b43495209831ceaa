#include "platform/TextFile.h"

#include <filesystem>
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

} // namespace

TEST(CTextFileTest, ReadsLinesWithoutTheirEndsAndWritesCrLf)
{
    {
        std::ofstream out("in.txt", std::ios::binary);
        out << "one\r\ntwo\n\r\nlast";
    }
    CTextFile file;
    ASSERT_TRUE(file.Open("in.txt", CTextFile::modeRead));
    CString line;
    std::vector<std::string> lines;
    while (file.ReadString(line))
        lines.push_back(line.Str());
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "last"}));

    CTextFile outFile;
    ASSERT_TRUE(outFile.Open("out.txt", CTextFile::modeWrite));
    outFile.WriteString("a\nb");
    outFile.WriteLine("c");
    outFile.Close();
    EXPECT_EQ(ReadAll("out.txt"), "a\r\nbc\r\n");
}

TEST(CTextFileTest, KeepsBytesAfterANulInsideALine)
{
    {
        std::ofstream out("nul.txt", std::ios::binary);
        out << std::string("ab\0cd\r\n", 7);
    }
    CTextFile file;
    ASSERT_TRUE(file.Open("nul.txt", CTextFile::modeRead));
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line.GetLength(), 5);
    EXPECT_FALSE(file.ReadString(line));
}

TEST(CTextFileTest, MissingFileAndMissingFolderFailToOpen)
{
    CTextFile file;
    EXPECT_FALSE(file.Open("none.txt", CTextFile::modeRead));
    EXPECT_FALSE(file.Open("nofolder/x.txt", CTextFile::modeWrite));
    CString line;
    EXPECT_FALSE(file.ReadString(line));
}

TEST(CTextFileTest, DiskPathTurnsWindowsPathsIntoRelativeOnes)
{
    EXPECT_EQ(DiskPath(".\\data\\kelu.ini"), "data/kelu.ini");
    EXPECT_EQ(DiskPath("data\\kftpl.txt"), "data/kftpl.txt");
    EXPECT_EQ(DiskPath("data/favorite.txt"), "data/favorite.txt");
}

TEST(CTextFileTest, AtomicReplaceLeavesTheOldFileWhenItCannotWrite)
{
    ASSERT_TRUE(ReplaceFileAtomically("list.txt", "old\r\n"));
    EXPECT_EQ(ReadAll("list.txt"), "old\r\n");
    ASSERT_TRUE(ReplaceFileAtomically("list.txt", "new\r\n"));
    EXPECT_EQ(ReadAll("list.txt"), "new\r\n");
    EXPECT_FALSE(ReplaceFileAtomically("nofolder/list.txt", "x"));
}

TEST(CTextFileTest, AtomicReplaceKeepsTheRightsOfTheFileItReplaces)
{
    auto mode = [](const char* path) {
        struct stat st {};
        stat(path, &st);
        return st.st_mode & 07777;
    };
    // A new file follows the umask, as any file the user makes.
    const mode_t oldMask = umask(027);
    ASSERT_TRUE(ReplaceFileAtomically("new.txt", "a\r\n"));
    EXPECT_EQ(mode("new.txt"), 0640u);
    umask(oldMask);

    // A list the user made private, or opened to the group, keeps its rights when replaced.
    for (mode_t rights : {mode_t(0600), mode_t(0664), mode_t(0604)}) {
        ASSERT_TRUE(ReplaceFileAtomically("list.txt", "old\r\n"));
        ASSERT_EQ(chmod("list.txt", rights), 0);
        ASSERT_TRUE(ReplaceFileAtomically("list.txt", "new\r\n"));
        EXPECT_EQ(mode("list.txt"), rights);
        EXPECT_EQ(ReadAll("list.txt"), "new\r\n");
    }
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 2);
}
