#include "app/Startup.h"

#include "platform/Sjis.h"
#include "platform/TextFile.h"

#include <sys/stat.h>

CProfile OpenKeluProfile()
{
    return CProfile(DiskPath(kProfilePath));
}

CString ReadAssenUrl(const CProfile& profile)
{
    CString url = profile.GetProfileString("URL", "ASSEN", "");
    if (url.IsEmpty()) {
        url = kDefaultAssenUrl;
        profile.WriteProfileString("URL", "ASSEN", url.GetString());
    }
    return url;
}

void CreateDataDirectories()
{
    for (const char* dir : {"data", "data/prog", "data/res"})
        mkdir(dir, 0755);
}

CString ExpandAssenUrl(const CString& strFormat, int nRegNo)
{
    const std::string& in = strFormat.Str();
    std::string out;
    bool bNumberDone = false;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '%' && i + 1 < in.size()) {
            if (in[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (in[i + 1] == 'd' && !bNumberDone) {
                out += std::to_string(nRegNo);
                bNumberDone = true;
                ++i;
                continue;
            }
        }
        out += in[i];
    }
    return CString(std::move(out));
}

bool CheckAssenUrl(const CString& strFormat, CString* pstrWhy)
{
    const std::string& s = strFormat.Str();
    int nNumbers = 0;
    bool bOther = false;
    for (size_t i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != '%')
            continue;
        if (s[i + 1] == 'd')
            ++nNumbers;
        else if (s[i + 1] != '%')
            bOther = true;
        ++i;
    }
    const bool bWeb = s.rfind("http://", 0) == 0 || s.rfind("https://", 0) == 0;
    const char* pszWhy = nullptr;
    if (!bWeb)
        pszWhy = "あっせん予定のページのアドレスは http:// か https:// で始めてください。";
    else if (nNumbers != 1 || bOther)
        pszWhy = "あっせん予定のページのアドレスには、登録番号の入る所に %d を一つだけ書いてください（% は %% と書きます）。";
    if (pszWhy && pstrWhy)
        *pstrWhy = Sjis(pszWhy);
    return pszWhy == nullptr;
}
