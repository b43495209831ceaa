#pragma once
// A byte string of Shift-JIS text with the members Kelu's model code was written against.
// Positions and lengths are bytes. Searching, replacing and upper-casing step over double-byte
// characters, so a trail byte (0x40-0xFC, which includes '@' and ASCII letters) never matches.

#include <compare>
#include <cstdarg>
#include <string>
#include <string_view>

class CString {
public:
    CString() = default;
    CString(const char* psz) : m_str(psz ? psz : "") {}
    CString(const char* pch, int nLength);
    CString(std::string s) : m_str(std::move(s)) {}
    CString(std::string_view s) : m_str(s) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    const char* GetString() const { return m_str.c_str(); }
    const std::string& Str() const { return m_str; }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    // The byte at nIndex, or 0 outside the string.
    char GetAt(int nIndex) const;
    char operator[](int nIndex) const { return GetAt(nIndex); }

    // At most nCount bytes from nFirst on; empty when the string has nFirst bytes or fewer.
    CString Mid(int nFirst, int nCount) const;
    CString Mid(int nFirst) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;

    // Position of the first match at or after nStart that begins on a character boundary, or -1.
    int Find(const char* pszSub, int nStart = 0) const;
    int Find(char ch, int nStart = 0) const;
    // Replaces every non-overlapping match, scanning from the left on character boundaries.
    // Returns the number of replacements.
    int Replace(const char* pszOld, const char* pszNew);
    int Replace(char chOld, char chNew);

    // ASCII white space only (blank, tab, LF, CR, VT, FF); a full-width blank is text.
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim();
    // Upper-cases single-byte ASCII letters; the bytes of a double-byte character are kept.
    CString& MakeUpper();

    // printf-style formatting in the C locale. Pass CString arguments through GetString().
    void Format(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* pszFormat, va_list args);
    static CString Formatted(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));

    CString& operator+=(const CString& s) { m_str += s.m_str; return *this; }
    CString& operator+=(const char* psz) { m_str += psz; return *this; }
    CString& operator+=(char ch) { m_str += ch; return *this; }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.m_str + b); }
    friend CString operator+(const char* a, const CString& b) { return CString(a + b.m_str); }

    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str == (b ? b : ""); }
    friend std::strong_ordering operator<=>(const CString& a, const CString& b) { return a.m_str <=> b.m_str; }

    // True when the byte is the first of a double-byte Shift-JIS character.
    static bool IsLeadByte(unsigned char ch) { return (ch >= 0x81 && ch <= 0x9F) || (ch >= 0xE0 && ch <= 0xFC); }

private:
    std::string m_str;
};

// The bytes without ASCII white space before, after or around them, as CString's TrimLeft,
// TrimRight and Trim leave them, without a copy.
std::string_view TrimmedLeft(std::string_view s);
std::string_view TrimmedRight(std::string_view s);
std::string_view Trimmed(std::string_view s);
