// The string table. (Filled in with the main frame.)
#include "res/Strings.h"

CString LoadKeluString(unsigned nID)
{
    (void)nID;
    return CString();
}

CString StatusPrompt(unsigned nID)
{
    const CString s = LoadKeluString(nID);
    const int n = s.Find('\n');
    return n < 0 ? s : s.Left(n);
}

CString TooltipText(unsigned nID)
{
    const CString s = LoadKeluString(nID);
    const int n = s.Find('\n');
    return n < 0 ? CString() : s.Mid(n + 1);
}
