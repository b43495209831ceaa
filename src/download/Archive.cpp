#include "download/Archive.h"

#include <dlfcn.h>

#include <atomic>
#include <vector>

namespace {

using UnlhaProc = int (*)(void* hwnd, const char* command, char* output, unsigned long size);

// Room for the report of the largest archive the library reads: four members' lines.
constexpr unsigned long kReportSize = 8192;

std::atomic<const char*> g_pszLibrary{kLha32Library};

} // namespace

void SetArchiveLibrary(const char* pszLibrary)
{
    g_pszLibrary = pszLibrary ? pszLibrary : kLha32Library;
}

CExtractResult ExtractArchive(const char* pszCommand, const char* pszLibrary)
{
    CExtractResult result;
    void* pLibrary = dlopen(pszLibrary ? pszLibrary : g_pszLibrary.load(), RTLD_NOW | RTLD_LOCAL);
    if (!pLibrary) {
        result.nCode = kExtractNoLibrary;
        const char* pszWhy = dlerror();
        result.strReport = pszWhy ? pszWhy : "";
        return result;
    }
    auto pfnUnlha = reinterpret_cast<UnlhaProc>(dlsym(pLibrary, "Unlha"));
    if (!pfnUnlha) {
        dlclose(pLibrary);
        result.nCode = kExtractNoEntryPoint;
        return result;
    }
    std::vector<char> report(kReportSize, '\0');
    result.nCode = pfnUnlha(nullptr, pszCommand, report.data(), kReportSize);
    dlclose(pLibrary);
    const std::string text(report.data());
    const size_t nFirstEnd = text.find('\n');
    result.strReport = nFirstEnd == std::string::npos ? std::string() : text.substr(nFirstEnd + 1);
    return result;
}
