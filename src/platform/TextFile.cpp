#include "platform/TextFile.h"

#include "platform/WriteAll.h"

#include <atomic>
#include <cerrno>
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

namespace {

// A new file beside strPath, named so that no other writer, in this process or another, picks
// the same name. It is made with the rights 0666 less the umask, as any new file of the user's.
int CreateBeside(const std::string& path, std::string& tmp)
{
    static std::atomic<unsigned> nNext{0};
    for (int nTry = 0; nTry < 100; ++nTry) {
        tmp = path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(nNext++);
        const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}


// Writes the rename itself to the disk; without it a power cut may bring back the old file.
void SyncFolder(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

} // namespace

std::string FolderOf(const std::string& path)
{
    const size_t nSlash = path.rfind('/');
    if (nSlash == std::string::npos)
        return ".";
    return nSlash == 0 ? "/" : path.substr(0, nSlash);
}

bool ReplaceFileAtomically(const CString& strPath, const std::string& strContents)
{
    const std::string path = strPath.Str();
    std::string tmp;
    const int fd = CreateBeside(path, tmp);
    if (fd < 0)
        return false;
    // The replaced file's rights stay: a list the user keeps private stays private.
    struct stat old {};
    bool ok = stat(path.c_str(), &old) != 0 || !S_ISREG(old.st_mode) || fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && WriteAll(fd, strContents.data(), strContents.size());
    ok = ok && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    ok = ok && std::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) {
        unlink(tmp.c_str());
        return false;
    }
    // The new contents are in place whatever the folder's sync says: the old file is gone, and
    // a false here would tell the caller that it is still there.
    SyncFolder(FolderOf(path));
    return true;
}
