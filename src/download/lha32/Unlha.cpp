// The unpacker behind "Unlha": libarchive reads the LZH archive (it decodes the -lh5- to -lh7-
// methods and checks every member's CRC); this file decides what reaches the disk and how.

#include "Lha32.h"
#include "platform/AsciiCase.h"
#include "platform/WriteAll.h"

#include <archive.h>
#include <archive_entry.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct CCommand {
    std::string strFolder = ".";
    std::string strArchive;
    // The members to unpack, under these names; empty: every member under its own name.
    std::vector<std::string> members;
};

// The Windows way of writing paths is accepted as well.
std::string DiskPath(std::string path)
{
    for (char& ch : path)
        if (ch == '\\')
            ch = '/';
    return path;
}

// The words of a command, separated by blanks; a word in double quotes may hold blanks.
std::vector<std::string> CommandWords(const char* psz)
{
    std::vector<std::string> words;
    const char* p = psz;
    while (*p) {
        while (*p == ' ' || *p == '\t')
            ++p;
        if (!*p)
            break;
        std::string word;
        bool bQuoted = false;
        while (*p && (bQuoted || (*p != ' ' && *p != '\t'))) {
            if (*p == '"')
                bQuoted = !bQuoted;
            else
                word += *p;
            ++p;
        }
        words.push_back(word);
    }
    return words;
}

bool IsSafeName(const std::string& name);

bool ParseCommand(const char* psz, CCommand& cmd)
{
    if (!psz)
        return false;
    const std::vector<std::string> words = CommandWords(psz);
    if (words.size() < 2)
        return false;
    const std::string& verb = words[0];
    if (verb.empty() || (verb[0] != 'e' && verb[0] != 'x' && verb[0] != 'E' && verb[0] != 'X'))
        return false;
    for (size_t i = 1; i < verb.size(); ++i) {
        const char ch = verb[i];
        if (ch == 'w' && i + 1 < verb.size() && verb[i + 1] == '=') {
            cmd.strFolder = DiskPath(verb.substr(i + 2));
            if (cmd.strFolder.empty())
                return false;
            break;
        }
        if (ch != 'f' && ch != 'i' && ch != 'q')
            return false;
    }
    cmd.strArchive = DiskPath(words[1]);
    // A name to write is a name in the folder, never a path.
    for (size_t i = 2; i < words.size(); ++i) {
        if (!IsSafeName(words[i]) || words[i].find_first_of("/\\") != std::string::npos)
            return false;
        cmd.members.push_back(words[i]);
    }
    return !cmd.strArchive.empty();
}

// Makes the folder and the folders above it that are missing.
bool MakeFolders(const std::string& folder)
{
    for (size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos < folder.size() && folder[pos] != '/')
            continue;
        const std::string part = folder.substr(0, pos);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

bool IsLeadByte(unsigned char ch)
{
    return (ch >= 0x81 && ch <= 0x9F) || (ch >= 0xE0 && ch <= 0xFC);
}

// The last part of a stored path. "/" always separates; "\" does too, unless it is the second
// byte of a Shift-JIS character (as in "ソ"). Whatever is left is a name inside the folder.
std::string BaseName(const char* pszPath)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszPath);
    size_t nStart = 0;
    for (size_t i = 0; p[i]; ++i) {
        if (IsLeadByte(p[i]) && p[i + 1]) {
            ++i;
            continue;
        }
        if (p[i] == '/' || p[i] == '\\')
            nStart = i + 1;
    }
    return std::string(pszPath + nStart);
}

// A name as the report shows it: on one line, without control bytes.
std::string Printable(const std::string& name)
{
    std::string out = name;
    for (char& ch : out)
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F)
            ch = '?';
    return out;
}

bool IsSafeName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (unsigned char ch : name)
        if (ch < 0x20 || ch == 0x7F)
            return false;
    return true;
}

// A new file of its own in the folder; never an existing file or a link.
int CreateTemporary(int dirfd, std::string& name)
{
    // Programs may unpack on several threads at once.
    static std::atomic<unsigned> s_nCounter{0};
    for (int nTry = 0; nTry < 100; ++nTry) {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        char sz[64];
        std::snprintf(sz, sizeof sz, ".lha32-%d-%x-%lx", static_cast<int>(getpid()), ++s_nCounter,
                      static_cast<unsigned long>(ts.tv_nsec));
        const int fd = openat(dirfd, sz, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            name = sz;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

class CExtractor {
public:
    CExtractor(archive* pArchive, int dirfd, const std::vector<std::string>& asked)
        : m_pArchive(pArchive)
        , m_dirfd(dirfd)
        , m_asked(asked)
        , m_found(asked.size(), false)
    {
    }

    int Run()
    {
        int nMembers = 0;
        for (;;) {
            archive_entry* pEntry = nullptr;
            const int r = archive_read_next_header(m_pArchive, &pEntry);
            if (r == ARCHIVE_EOF)
                break;
            // An empty file, bytes of another kind, or a header that fails its checks.
            if (r != ARCHIVE_OK && r != ARCHIVE_WARN)
                return Fault(LHA32_ERROR_FORMAT);
            if (++nMembers > LHA32_MAX_MEMBERS) {
                const char* pszPath = archive_entry_pathname(pEntry);
                Note("skipped", pszPath ? pszPath : "", "too many");
                Fault(LHA32_ERROR_TOO_MANY);
                break;
            }
            if (!ExtractMember(pEntry))
                break;
        }
        // The renames too, once for all of them.
        if (m_nExtracted > 0)
            fsync(m_dirfd);
        for (size_t i = 0; i < m_asked.size(); ++i)
            if (!m_found[i]) {
                Note("missing", m_asked[i], "");
                Fault(LHA32_ERROR_MISSING);
            }
        return m_nResult;
    }

    int Extracted() const { return m_nExtracted; }
    const std::string& Report() const { return m_report; }

private:
    int Fault(int nCode)
    {
        if (m_nResult == LHA32_OK)
            m_nResult = nCode;
        return m_nResult;
    }

    void Note(const char* pszKind, const std::string& name, const std::string& detail)
    {
        m_report += std::string(pszKind) + '\t' + Printable(name) + '\t' + detail + '\n';
    }

    void Skip(const std::string& name, const char* pszWhy, bool bFault = true)
    {
        Note("skipped", name, pszWhy);
        if (bFault)
            Fault(LHA32_ERROR_SKIPPED);
    }

    void WriteFailed(const std::string& name, int nErrno)
    {
        Note("failed", name, "write " + std::to_string(nErrno));
        Fault(LHA32_ERROR_WRITE);
    }

    // The name the member is written under, or empty when it was not asked for.
    std::string TargetName(const std::string& name)
    {
        if (m_asked.empty())
            return name;
        for (size_t i = 0; i < m_asked.size(); ++i)
            if (!m_found[i] && SameNameAnyCase(name, m_asked[i])) {
                m_found[i] = true;
                return m_asked[i];
            }
        return std::string();
    }

    // False when the archive cannot be read on.
    bool ExtractMember(archive_entry* pEntry)
    {
        const mode_t type = archive_entry_filetype(pEntry);
        if (type == AE_IFDIR)
            return true;
        const char* pszPath = archive_entry_pathname(pEntry);
        const std::string path = pszPath ? pszPath : "";
        // "/" is never the second byte of a Shift-JIS character: wherever it stands, the name
        // is a path.
        if (path.find('/') != std::string::npos) {
            Skip(path, "unsafe name");
            return true;
        }
        const std::string stored = BaseName(path.c_str());
        if (!IsSafeName(stored)) {
            Skip(path, "unsafe name");
            return true;
        }
        const std::string name = TargetName(stored);
        if (name.empty()) {
            Skip(stored, "not asked", false);
            return true;
        }
        if (type != AE_IFREG) {
            Skip(stored, "not a file");
            return true;
        }
        if (archive_entry_size_is_set(pEntry) && archive_entry_size(pEntry) > LHA32_MAX_MEMBER_SIZE) {
            Skip(stored, "too large");
            return true;
        }
        std::string temp;
        const int fd = CreateTemporary(m_dirfd, temp);
        if (fd < 0) {
            WriteFailed(name, errno);
            return true;
        }
        int nErrno = 0;
        const int nCode = CopyData(fd, nErrno);
        if (PutInPlace(fd, nCode == LHA32_OK, pEntry, temp, name))
            ++m_nExtracted;
        if (nCode == LHA32_ERROR_WRITE)
            WriteFailed(name, nErrno);
        else if (nCode == LHA32_ERROR_SKIPPED)
            Skip(stored, "too large");
        else if (nCode != LHA32_OK) {
            Note("failed", name, "data");
            Fault(nCode);
        }
        return !m_bFatal;
    }

    // Closes the temporary file, whole when bWhole, and puts it in the place of the name; else,
    // or when that fails, deletes it. True when the new file is in place.
    bool PutInPlace(int fd, bool bWhole, archive_entry* pEntry, const std::string& temp, const std::string& name)
    {
        bool bOk = bWhole;
        if (bOk) {
            const timespec times[2] = {{archive_entry_mtime(pEntry), 0}, {archive_entry_mtime(pEntry), 0}};
            if (archive_entry_mtime_is_set(pEntry))
                futimens(fd, times);
            // On the disk before it takes the old file's place: a power cut must not leave an
            // empty day file where a whole one was.
            if (fsync(fd) != 0) {
                WriteFailed(name, errno);
                bOk = false;
            }
        }
        if (close(fd) != 0 && bOk) {
            WriteFailed(name, errno);
            bOk = false;
        }
        // The old file goes only now, in one step, when the new one is whole.
        if (bOk && renameat(m_dirfd, temp.c_str(), m_dirfd, name.c_str()) != 0) {
            WriteFailed(name, errno);
            bOk = false;
        }
        if (!bOk)
            unlinkat(m_dirfd, temp.c_str(), 0);
        return bOk;
    }

    int CopyData(int fd, int& nErrno)
    {
        long long nTotal = 0;
        for (;;) {
            const la_ssize_t n = archive_read_data(m_pArchive, m_buffer.data(), m_buffer.size());
            if (n == 0)
                return LHA32_OK;
            if (n < 0) {
                // A CRC that does not check out comes at the member's end as a warning: the
                // next member can still be read. A cut file cannot be read on.
                m_bFatal = n < ARCHIVE_WARN;
                return LHA32_ERROR_DATA;
            }
            nTotal += n;
            if (nTotal > LHA32_MAX_MEMBER_SIZE)
                return LHA32_ERROR_SKIPPED;
            if (!WriteAll(fd, m_buffer.data(), static_cast<size_t>(n))) {
                nErrno = errno;
                return LHA32_ERROR_WRITE;
            }
        }
    }

    archive* m_pArchive;
    int m_dirfd;
    const std::vector<std::string>& m_asked;
    std::vector<bool> m_found;
    int m_nResult = LHA32_OK;
    int m_nExtracted = 0;
    bool m_bFatal = false;
    std::string m_report;
    std::vector<char> m_buffer = std::vector<char>(64 * 1024);
};

const char* Describe(int nCode)
{
    switch (nCode) {
    case LHA32_OK:
        return "unpacked";
    case LHA32_ERROR_COMMAND:
        return "command not understood";
    case LHA32_ERROR_FOLDER:
        return "the folder cannot be made or opened";
    case LHA32_ERROR_OPEN:
        return "the archive cannot be opened";
    case LHA32_ERROR_FORMAT:
        return "not an LZH archive, or a damaged header";
    case LHA32_ERROR_DATA:
        return "damaged or cut member data";
    case LHA32_ERROR_WRITE:
        return "a member cannot be written";
    case LHA32_ERROR_SKIPPED:
        return "a member was passed over";
    case LHA32_ERROR_TOO_MANY:
        return "too many members";
    case LHA32_ERROR_MISSING:
        return "a member asked for is not in the archive";
    default:
        return "";
    }
}

int Report(int nCode, int nExtracted, const std::string& lines, char* pOutput, unsigned long nSize)
{
    if (pOutput && nSize > 0)
        std::snprintf(pOutput, nSize, "%s (%d file%s)\n%s", Describe(nCode), nExtracted, nExtracted == 1 ? "" : "s",
                      lines.c_str());
    return nCode;
}

std::string FolderLine(const std::string& folder, int nErrno)
{
    return "folder\t" + Printable(folder) + '\t' + std::to_string(nErrno) + '\n';
}

int Extract(const CCommand& cmd, char* pOutput, unsigned long nSize)
{
    if (!MakeFolders(cmd.strFolder))
        return Report(LHA32_ERROR_FOLDER, 0, FolderLine(cmd.strFolder, errno), pOutput, nSize);
    const int dirfd = open(cmd.strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirfd < 0)
        return Report(LHA32_ERROR_FOLDER, 0, FolderLine(cmd.strFolder, errno), pOutput, nSize);
    const int fd = open(cmd.strArchive.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        close(dirfd);
        return Report(LHA32_ERROR_OPEN, 0, std::string(), pOutput, nSize);
    }
    archive* pArchive = archive_read_new();
    archive_read_support_format_lha(pArchive);
    int nCode = LHA32_ERROR_FORMAT;
    int nExtracted = 0;
    std::string lines;
    if (archive_read_open_fd(pArchive, fd, 64 * 1024) == ARCHIVE_OK) {
        CExtractor extractor(pArchive, dirfd, cmd.members);
        nCode = extractor.Run();
        nExtracted = extractor.Extracted();
        lines = extractor.Report();
    }
    archive_read_free(pArchive);
    close(fd);
    close(dirfd);
    return Report(nCode, nExtracted, lines, pOutput, nSize);
}

} // namespace

extern "C" __attribute__((visibility("default"))) int Unlha(void* hwnd, const char* command, char* output,
                                                             unsigned long size)
{
    (void)hwnd;
    CCommand cmd;
    if (!ParseCommand(command, cmd))
        return Report(LHA32_ERROR_COMMAND, 0, std::string(), output, size);
    return Extract(cmd, output, size);
}
