#pragma once
// How a day or week download ended, and what the user is told of it. Kept apart from the
// transfers, which the program loads only with the downloads' library.

#include "platform/String.h"

#include <vector>

// How a download ended.
enum class DownloadEnd {
    Completed,     // every day was tried; what failed is in missed and unwritten
    Stopped,       // the user stopped
    ProgramFailed, // the one day's program archive could not be fetched: nCode says why
    ResultFailed,  // the shown day's result archive could not be fetched: the normal end of a
                   // day not yet raced, which needs no word
};

struct CDownloadOutcome {
    DownloadEnd end = DownloadEnd::Completed;
    int nCode = 0;
    // Why a transfer failed without an answer of the server (nCode 2): "時間切れです..." (Shift-JIS).
    CString strReason;
    // Archives of the week that could not be fetched or unpacked, as the log names them:
    // "2019/12/26 出走表 (Error 404)".
    std::vector<CString> missed;
    // Day files that could not be written, and why: "data/prog/B200101.TXT: 書き込みが許可されていません".
    std::vector<CString> unwritten;
};

// The message for a program archive that could not be fetched, and the caption (Shift-JIS).
CString ProgramErrorText(int nCode);
CString DownloadCaption();
// What happened, in plain words, to a program archive that could not be fetched: the server's
// answer (404: no such file) or the transfer's reason; empty when there is nothing to add.
CString FailureInWords(int nCode, const CString& strReason);
// The one message at the end of a download, or the empty string when there is nothing to say.
CString DownloadEndMessage(const CDownloadOutcome& outcome);
