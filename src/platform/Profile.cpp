#include "platform/Profile.h"

#include "platform/Number.h"
#include "platform/TextFile.h"

#include <optional>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace {

// The lines of the file; none when it is missing. pbUnreadable is set when the file exists
// but cannot be read, so that a write never replaces a file it could not see.
std::vector<CString> ReadLines(const CString& strPath, bool* pbUnreadable = nullptr)
{
    std::vector<CString> lines;
    CTextFile file;
    if (file.Open(strPath.GetString(), CTextFile::modeRead)) {
        CString line;
        while (file.ReadString(line))
            lines.push_back(line);
    } else if (pbUnreadable) {
        *pbUnreadable = access(strPath.GetString(), F_OK) == 0;
    }
    return lines;
}

bool SameName(const CString& a, const char* b)
{
    return strcasecmp(a.GetString(), b) == 0;
}

// The section name of a "[name]" line.
std::optional<CString> SectionOf(CString line)
{
    line.Trim();
    if (line.GetLength() < 2 || line[0] != '[')
        return std::nullopt;
    const int close = line.Find(']');
    if (close < 0)
        return std::nullopt;
    return line.Mid(1, close - 1).Trim();
}

// The key of a "key=value" line; the value goes to pValue.
std::optional<CString> KeyOf(const CString& line, CString* pValue = nullptr)
{
    const int eq = line.Find('=');
    if (eq < 0)
        return std::nullopt;
    if (pValue)
        *pValue = line.Mid(eq + 1).Trim();
    return line.Left(eq).Trim();
}

} // namespace

CString CProfile::GetProfileString(const char* pszSection, const char* pszKey, const char* pszDefault) const
{
    bool bInSection = false;
    for (const CString& line : ReadLines(m_strPath)) {
        if (auto section = SectionOf(line)) {
            bInSection = SameName(*section, pszSection);
            continue;
        }
        CString value;
        auto key = KeyOf(line, &value);
        if (bInSection && key && SameName(*key, pszKey))
            return value;
    }
    return CString(pszDefault);
}

int CProfile::GetProfileInt(const char* pszSection, const char* pszKey, int nDefault) const
{
    const CString value = GetProfileString(pszSection, pszKey, "");
    return value.IsEmpty() ? nDefault : AtoI(value);
}

bool CProfile::WriteProfileString(const char* pszSection, const char* pszKey, const char* pszValue) const
{
    bool bUnreadable = false;
    std::vector<CString> lines = ReadLines(m_strPath, &bUnreadable);
    if (bUnreadable)
        return false;
    const CString entry = CString(pszKey) + "=" + CString(pszValue);

    bool bInSection = false;
    std::optional<size_t> insertAt; // after the last non-blank line of the section
    bool bDone = false;
    for (size_t i = 0; i < lines.size() && !bDone; ++i) {
        if (auto section = SectionOf(lines[i])) {
            if (bInSection)
                break;
            bInSection = SameName(*section, pszSection);
            if (bInSection)
                insertAt = i + 1;
            continue;
        }
        if (!bInSection)
            continue;
        auto key = KeyOf(lines[i]);
        if (key && SameName(*key, pszKey)) {
            lines[i] = entry;
            bDone = true;
        } else if (!CString(lines[i]).Trim().IsEmpty()) {
            insertAt = i + 1;
        }
    }
    if (!bDone) {
        if (insertAt) {
            lines.insert(lines.begin() + static_cast<long>(*insertAt), entry);
        } else {
            lines.push_back(CString("[") + pszSection + "]");
            lines.push_back(entry);
        }
    }

    std::string contents;
    for (const CString& line : lines)
        contents += line.Str() + "\r\n";
    return ReplaceFileAtomically(m_strPath, contents);
}
