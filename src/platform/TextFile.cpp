#include "platform/TextFile.h"

#include <cstdlib>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool CTextFile::Open(const char* pszPath, OpenMode mode)
{
    Close();
    if (!pszPath)
        return false;
    switch (mode) {
    case modeRead:
        m_pFile = std::fopen(pszPath, "rb");
        break;
    case modeWrite:
        m_pFile = std::fopen(pszPath, "wb");
        break;
    case modeAppend:
        m_pFile = std::fopen(pszPath, "ab");
        break;
    case modeReadWrite:
        m_pFile = std::fopen(pszPath, "r+b");
        if (!m_pFile)
            m_pFile = std::fopen(pszPath, "w+b");
        break;
    }
    return m_pFile != nullptr;
}

void CTextFile::Close()
{
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
    std::free(m_pBuffer);
    m_pBuffer = nullptr;
    m_nBuffer = 0;
}

bool CTextFile::ReadString(CString& rLine)
{
    if (!m_pFile)
        return false;
    const ssize_t n = getline(&m_pBuffer, &m_nBuffer, m_pFile);
    if (n <= 0)
        return false;
    size_t len = static_cast<size_t>(n);
    if (m_pBuffer[len - 1] == '\n')
        --len;
    if (len > 0 && m_pBuffer[len - 1] == '\r')
        --len;
    rLine = CString(std::string(m_pBuffer, len));
    return true;
}

bool CTextFile::WriteString(const CString& s)
{
    if (!m_pFile)
        return false;
    std::string out;
    out.reserve(static_cast<size_t>(s.GetLength()) + 8);
    for (char ch : s.Str()) {
        if (ch == '\n')
            out += '\r';
        out += ch;
    }
    return std::fwrite(out.data(), 1, out.size(), m_pFile) == out.size();
}

void CTextFile::SeekToBegin()
{
    if (m_pFile)
        std::fseek(m_pFile, 0, SEEK_SET);
}

bool CTextFile::Flush()
{
    if (!m_pFile)
        return false;
    return std::fflush(m_pFile) == 0 && fsync(fileno(m_pFile)) == 0;
}

CString DiskPath(const CString& strPath)
{
    CString s = strPath;
    s.Replace('\\', '/');
    while (s.Left(2) == "./")
        s = s.Mid(2);
    return s;
}

bool ReplaceFileAtomically(const CString& strPath, const std::string& strContents)
{
    const std::string path = strPath.Str();
    std::string tmp = path + ".tmpXXXXXX";
    const int fd = mkstemp(tmp.data());
    if (fd < 0)
        return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < strContents.size()) {
        const ssize_t n = write(fd, strContents.data() + done, strContents.size() - done);
        ok = n > 0;
        if (ok)
            done += static_cast<size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    // mkstemp makes the file private; a settings or list file should have ordinary rights.
    ok = ok && fchmodat(AT_FDCWD, tmp.c_str(), 0644, 0) == 0;
    ok = ok && std::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok)
        unlink(tmp.c_str());
    return ok;
}
