#pragma once
// An INI-style profile file: "[section]" lines and "key=value" lines. Section and key names
// match without regard to ASCII case; names and values are trimmed of white space.

#include "platform/String.h"

class CProfile {
public:
    explicit CProfile(CString strPath) : m_strPath(std::move(strPath)) {}

    const CString& GetPath() const { return m_strPath; }
    CString GetProfileString(const char* pszSection, const char* pszKey, const char* pszDefault = "") const;
    int GetProfileInt(const char* pszSection, const char* pszKey, int nDefault) const;
    // Sets the key, keeping every other line of the file as it was; creates the file (and the
    // section) when missing, provided the file's folder exists. False when it cannot write.
    bool WriteProfileString(const char* pszSection, const char* pszKey, const char* pszValue) const;

private:
    CString m_strPath;
};
