#pragma once
// The data server's address: key "DATA" of section "URL" of the settings file, such as
// "http://host" or "http://host:8080" (port 80 when none is given). The settings dialog writes
// it; the default is a placeholder host that reaches nothing, which the user replaces with the
// real one.

#include "platform/Profile.h"
#include "platform/String.h"
#include "platform/Time.h"

inline constexpr const char* kDefaultDataServer = "http://www.kelu.invalid";

// "/od2/B/%04d%02d/b%02d%02d%02d.lzh" (chKind 'B') or "/od2/K/..." ('K') of the day: where the
// server keeps a day's program and result archives.
CString ArchivePath(char chKind, const CTime& day);

// The setting, or the default when it is missing or empty.
CString ReadDataServer(const CProfile& profile);
// True while the address is still a placeholder (the default, or any host under ".invalid"):
// a download would only wait for a name that never resolves.
bool IsPlaceholderServer(const CString& strServer);
// The address as the downloads use it: without blanks around it, trailing slashes or the
// archives' folder "/od2" that some write at its end ("http://host:8080/od2" is "http://host:8080").
CString NormalizeDataServer(const CString& strServer);
// Whether the downloads can use the address: "http://" or "https://" (or a bare host, taken as
// http) and a host, with an optional port, and at most "/od2" after them. False with the reason
// (Shift-JIS).
bool CheckDataServer(const CString& strServer, CString* pstrWhy = nullptr);
