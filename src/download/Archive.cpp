#include "download/Archive.h"

#include <dlfcn.h>

namespace {

using UnlhaProc = int (*)(void* hwnd, const char* command, char* output, unsigned long size);

} // namespace

int ExtractArchive(const char* pszCommand, const char* pszLibrary)
{
    void* pLibrary = dlopen(pszLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!pLibrary)
        return kExtractNoLibrary;
    auto pfnUnlha = reinterpret_cast<UnlhaProc>(dlsym(pLibrary, "Unlha"));
    const int nResult = pfnUnlha ? pfnUnlha(nullptr, pszCommand, nullptr, 0) : kExtractNoEntryPoint;
    dlclose(pLibrary);
    return nResult;
}
