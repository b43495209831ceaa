// Unpacking through liblha32.so, loaded as the download loads it. Every test runs in its own
// empty working directory with data/prog made, as the program's start leaves it.

#include "LzhWriter.h"
#include "TestDir.h"
#include "TestHttpServer.h"
#include "download/Archive.h"
#include "download/lha32/Lha32.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;
using testsupport::ReadBytes;

namespace {

const std::string kLzhDir = std::string(KELU_TEST_DATA_DIR) + "/lzh/";

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories("data/prog"); }

    static void Write(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // Puts a test archive at "temp.lzh" and unpacks it into data/prog.
    static int Unpack(const std::string& archive)
    {
        fs::copy_file(kLzhDir + archive, "temp.lzh", fs::copy_options::overwrite_existing);
        return ExtractArchive("efw=data\\prog temp.lzh").nCode;
    }
    static int UnpackBytes(const std::string& bytes, const char* pszCommand = "efw=data\\prog temp.lzh")
    {
        Write("temp.lzh", bytes);
        return ExtractArchive(pszCommand).nCode;
    }
    static std::set<std::string> Names(const std::string& folder)
    {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            names.insert(e.path().filename().string());
        return names;
    }
};

} // namespace

TEST_F(ArchiveTest, GoodArchivesUnpackByteForByteAndReplaceOlderFiles)
{
    Write("data/prog/B050123.TXT", "an older day file");
    EXPECT_EQ(Unpack("good.lzh"), LHA32_OK);
    EXPECT_EQ(ReadBytes("data/prog/B050123.TXT"), ReadBytes(kLzhDir + "B050123.TXT"));

    // Two members; "/" separates as well as "\", and a missing folder is made.
    fs::copy_file(kLzhDir + "two.lzh", "two.lzh");
    EXPECT_EQ(ExtractArchive("efw=data/res/new two.lzh").nCode, LHA32_OK);
    EXPECT_EQ(Names("data/res/new"), (std::set<std::string>{"B050123.TXT", "K050123.TXT"}));
    EXPECT_EQ(ReadBytes("data/res/new/K050123.TXT"), ReadBytes(kLzhDir + "K050123.TXT"));
    // Nothing but the members is left behind.
    EXPECT_EQ(Names("data/prog"), std::set<std::string>{"B050123.TXT"});
}

TEST_F(ArchiveTest, TheRealPublishedArchivesGiveTheirDayFilesNamesAndCaseKept)
{
    const std::string dir = testsupport::SharedDataDir();
    if (dir.empty())
        GTEST_SKIP() << "the shared day files are not there";
    fs::create_directories("data/res");
    for (const char* day : {"200101", "200105", "200106", "200108"}) {
        for (const auto& [kind, folder] : {std::pair{"b", "prog"}, std::pair{"k", "res"}}) {
            fs::copy_file(dir + "/" + kind + day + ".lzh", "temp.lzh", fs::copy_options::overwrite_existing);
            const std::string command = std::string("efw=data\\") + folder + " temp.lzh";
            ASSERT_EQ(ExtractArchive(command.c_str()).nCode, LHA32_OK) << kind << day;
            const std::string name = std::string(kind[0] == 'b' ? "B" : "K") + day + ".TXT";
            EXPECT_EQ(ReadBytes("data/" + std::string(folder) + "/" + name), ReadBytes(dir + "/" + name)) << name;
        }
    }
}

TEST_F(ArchiveTest, DamagedArchivesNeverReplaceAGoodFile)
{
    const std::pair<const char*, int> cases[] = {
        {"corrupt.lzh", LHA32_ERROR_DATA},     // a flipped data byte: the CRC does not check out
        {"truncated.lzh", LHA32_ERROR_DATA},   // cut in the middle of the data
        {"notarchive.lzh", LHA32_ERROR_FORMAT},
        {"empty.lzh", LHA32_ERROR_FORMAT},
    };
    for (const auto& [archive, nCode] : cases) {
        Write("data/prog/B050123.TXT", "the good day file");
        EXPECT_EQ(Unpack(archive), nCode) << archive;
        EXPECT_EQ(ReadBytes("data/prog/B050123.TXT"), "the good day file") << archive;
        EXPECT_EQ(Names("data/prog"), std::set<std::string>{"B050123.TXT"}) << archive;
    }
    // A damaged member does not keep a sound one after it from being unpacked.
    std::string data(300, 'x');
    std::string damaged = lzhtest::StoredArchive({{"A.TXT", data}, {"B.TXT", "sound"}});
    damaged[24 + 5 + 100] ^= 0x01; // a byte of A.TXT's data
    EXPECT_EQ(UnpackBytes(damaged), LHA32_ERROR_DATA);
    EXPECT_FALSE(fs::exists("data/prog/A.TXT"));
    EXPECT_EQ(ReadBytes("data/prog/B.TXT"), "sound");
}

TEST_F(ArchiveTest, StoredPathsAndUnsafeNamesAreNeverWritten)
{
    // "../evil.TXT" and "sub/B050123.TXT": a name that holds a folder is passed over.
    EXPECT_EQ(Unpack("evil.lzh"), LHA32_ERROR_SKIPPED);
    EXPECT_EQ(Unpack("folder.lzh"), LHA32_ERROR_SKIPPED);
    EXPECT_TRUE(Names("data/prog").empty());
    EXPECT_FALSE(fs::exists("data/evil.TXT"));

    const std::string archive = lzhtest::StoredArchive({
        {"..", "dots"},
        {".", "dot"},
        {"sub\\", "empty base name"},
        {"bell\x07.TXT", "control byte"},
    });
    const std::string paths = lzhtest::StoredArchive({
        {"..\\..\\back.TXT", "back"},
        {"/tmp/abs.TXT", "absolute"},
        // "/" is never the second byte of a double-byte character: after a lead byte it still
        // separates folders.
        {"\x83/B050123.TXT", "a path behind a lead byte"},
    });
    EXPECT_EQ(UnpackBytes(archive), LHA32_ERROR_SKIPPED);
    EXPECT_EQ(UnpackBytes(paths), LHA32_ERROR_SKIPPED);
    EXPECT_TRUE(Names("data/prog").empty());
    EXPECT_FALSE(fs::exists("back.TXT"));
    // What was passed over is told, a line a member, control bytes shown as "?".
    Write("temp.lzh", archive);
    const CExtractResult result = ExtractArchive("efw=data\\prog temp.lzh");
    EXPECT_EQ(result.strReport, "skipped\t..\tunsafe name\nskipped\t.\tunsafe name\nskipped\tsub/\tunsafe name\n"
                                "skipped\tbell?.TXT\tunsafe name\n");
}

TEST_F(ArchiveTest, OnlyTheMembersNamedAreUnpackedUnderTheNamesGiven)
{
    Write("data/prog/B050122.TXT", "the good 22nd");
    const std::string archive =
        lzhtest::StoredArchive({{"B050122.TXT", "garbage"}, {"b050123.txt", "the 23rd"}, {"K050123.TXT", "result"}});
    Write("temp.lzh", archive);
    CExtractResult result = ExtractArchive("efw=data\\prog temp.lzh B050123.TXT");
    EXPECT_EQ(result.nCode, LHA32_OK);
    EXPECT_EQ(Names("data/prog"), (std::set<std::string>{"B050122.TXT", "B050123.TXT"}));
    EXPECT_EQ(ReadBytes("data/prog/B050122.TXT"), "the good 22nd");
    EXPECT_EQ(ReadBytes("data/prog/B050123.TXT"), "the 23rd");
    EXPECT_EQ(result.strReport, "skipped\tB050122.TXT\tnot asked\nskipped\tK050123.TXT\tnot asked\n");

    result = ExtractArchive("efw=data\\prog temp.lzh B050124.TXT");
    EXPECT_EQ(result.nCode, LHA32_ERROR_MISSING);
    EXPECT_EQ(result.strReport.substr(result.strReport.rfind("missing")), "missing\tB050124.TXT\t\n");
    EXPECT_FALSE(fs::exists("data/prog/B050124.TXT"));
}

TEST_F(ArchiveTest, ALinkAtAMembersNameIsReplacedNotWrittenThrough)
{
    Write("outside.txt", "outside");
    fs::create_symlink("../../outside.txt", "data/prog/B050123.TXT");
    EXPECT_EQ(Unpack("good.lzh"), LHA32_OK);
    EXPECT_EQ(ReadBytes("outside.txt"), "outside");
    EXPECT_FALSE(fs::is_symlink("data/prog/B050123.TXT"));
    EXPECT_EQ(ReadBytes("data/prog/B050123.TXT"), ReadBytes(kLzhDir + "B050123.TXT"));
}

TEST_F(ArchiveTest, MembersBeyondTheCountAndOversizedMembersAreNotWritten)
{
    std::vector<lzhtest::Member> many;
    for (int i = 1; i <= LHA32_MAX_MEMBERS + 1; ++i)
        many.push_back({"M" + std::to_string(i) + ".TXT", "x"});
    EXPECT_EQ(UnpackBytes(lzhtest::StoredArchive(many)), LHA32_ERROR_TOO_MANY);
    EXPECT_EQ(Names("data/prog").size(), static_cast<size_t>(LHA32_MAX_MEMBERS));
    EXPECT_TRUE(fs::exists("data/prog/M4.TXT"));
    EXPECT_FALSE(fs::exists("data/prog/M5.TXT"));

    fs::remove_all("data/prog");
    fs::create_directories("data/prog");
    const std::string huge = lzhtest::StoredArchive({{"HUGE.TXT", "small", LHA32_MAX_MEMBER_SIZE + 1}});
    EXPECT_NE(UnpackBytes(huge), LHA32_OK);
    EXPECT_TRUE(Names("data/prog").empty());
}

TEST_F(ArchiveTest, CommandsAndLibraryFaultsAreCodesNotCrashes)
{
    fs::copy_file(kLzhDir + "good.lzh", "temp.lzh");
    for (const char* command : {"", "l temp.lzh", "ezw=data\\prog temp.lzh", "efw=data\\prog", "efw= temp.lzh",
                                "efw=data\\prog temp.lzh sub/B050123.TXT", "efw=data\\prog temp.lzh ..\\B050123.TXT"})
        EXPECT_EQ(ExtractArchive(command).nCode, LHA32_ERROR_COMMAND) << command;
    EXPECT_EQ(ExtractArchive(nullptr).nCode, LHA32_ERROR_COMMAND);
    EXPECT_EQ(ExtractArchive("efw=data\\prog missing.lzh").nCode, LHA32_ERROR_OPEN);
    Write("data/file", "");
    EXPECT_EQ(ExtractArchive("efw=data\\file temp.lzh").nCode, LHA32_ERROR_FOLDER);
    // Without "w=" the working directory; a quoted name may hold blanks.
    fs::copy_file("temp.lzh", "my temp.lzh");
    EXPECT_EQ(ExtractArchive("e \"my temp.lzh\"").nCode, LHA32_OK);
    EXPECT_TRUE(fs::exists("B050123.TXT"));

    EXPECT_EQ(ExtractArchive("efw=data\\prog temp.lzh", "liblha32-missing.so").nCode, kExtractNoLibrary);
    EXPECT_EQ(ExtractArchive("efw=data\\prog temp.lzh", "libc.so.6").nCode, kExtractNoEntryPoint);
    EXPECT_FALSE(fs::exists("data/prog/B050123.TXT"));

    // The description goes into the caller's buffer, cut to fit.
    void* pLibrary = dlopen(kLha32Library, RTLD_NOW);
    ASSERT_NE(pLibrary, nullptr);
    auto pfnUnlha = reinterpret_cast<int (*)(void*, const char*, char*, unsigned long)>(dlsym(pLibrary, "Unlha"));
    char szOut[8];
    EXPECT_EQ(pfnUnlha(nullptr, "efw=data\\prog temp.lzh", szOut, sizeof szOut), LHA32_OK);
    EXPECT_STREQ(szOut, "unpacke");
    dlclose(pLibrary);
}
