#include "FuzzSupport.h"

#include "DayFixture.h"
#include "SpecialRaces.h"
#include "model/KeluDoc.h"
#include "platform/Time.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ftw.h>
#include <limits.h>
#include <string>
#include <sys/stat.h>
#include <vector>
#include <unistd.h>

namespace fuzz {

namespace {

std::string g_strScratch;

int RemoveEntry(const char* pszPath, const struct stat*, int, struct FTW*)
{
    std::remove(pszPath);
    return 0;
}

void RemoveScratch()
{
    if (!g_strScratch.empty())
        nftw(g_strScratch.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

const CTime& FuzzDay()
{
    static const CTime day(2020, 1, 1, 0, 0, 0);
    return day;
}

} // namespace

void EnterScratchDir(int* pArgc, char*** pArgv, const char* pszName)
{
    for (int i = 1; pArgc && pArgv && i < *pArgc; ++i) {
        char* pszArg = (*pArgv)[i];
        char szFull[PATH_MAX];
        if (pszArg[0] != '-' && pszArg[0] != '/' && realpath(pszArg, szFull))
            (*pArgv)[i] = strdup(szFull); // lives as long as the process
    }
    const char* pszTmp = std::getenv("TMPDIR");
    std::string strTemplate = std::string(pszTmp && *pszTmp ? pszTmp : "/tmp") + "/kelu-fuzz-" + pszName + "-XXXXXX";
    if (!mkdtemp(strTemplate.data()))
        Fail("a scratch folder can be made", strTemplate);
    g_strScratch = strTemplate;
    std::atexit(RemoveScratch);
    if (chdir(g_strScratch.c_str()) != 0)
        Fail("the scratch folder can be entered", g_strScratch);
    mkdir("data", 0755);
    mkdir("data/prog", 0755);
    mkdir("data/res", 0755);
}

void WriteFile(const char* pszPath, std::string_view bytes)
{
    std::FILE* pFile = std::fopen(pszPath, "wb");
    if (!pFile)
        Fail("a scratch file can be written", pszPath);
    const bool bOk = std::fwrite(bytes.data(), 1, bytes.size(), pFile) == bytes.size();
    if (std::fclose(pFile) != 0 || !bOk)
        Fail("a scratch file can be written", pszPath);
}

bool ReadFile(const char* pszPath, std::string& rBytes)
{
    rBytes.clear();
    std::FILE* pFile = std::fopen(pszPath, "rb");
    if (!pFile)
        return false;
    char buffer[16384];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pFile)) > 0)
        rBytes.append(buffer, n);
    std::fclose(pFile);
    return true;
}

bool FileExists(const char* pszPath)
{
    return access(pszPath, F_OK) == 0;
}

void Keep(size_t n)
{
    static volatile size_t s_nKept;
    s_nKept = s_nKept + n;
}

void Fail(const char* pszRule, const std::string& strDetail)
{
    std::fprintf(stderr, "kelu fuzz: broken rule: %s%s%s\n", pszRule, strDetail.empty() ? "" : ": ",
                 strDetail.c_str());
    std::abort();
}

CDayInput SplitDay(const uint8_t* pData, size_t nSize)
{
    const std::string_view all(reinterpret_cast<const char*>(pData), nSize);
    const size_t nAt = all.find(kResultSeparator);
    if (nAt == std::string_view::npos)
        return {all, std::string_view()};
    return {all.substr(0, nAt), all.substr(nAt + kResultSeparator.size())};
}

std::string JoinDay(std::string_view program, std::string_view result)
{
    std::string s(program);
    s += kResultSeparator;
    s += result;
    return s;
}

void WriteDayFiles(std::string_view program, std::string_view result)
{
    WriteFile(CKeluDoc::ProgramFileName(FuzzDay()).GetString(), program);
    WriteFile(CKeluDoc::ResultFileName(FuzzDay()).GetString(), result);
}

bool LoadFuzzDay(CKeluDoc& doc)
{
    return doc.LoadDay(FuzzDay());
}

CKeluDoc* LoadFixedDay(bool bReal)
{
    std::string program;
    std::string result;
    const std::string strShared = KELU_SHARED_DATA_DIR;
    if (!bReal || !ReadFile((strShared + "/B200105.TXT").c_str(), program) ||
        !ReadFile((strShared + "/K200105.TXT").c_str(), result)) {
        fixture::WriteSpecialDay(FuzzDay(), 12);
        ReadFile(CKeluDoc::ProgramFileName(FuzzDay()).GetString(), program);
        ReadFile(CKeluDoc::ResultFileName(FuzzDay()).GetString(), result);
        std::vector<fixture::ProgramRace> races;
        std::vector<fixture::ResultRace> results;
        for (int r = 1; r < CKeluDoc::kRaces; ++r) {
            races.push_back({.race = r});
            results.push_back({.race = r});
        }
        // Both files may hold more than one STARTB..FINALB run: only the venue markers count.
        program = fixture::ProgramFile({{.venue = 3, .races = races}}) + program;
        result = fixture::ResultFile({{.venue = 3, .races = results}}) + result;
    }
    WriteDayFiles(program, result);
    auto* pDoc = new CKeluDoc;
    if (!LoadFuzzDay(*pDoc))
        Fail("the fixed day loads");
    return pDoc;
}

} // namespace fuzz

// The scratch folder needs no durability, and a flush to the disk for every input would make
// the targets that write files many times slower: the program's own calls land here.
extern "C" int fsync(int)
{
    return 0;
}
