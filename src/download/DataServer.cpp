#include "download/DataServer.h"

CString ReadDataServer(const CProfile& profile)
{
    CString strServer = profile.GetProfileString("URL", "DATA", "");
    return strServer.IsEmpty() ? CString(kDefaultDataServer) : strServer;
}
