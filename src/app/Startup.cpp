#include "app/Startup.h"

#include "platform/Sjis.h"
#include "platform/TextFile.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

namespace {

// The digits at the start of text, as a process number; 0 when there are none.
long LeadingProcess(const std::string& text, size_t& nEnd)
{
    nEnd = 0;
    long nPid = 0;
    while (nEnd < text.size() && text[nEnd] >= '0' && text[nEnd] <= '9' && nEnd < 10)
        nPid = nPid * 10 + (text[nEnd++] - '0');
    return nEnd > 0 ? nPid : 0;
}

bool StartsWith(const std::string& text, const char* pszStart)
{
    return text.rfind(pszStart, 0) == 0;
}

bool IsProcessGone(long nPid)
{
    return kill(static_cast<pid_t>(nPid), 0) != 0 && errno == ESRCH;
}

} // namespace

long WorkFileProcess(const std::string& name)
{
    size_t nEnd = 0;
    for (const char* pszStart : {"temp-", "period-", ".lha32-"}) {
        if (!StartsWith(name, pszStart))
            continue;
        const std::string rest = name.substr(std::strlen(pszStart));
        const long nPid = LeadingProcess(rest, nEnd);
        if (nPid == 0)
            return 0;
        const std::string tail = rest.substr(nEnd);
        if (std::strcmp(pszStart, "temp-") == 0)
            return tail == ".lzh" ? nPid : 0;
        return StartsWith(tail, "-") ? nPid : 0;
    }
    const size_t nTmp = name.rfind(".tmp");
    if (nTmp == std::string::npos || nTmp == 0)
        return 0;
    const std::string rest = name.substr(nTmp + 4);
    const long nPid = LeadingProcess(rest, nEnd);
    if (nPid == 0 || nEnd >= rest.size() || rest[nEnd] != '-')
        return 0;
    const std::string counter = rest.substr(nEnd + 1);
    const bool bCounter = !counter.empty() && counter.find_first_not_of("0123456789") == std::string::npos;
    return bCounter ? nPid : 0;
}

int RemoveLeftWorkFiles()
{
    int nRemoved = 0;
    for (const char* pszFolder : {".", "data", "data/prog", "data/res"}) {
        DIR* pDir = opendir(pszFolder);
        if (!pDir)
            continue;
        while (const dirent* pEntry = readdir(pDir)) {
            const long nPid = WorkFileProcess(pEntry->d_name);
            if (nPid <= 0 || nPid == getpid() || !IsProcessGone(nPid))
                continue;
            const std::string path = std::string(pszFolder) + "/" + pEntry->d_name;
            struct stat st{};
            if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && unlink(path.c_str()) == 0)
                ++nRemoved;
        }
        closedir(pDir);
    }
    return nRemoved;
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
