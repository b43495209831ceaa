#pragma once
// A day's two archives, the program ("B") and the result ("K") archive, and the unpacking of
// the day's own member from a downloaded one into its folder, as every download does it: the
// archive library takes only that member and replaces the day file only with a whole one; what
// it passed over or could not write is logged and kept for the end message.

#include "download/DownloadOutcome.h"
#include "download/DownloadProgress.h"
#include "platform/String.h"
#include "platform/Time.h"

struct CArchiveKind {
    char chKind;            // 'B' or 'K', as the archive's path on the server has it
    const char* pszLogName; // "番組表", as the log names it
    const char* pszName;    // "出走表", as the end message names an archive it missed
    const char* pszFolder;  // the extraction folder, written as the library's command has it
};
inline constexpr CArchiveKind kProgramArchive{'B', "番組表", "出走表", "data\\prog"};
inline constexpr CArchiveKind kResultArchive{'K', "結果表", "結果表", "data\\res"};

// "data/prog/B200101.TXT" or "data/res/K200101.TXT": the day file the archive holds.
CString DayFileOf(const CArchiveKind& kind, const CTime& day);

// Unpacks the day's member of pszWorkFile (a name without blanks) and deletes the work file.
// The log tells of every member passed over and every file not written; an archive that did not
// give the day's file goes into outcome.missed, a file that could not be written into
// outcome.unwritten. True when the day's file was written.
bool UnpackDayArchive(const CArchiveKind& kind, const CTime& day, const char* pszWorkFile, IDownloadProgress& progress,
                      CDownloadOutcome& outcome);
