#include "platform/TabField.h"

CString GetTabField(const CString& strLine, int n)
{
    const std::string& s = strLine.Str();
    size_t nStart = 0;
    for (int i = 1; i <= n; ++i) {
        if (nStart >= s.size())
            return CString();
        const size_t nTab = s.find('\t', nStart);
        const size_t nEnd = nTab == std::string::npos ? s.size() : nTab;
        if (nEnd == nStart)
            return CString();
        if (i == n)
            return CString(std::string_view(s).substr(nStart, nEnd - nStart));
        if (nTab == std::string::npos)
            return CString();
        nStart = nTab + 1;
    }
    return CString();
}

void SplitTabFields(const CString& strLine, CString* pFields, int nCount)
{
    const std::string& s = strLine.Str();
    size_t nStart = 0;
    bool bEnded = false;
    for (int i = 0; i < nCount; ++i) {
        size_t nEnd = nStart;
        if (!bEnded && nStart < s.size()) {
            const size_t nTab = s.find('\t', nStart);
            nEnd = nTab == std::string::npos ? s.size() : nTab;
        }
        bEnded = bEnded || nEnd == nStart;
        pFields[i] = bEnded ? CString() : CString(std::string_view(s).substr(nStart, nEnd - nStart));
        if (nEnd >= s.size())
            bEnded = true;
        nStart = nEnd + 1;
    }
}
