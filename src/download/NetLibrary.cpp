#include "download/NetLibrary.h"

#include "platform/Plugin.h"

#include <dlfcn.h>

const CKeluNet* LoadKeluNet(CString* pstrError)
{
    static std::string s_strError;
    static const CKeluNet* const s_pNet = [] {
        void* pHandle = OpenBesideProgram(kNetLibrary, &s_strError);
        if (!pHandle)
            return static_cast<const CKeluNet*>(nullptr);
        auto pfnEntry = reinterpret_cast<decltype(&KeluNetEntry)>(dlsym(pHandle, "KeluNetEntry"));
        if (!pfnEntry) {
            s_strError = std::string(kNetLibrary) + ": KeluNetEntry";
            return static_cast<const CKeluNet*>(nullptr);
        }
        return pfnEntry();
    }();
    if (!s_pNet && pstrError)
        *pstrError = CString(s_strError);
    return s_pNet;
}
