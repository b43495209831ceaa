// Unpacks arbitrary archive bytes with the archive library, as the download does: the bytes are
// the work file, the command the one for the programs' folder. Whatever the bytes, only plain
// files under plain names appear in that folder, nothing appears anywhere else, no temporary
// file is left behind, and a day file already there is never lost.

#include "FuzzSupport.h"

#include "Lha32.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kFolder = "data/prog";
constexpr const char* kWorkFile = "temp.lzh";
constexpr const char* kDayFile = "data/prog/B200101.TXT";
const std::string kGoodDay = "STARTB\r\nFINALB\r\n";

std::vector<std::string> Names(const char* pszFolder)
{
    std::vector<std::string> names;
    if (DIR* pDir = opendir(pszFolder)) {
        while (const dirent* pEntry = readdir(pDir)) {
            const std::string name = pEntry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(pDir);
    }
    return names;
}

void Empty(const char* pszFolder)
{
    for (const std::string& name : Names(pszFolder))
        unlink((std::string(pszFolder) + "/" + name).c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv)
{
    fuzz::EnterScratchDir(pArgc, pArgv, "unlha");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    Empty(kFolder);
    fuzz::WriteFile(kDayFile, kGoodDay);
    fuzz::WriteFile(kWorkFile, std::string_view(reinterpret_cast<const char*>(pData), nSize));

    char szOutput[256];
    const int nResult = Unlha(nullptr, "efw=data\\prog temp.lzh", szOutput, sizeof szOutput);
    fuzz::Keep(static_cast<size_t>(nResult));
    if (nResult < LHA32_OK || nResult > LHA32_ERROR_TOO_MANY)
        fuzz::Fail("the result is one of the documented codes", std::to_string(nResult));

    // Nothing beside the folder: the scratch folder holds data/ and the work file only, and
    // data/ its three folders.
    for (const std::string& name : Names("."))
        if (name != "data" && name != kWorkFile)
            fuzz::Fail("nothing is written outside the folder", name);
    for (const std::string& name : Names("data"))
        if (name != "prog" && name != "res")
            fuzz::Fail("nothing is written outside the folder", "data/" + name);
    if (!Names("data/res").empty())
        fuzz::Fail("nothing is written into another folder");
    // In it, plain files only, under names without a control byte; no temporary one left.
    for (const std::string& name : Names(kFolder)) {
        struct stat st {};
        const std::string path = std::string(kFolder) + "/" + name;
        if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            fuzz::Fail("only plain files are written", name);
        if (name.rfind(".lha32-", 0) == 0)
            fuzz::Fail("no temporary file is left behind", name);
        for (unsigned char ch : name)
            if (ch < 0x20 || ch == 0x7F)
                fuzz::Fail("no name holds a control byte", name);
    }
    // A day file is replaced only by a whole member, never removed: it is still there.
    std::string day;
    if (!fuzz::ReadFile(kDayFile, day))
        fuzz::Fail("the day file is not lost");
    if (std::string(szOutput, sizeof szOutput).find('\0') == std::string::npos)
        fuzz::Fail("the description is terminated");
    return 0;
}
