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
