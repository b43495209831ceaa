#pragma once
// The data server's address: key "DATA" of section "URL" of the settings file, such as
// "http://host" or "http://host:8080" (port 80 when none is given). It is only read, never
// written; the default is a placeholder host that the user replaces with the real one.

#include "platform/Profile.h"
#include "platform/String.h"

inline constexpr const char* kDefaultDataServer = "http://www.kelu.invalid";

// The setting, or the default when it is missing or empty.
CString ReadDataServer(const CProfile& profile);
