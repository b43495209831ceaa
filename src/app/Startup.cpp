#include "app/Startup.h"

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
