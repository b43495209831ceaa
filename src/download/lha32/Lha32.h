#pragma once
// liblha32.so: Kelu's LZH unpacker, loaded at run time by name (download/Archive.h). One entry
// point, "Unlha", with C linkage so that dlsym finds it by that name.
//
// Command text: a command letter, option letters, and "w=" with the folder to unpack into,
// then the archive's file name, separated by blanks; "\" and "/" both separate folders:
//
//     efw=data\prog temp.lzh
//
// "e" (or "x") unpacks every member into the folder, replacing older files of the same names
// without asking; the options "f", "i" and "q" are accepted and change nothing, since that is
// always how it works. Without "w=" the members go into the working directory. A name holding
// blanks is written in double quotes. Missing folders are made.
//
// Bytes from the network become files here, so the unpacking is careful:
//   - only regular files are written, under their base names: a folder path stored with a
//     member is dropped, never followed; names that are empty, "." or "..", or hold a control
//     byte, are passed over, and so are links and devices (folders are simply not made);
//   - each member is written to a new temporary file in the folder and renamed over the old
//     one only once all its data is read and its CRC checks out: a damaged or cut archive never
//     replaces a good file, and a link standing at the member's name is replaced, not followed;
//   - a member larger than LHA32_MAX_MEMBER_SIZE is passed over, and members after the first
//     LHA32_MAX_MEMBERS are not read.
//
// Result: LHA32_OK when the archive was read to its end and every member unpacked; otherwise
// the code of the first fault met. A fault of one member does not stop the others, except where
// the archive cannot be read on (damaged headers, a cut file).

#ifdef __cplusplus
extern "C" {
#endif

enum {
    LHA32_OK = 0,
    LHA32_ERROR_COMMAND = 1,  // the command text is missing or not understood
    LHA32_ERROR_FOLDER = 2,   // the folder after "w=" cannot be made or opened
    LHA32_ERROR_OPEN = 3,     // the archive file cannot be opened
    LHA32_ERROR_FORMAT = 4,   // not an LZH archive (an empty file is none), or a damaged header
    LHA32_ERROR_DATA = 5,     // a member's data fails its CRC or is cut short: nothing of it is written
    LHA32_ERROR_WRITE = 6,    // a member cannot be written into the folder
    LHA32_ERROR_SKIPPED = 7,  // a member was passed over: not a regular file, an unsafe name, too large
    LHA32_ERROR_TOO_MANY = 8, // more than LHA32_MAX_MEMBERS members; the first ones were unpacked
};

#define LHA32_MAX_MEMBER_SIZE (64L * 1024 * 1024)
#define LHA32_MAX_MEMBERS 64

// hwnd is not used (no window is ever shown). When output is not null and size is not 0, a
// one-line description of the result, cut to fit and always terminated, is written there.
int Unlha(void* hwnd, const char* command, char* output, unsigned long size);

#ifdef __cplusplus
}
#endif
