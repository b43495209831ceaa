#include "platform/Plugin.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

namespace {

std::string ProgramFolder()
{
    char sz[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", sz, sizeof sz - 1);
    if (n <= 0)
        return std::string();
    const std::string path(sz, static_cast<size_t>(n));
    const size_t nSlash = path.rfind('/');
    return nSlash == std::string::npos ? std::string() : path.substr(0, nSlash);
}

} // namespace

void* OpenBesideProgram(const char* pszLibrary, std::string* pstrError)
{
    const std::string folder = ProgramFolder();
    void* pHandle = folder.empty() ? nullptr : dlopen((folder + "/" + pszLibrary).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!pHandle)
        pHandle = dlopen(pszLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!pHandle && pstrError) {
        const char* pszWhy = dlerror();
        *pstrError = pszWhy ? pszWhy : pszLibrary;
    }
    return pHandle;
}
