#pragma once
// liblha32.so: Kelu's LZH unpacker, loaded at run time by name (download/Archive.h). One entry
// point, "Unlha", with C linkage so that dlsym finds it by that name.
//
// Command text: a command letter, option letters, and "w=" with the folder to unpack into,
// then the archive's file name, then the names of the members to unpack, separated by blanks;
// "\" and "/" both separate folders:
//
//     efw=data\prog temp.lzh B050123.TXT
//
// "e" (or "x") unpacks the named members into the folder, replacing older files of the same
// names without asking; the options "f", "i" and "q" are accepted and change nothing, since that
// is always how it works. A name matches a member whose name is the same in any case, and the
// file is written under the name the command gives, so that the reader finds it whatever case
// the archive used. Every other member is passed over: an archive for one day cannot replace
// another day's file. Without names every member is unpacked. Without "w=" the members go into
// the working directory. A name holding blanks is written in double quotes. Missing folders are
// made.
//
// Bytes from the network become files here, so the unpacking is careful:
//   - only regular files are written, under their base names: a name holding "/" anywhere is
//     passed over (it is a folder path, whatever byte comes before it), a folder path written
//     with "\" is dropped, never followed; names that are empty, "." or "..", or hold a control
//     byte, are passed over, and so are links and devices (folders are simply not made);
//   - each member is written to a new temporary file in the folder and renamed over the old
//     one only once all its data is read and its CRC checks out: a damaged or cut archive never
//     replaces a good file, and a link standing at the member's name is replaced, not followed;
//   - a member larger than LHA32_MAX_MEMBER_SIZE is passed over, and members after the first
//     LHA32_MAX_MEMBERS are not read.
//
// Result: LHA32_OK when the archive was read to its end and every member asked for unpacked
// (members passed over because they were not asked for do not count as a fault); otherwise the
// code of the first fault met. A fault of one member does not stop the others, except where the
// archive cannot be read on (damaged headers, a cut file).
//
// Report (the output buffer): a first line describing the result, then one line for each
// member passed over or not written, and for each name asked for that the archive lacks:
//
//     KIND TAB NAME TAB DETAIL
//
// KIND is "skipped" (DETAIL: "not asked", "unsafe name", "not a file", "too large",
// "too many"), "failed" (DETAIL: "data" for a damaged or cut member, "write N" with the errno N
// of the write that failed), "missing" (DETAIL empty) or "folder" (NAME the folder, DETAIL
// "N" with the errno). Control bytes of a name are written as "?". Lines end with "\n".

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
    LHA32_ERROR_MISSING = 9,  // a member named in the command is not in the archive
};

// A day file is some 100 KB; these are far beyond any real one and keep a hostile archive from
// filling the disk.
#define LHA32_MAX_MEMBER_SIZE (16L * 1024 * 1024)
#define LHA32_MAX_MEMBERS 4

// hwnd is not used (no window is ever shown). When output is not null and size is not 0, the
// report above, cut to fit and always terminated, is written there.
int Unlha(void* hwnd, const char* command, char* output, unsigned long size);

#ifdef __cplusplus
}
#endif
