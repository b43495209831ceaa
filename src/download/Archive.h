#pragma once
// Unpacking a downloaded archive through the archive library, liblha32.so. The library is
// looked up by its bare name, so the program's own folder (the RUNPATH $ORIGIN of whatever
// calls it) is where it is found; it is loaded and unloaded around every call.

#include <string>

inline constexpr const char* kLha32Library = "liblha32.so";

// Results besides the library's own (download/lha32/Lha32.h): no library, no entry point.
enum : int {
    kExtractNoLibrary = -1,
    kExtractNoEntryPoint = -2,
};

struct CExtractResult {
    int nCode = 0;
    // The library's report after its first line: a line for each member passed over or not
    // written ("KIND\tNAME\tDETAIL"); for a library that cannot be loaded, the loader's reason.
    std::string strReport;
};

// Calls the library's "Unlha" with the command (for example "efw=data\prog temp.lzh
// B050123.TXT"). A missing library or entry point is a failure code, never a crash. Without a
// library named, the one set below.
CExtractResult ExtractArchive(const char* pszCommand, const char* pszLibrary = nullptr);
// The library the downloads unpack with, kLha32Library unless a test names one that is missing.
void SetArchiveLibrary(const char* pszLibrary);
