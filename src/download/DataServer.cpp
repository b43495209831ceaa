#include "download/DataServer.h"

#include "platform/Sjis.h"

#include <cctype>

namespace {

// The folder of the server's archives, which some write at the end of the address.
constexpr const char* kArchiveRoot = "/od2";

// "scheme://host[:port][/path]" in its parts, the trailing slashes gone; false when the port is
// not digits.
bool SplitServer(const std::string& address, std::string& host, std::string& scheme, std::string& path)
{
    std::string rest = address;
    const size_t nScheme = rest.find("://");
    scheme = nScheme == std::string::npos ? "http" : rest.substr(0, nScheme);
    if (nScheme != std::string::npos)
        rest = rest.substr(nScheme + 3);
    while (!rest.empty() && rest.back() == '/')
        rest.pop_back();
    const size_t nSlash = rest.find('/');
    path = nSlash == std::string::npos ? std::string() : rest.substr(nSlash);
    rest = rest.substr(0, nSlash);
    const size_t nColon = rest.rfind(':');
    host = rest.substr(0, nColon);
    if (nColon != std::string::npos) {
        const std::string port = rest.substr(nColon + 1);
        if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
            return false;
    }
    return true;
}

bool IsHostName(const std::string& host)
{
    if (host.empty())
        return false;
    for (unsigned char ch : host)
        if (!std::isalnum(ch) && ch != '.' && ch != '-' && ch != '_')
            return false;
    return true;
}

bool EndsWith(const std::string& s, const std::string& end)
{
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

} // namespace

CString ArchivePath(char chKind, const CTime& day)
{
    const int y = day.GetYear();
    const int m = day.GetMonth();
    const char chLower = static_cast<char>(chKind - 'A' + 'a');
    return CString::Formatted("/od2/%c/%04d%02d/%c%02d%02d%02d.lzh", chKind, y, m, chLower, y % 100, m, day.GetDay());
}

CString ReadDataServer(const CProfile& profile)
{
    CString strServer = profile.GetProfileString("URL", "DATA", "");
    return strServer.IsEmpty() ? CString(kDefaultDataServer) : NormalizeDataServer(strServer);
}

CString NormalizeDataServer(const CString& strServer)
{
    CString strTrimmed = strServer;
    strTrimmed.Trim();
    std::string address = strTrimmed.Str();
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    // The archives' paths begin with the folder themselves.
    std::string host, scheme, path;
    if (SplitServer(address, host, scheme, path) && path == kArchiveRoot)
        address.resize(address.size() - path.size());
    return CString(address.c_str());
}

bool IsPlaceholderServer(const CString& strServer)
{
    CString strTrimmed = strServer;
    strTrimmed.Trim();
    std::string host, scheme, path;
    SplitServer(strTrimmed.Str(), host, scheme, path);
    for (char& ch : host)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return strTrimmed.IsEmpty() || host == "invalid" || EndsWith(host, ".invalid");
}

bool CheckDataServer(const CString& strServer, CString* pstrWhy)
{
    CString strTrimmed = strServer;
    strTrimmed.Trim();
    std::string host, scheme, path;
    std::string why;
    if (strTrimmed.IsEmpty())
        why = "データのサーバーのアドレスを入力してください。";
    else if (!SplitServer(strTrimmed.Str(), host, scheme, path))
        why = "ポート番号は数字で書いてください（例: http://your.data.host:8080）。";
    else if (scheme != "http" && scheme != "https")
        why = "アドレスは http:// か https:// で始めてください。";
    else if (!path.empty() && path != kArchiveRoot)
        why = "アドレスにはサーバーの名前（とポート番号）まで、または /od2 までを書いてください。" + SjisToUtf8(path) +
              " のようなパスは要りません（例: http://your.data.host:8080/od2）。";
    else if (!IsHostName(host))
        why = "サーバーの名前が正しくありません。";
    if (!why.empty() && pstrWhy)
        *pstrWhy = CString(Utf8ToSjis(why).c_str());
    return why.empty();
}
