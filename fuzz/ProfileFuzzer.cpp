// Reads the settings the program reads from an arbitrary settings file, writes one, and reads
// everything back: the key written has its new value and every other setting its old one.

#include "FuzzSupport.h"

#include "app/Startup.h"
#include "platform/Profile.h"

#include <string>

namespace {

struct CKey {
    const char* pszSection;
    const char* pszKey;
};
const CKey kKeys[] = {{"URL", "ASSEN"}, {"Settings", "PreviewPages"}, {"settings", "previewpages"}, {"", ""}, {"URL", ""}};

CString ReadKey(const CProfile& profile, const CKey& key)
{
    return profile.GetProfileString(key.pszSection, key.pszKey, "\x01missing");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv)
{
    fuzz::EnterScratchDir(pArgc, pArgv, "profile");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    fuzz::WriteFile("data/kelu.ini", std::string_view(reinterpret_cast<const char*>(pData), nSize));
    const CProfile profile = OpenKeluProfile();
    fuzz::Keep(static_cast<size_t>(profile.GetProfileInt("Settings", "PreviewPages", 0)));
    // The start-up reads the address and writes the default back when it is missing.
    const CString strUrl = ReadAssenUrl(profile);
    fuzz::Keep(ExpandAssenUrl(strUrl, 4321).Str().size());
    if (profile.GetProfileString("URL", "ASSEN").IsEmpty())
        fuzz::Fail("the schedule address is there after start-up");

    CString before[std::size(kKeys)];
    for (size_t i = 0; i < std::size(kKeys); ++i)
        before[i] = ReadKey(profile, kKeys[i]);
    if (!profile.WriteProfileString("Settings", "PreviewPages", "3"))
        fuzz::Fail("a setting can be written");
    if (profile.GetProfileInt("Settings", "PreviewPages", 0) != 3)
        fuzz::Fail("a setting written reads back");
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        const bool bWritten = i == 1 || i == 2;
        if (!bWritten && ReadKey(profile, kKeys[i]) != before[i])
            fuzz::Fail("writing one setting keeps the others", kKeys[i].pszSection + std::string("/") + kKeys[i].pszKey);
    }
    return 0;
}
