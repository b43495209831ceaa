#pragma once
// Unpacking a downloaded archive through the archive library, liblha32.so. The library is
// looked up by its bare name, so the program's own folder (the executable's RUNPATH $ORIGIN)
// is where it is found; it is loaded and unloaded around every call.

inline constexpr const char* kLha32Library = "liblha32.so";

// Results besides the library's own (download/lha32/Lha32.h): no library, no entry point.
enum : int {
    kExtractNoLibrary = -1,
    kExtractNoEntryPoint = -2,
};

// Calls the library's "Unlha" with the command (for example "efw=data\prog temp.lzh") and
// returns its result. A missing library or entry point is a failure code, never a crash or a
// message: the caller goes on either way.
int ExtractArchive(const char* pszCommand, const char* pszLibrary = kLha32Library);
