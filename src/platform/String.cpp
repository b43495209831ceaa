#include "platform/String.h"

#include "platform/Number.h"

#include <cstring>
#include <vector>

namespace {

bool IsAsciiSpace(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\v' || ch == '\f';
}

// Calls fn(pos) for every character start from 0 on; fn returns false to stop.
template <typename Fn>
void ForEachCharStart(const std::string& s, Fn fn)
{
    size_t i = 0;
    while (i < s.size()) {
        if (!fn(i))
            return;
        i += (CString::IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
    }
}

} // namespace

CString::CString(const char* pch, int nLength)
{
    if (pch && nLength > 0)
        m_str.assign(pch, static_cast<size_t>(nLength));
}

char CString::GetAt(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetLength())
        return 0;
    return m_str[static_cast<size_t>(nIndex)];
}

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nCount <= 0 || nFirst >= GetLength())
        return CString();
    return CString(m_str.substr(static_cast<size_t>(nFirst), static_cast<size_t>(nCount)));
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, GetLength());
}

CString CString::Left(int nCount) const
{
    return Mid(0, nCount);
}

CString CString::Right(int nCount) const
{
    if (nCount <= 0)
        return CString();
    if (nCount >= GetLength())
        return *this;
    return CString(m_str.substr(m_str.size() - static_cast<size_t>(nCount)));
}

int CString::Find(const char* pszSub, int nStart) const
{
    if (!pszSub)
        return -1;
    const size_t nSub = std::strlen(pszSub);
    if (nStart < 0)
        nStart = 0;
    int found = -1;
    ForEachCharStart(m_str, [&](size_t i) {
        if (i < static_cast<size_t>(nStart))
            return true;
        if (i + nSub > m_str.size())
            return false;
        if (m_str.compare(i, nSub, pszSub) == 0) {
            found = static_cast<int>(i);
            return false;
        }
        return true;
    });
    return found;
}

int CString::Find(char ch, int nStart) const
{
    const char sz[2] = {ch, 0};
    return ch ? Find(sz, nStart) : -1;
}

int CString::Replace(const char* pszOld, const char* pszNew)
{
    if (!pszOld || !*pszOld)
        return 0;
    const size_t nOld = std::strlen(pszOld);
    std::string out;
    int nCount = 0;
    size_t copied = 0;
    ForEachCharStart(m_str, [&](size_t i) {
        if (i < copied)
            return true;
        if (i + nOld > m_str.size())
            return false;
        if (m_str.compare(i, nOld, pszOld) == 0) {
            out.append(m_str, copied, i - copied);
            out += pszNew ? pszNew : "";
            copied = i + nOld;
            ++nCount;
        }
        return true;
    });
    if (nCount) {
        out.append(m_str, copied, std::string::npos);
        m_str = std::move(out);
    }
    return nCount;
}

int CString::Replace(char chOld, char chNew)
{
    const char szOld[2] = {chOld, 0};
    const char szNew[2] = {chNew, 0};
    return chOld ? Replace(szOld, szNew) : 0;
}

std::string_view TrimmedLeft(std::string_view s)
{
    while (!s.empty() && IsAsciiSpace(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view TrimmedRight(std::string_view s)
{
    while (!s.empty() && IsAsciiSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view Trimmed(std::string_view s)
{
    return TrimmedLeft(TrimmedRight(s));
}

CString& CString::TrimLeft()
{
    m_str.erase(0, m_str.size() - TrimmedLeft(m_str).size());
    return *this;
}

CString& CString::TrimRight()
{
    m_str.resize(TrimmedRight(m_str).size());
    return *this;
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString& CString::MakeUpper()
{
    ForEachCharStart(m_str, [&](size_t i) {
        char& ch = m_str[i];
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
        return true;
    });
    return *this;
}

void CString::FormatV(const char* pszFormat, va_list args)
{
    CLocaleScope cLocale;
    va_list copy;
    va_copy(copy, args);
    char buf[256];
    const int n = std::vsnprintf(buf, sizeof buf, pszFormat, copy);
    va_end(copy);
    if (n < 0) {
        m_str.clear();
    } else if (static_cast<size_t>(n) < sizeof buf) {
        m_str.assign(buf, static_cast<size_t>(n));
    } else {
        std::vector<char> big(static_cast<size_t>(n) + 1);
        std::vsnprintf(big.data(), big.size(), pszFormat, args);
        m_str.assign(big.data(), static_cast<size_t>(n));
    }
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

CString CString::Formatted(const char* pszFormat, ...)
{
    CString s;
    va_list args;
    va_start(args, pszFormat);
    s.FormatV(pszFormat, args);
    va_end(args);
    return s;
}
