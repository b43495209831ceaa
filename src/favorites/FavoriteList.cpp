#include "favorites/FavoriteList.h"

#include "platform/Number.h"
#include "platform/Sjis.h"
#include "platform/TextFile.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

// The number and its TAB.
constexpr int kNameStart = 5;
constexpr int kEntryPadding = 16;

struct CFileCloser {
    void operator()(std::FILE* pFile) const { std::fclose(pFile); }
};
using FilePtr = std::unique_ptr<std::FILE, CFileCloser>;

const CString& FullWidthBlank()
{
    static const CString s = Sjis("　");
    return s;
}

// What every entry of the organize dialog ends with: 16 full-width blanks.
const CString& Padding()
{
    static const CString s = [] {
        CString strPadding;
        for (int i = 0; i < kEntryPadding; ++i)
            strPadding += FullWidthBlank();
        return strPadding;
    }();
    return s;
}

// The whole file, or false when it cannot be read to its end: a list read only in part must
// never be written back.
bool ReadContents(std::FILE* pFile, std::string& contents)
{
    char buffer[16384];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pFile)) > 0)
        contents.append(buffer, n);
    return !std::ferror(pFile);
}

// Lines as text mode reads them: "\n" ends a line and a "\r" before it is dropped.
std::vector<CString> SplitLines(const std::string& contents)
{
    std::vector<CString> lines;
    size_t start = 0;
    while (start < contents.size()) {
        size_t end = contents.find('\n', start);
        const size_t next = end == std::string::npos ? contents.size() : end + 1;
        if (end == std::string::npos)
            end = contents.size();
        if (end > start && contents[end - 1] == '\r')
            --end;
        lines.emplace_back(contents.substr(start, end - start));
        start = next;
    }
    return lines;
}

} // namespace

CString CFavoriteList::KeyText(const CString& strLine)
{
    const int nTab = strLine.Find('\t');
    return nTab < 0 ? strLine : strLine.Left(nTab);
}

int CFavoriteList::Key(const CString& strLine)
{
    return AtoI(KeyText(strLine));
}

CString CFavoriteList::Name(const CString& strLine)
{
    const std::string& s = strLine.Str();
    size_t i = 0;
    while (i < kNameStart && i < s.size())
        i += CString::IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
    return strLine.Mid(static_cast<int>(i));
}

CString CFavoriteList::EntryText(const CString& strLine)
{
    CString strEntry = strLine;
    strEntry.Replace("\t", "   ");
    return strEntry + Padding();
}

CString CFavoriteList::LineOfEntry(const CString& strEntry)
{
    // The padding goes by its bytes first: after a name that ends in half a character its
    // blanks no longer start on character boundaries, and a search would miss them. For any
    // other name this removes the same blanks as the search of pairs would.
    const CString& strPadding = Padding();
    CString strLine = strEntry;
    if (strLine.Right(strPadding.GetLength()) == strPadding)
        strLine = strLine.Left(strLine.GetLength() - strPadding.GetLength());
    strLine.Replace((FullWidthBlank() + FullWidthBlank()).GetString(), "");
    strLine.Replace("   ", "\t");
    return strLine;
}

bool CFavoriteList::Read()
{
    m_lines.clear();
    FilePtr pFile(std::fopen(kPath, "rb"));
    if (!pFile) {
        if (errno != ENOENT)
            return false;
        // Appending creates the file without emptying one that appeared meanwhile.
        return FilePtr(std::fopen(kPath, "ab")) != nullptr;
    }
    std::string contents;
    if (!ReadContents(pFile.get(), contents))
        return false;
    m_lines = SplitLines(contents);
    return true;
}

bool CFavoriteList::Write(const std::vector<CString>& lines)
{
    // Replacing goes by the folder's rights; a list the user made read-only stays as it is.
    if (access(kPath, F_OK) == 0 && access(kPath, W_OK) != 0)
        return false;
    std::string contents;
    for (const CString& line : lines) {
        contents += line.Str();
        contents += "\r\n";
    }
    return ReplaceFileAtomically(kPath, contents);
}

CFavoriteList::AddResult CFavoriteList::Add(const CString& strRegNo)
{
    const int nRegNo = AtoI(strRegNo);
    if (nRegNo < kMinRegNo || nRegNo > kMaxRegNo)
        return AddResult::OutOfRange;
    CFavoriteList list;
    if (!list.Read())
        return AddResult::Unavailable;
    int nCount = 0;
    for (const CString& line : list.m_lines) {
        if (Key(line) == nRegNo)
            return AddResult::Duplicate;
        ++nCount;
    }
    if (nCount >= kMaxRacers)
        return AddResult::Full;
    list.m_lines.push_back(strRegNo + "\t");
    return Write(list.m_lines) ? AddResult::Added : AddResult::Unavailable;
}
