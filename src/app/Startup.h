#pragma once
// The start-up steps that need no window: the settings file, the racer schedule address and
// the data folders. The application object calls them in its start-up sequence.

#include "platform/Profile.h"
#include "platform/String.h"

#include <string>

// The settings file, relative to the working directory.
inline constexpr const char* kProfilePath = ".\\data\\kelu.ini";

// The racer schedule page used until the user sets "ASSEN" in section "URL" of the settings
// file. The host is a placeholder: the real one is the user's to configure.
inline constexpr const char* kDefaultAssenUrl = "http://www.kelu.invalid/cgi-bin/assen/seiseki.cgi?TOBAN=%d";

// The settings file as a profile.
CProfile OpenKeluProfile();

// "ASSEN" of section "URL". When it is missing or empty the default is used and written back
// at once; a write that fails (the folder does not exist yet) is passed over.
CString ReadAssenUrl(const CProfile& profile);

// Creates "data", "data/prog" and "data/res" in this order; existing folders are left alone
// and failures are passed over.
void CreateDataDirectories();

// The process whose work file the name is, or 0 when it is none: "temp-PID.lzh" of the day
// downloads, "period-PID-B200105.lzh" of the period download, ".lha32-PID-..." of the archive
// library and "NAME.tmpPID-N" of a file being replaced.
long WorkFileProcess(const std::string& name);
// Deletes the work files in the program folder and the data folders whose process is gone (a
// crash, a power cut); those of a running Kelu stay. Returns how many went.
int RemoveLeftWorkFiles();

// The schedule page address of a racer: the first "%d" becomes the number, "%%" becomes "%",
// every other "%" stays as it is. A stored value never reaches printf.
CString ExpandAssenUrl(const CString& strFormat, int nRegNo);
// Whether a schedule page address will do: an http or https address with exactly one "%d" for
// the number and no other conversion. False with the reason (Shift-JIS).
bool CheckAssenUrl(const CString& strFormat, CString* pstrWhy = nullptr);
