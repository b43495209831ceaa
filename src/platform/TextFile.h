#pragma once
// A text file read and written line by line: reading drops the line end ("\n" and a "\r"
// before it), writing ends every line with CR LF, as the day files and lists are on disk.

#include "platform/String.h"

#include <cstdio>
#include <string>

class CTextFile {
public:
    enum OpenMode { modeRead, modeWrite, modeAppend, modeReadWrite };

    CTextFile() = default;
    ~CTextFile() { Close(); }
    CTextFile(const CTextFile&) = delete;
    CTextFile& operator=(const CTextFile&) = delete;

    // modeWrite creates or empties the file; modeReadWrite creates it when missing and keeps
    // its contents, positioned at the start.
    bool Open(const char* pszPath, OpenMode mode);
    bool IsOpen() const { return m_pFile != nullptr; }
    void Close();

    // The next line without its line end; false at the end of the file.
    bool ReadString(CString& rLine);
    // Writes the text; every "\n" in it is written as CR LF.
    bool WriteString(const CString& s);
    bool WriteLine(const CString& s) { return WriteString(s + "\n"); }
    void SeekToBegin();
    // Flushes to the disk; false when the data could not be written.
    bool Flush();

private:
    std::FILE* m_pFile = nullptr;
    char* m_pBuffer = nullptr; // getline's buffer, reused for every line
    size_t m_nBuffer = 0;
};

// The on-disk form of a path written the Windows way: ".\data\kelu.ini" is "data/kelu.ini".
CString DiskPath(const CString& strPath);

// The folder that holds path: "data" for "data/favorite.txt", "." for "kelu.ini".
std::string FolderOf(const std::string& path);

// Replaces the file at strPath with strContents (already holding CR LF line ends) through a
// temporary file in the same folder, flushed and renamed over the old one, and the folder
// flushed after the rename, so a crash or a full disk never leaves half a file. The new file
// has the old one's rights; a file that was not there gets 0666 less the umask. False, with the
// old file untouched, when it fails.
bool ReplaceFileAtomically(const CString& strPath, const std::string& strContents);
