// Reads an arbitrary watched-racer list, lets the favourites menu fill in the names of the
// racers of a fixture day (a small one: every line searches the whole day), adds a racer and rewrites the list as the organize dialog does,
// checking after every step that no line of the user's was lost or changed beyond the rules.

#include "FuzzSupport.h"

#include "favorites/FavoriteList.h"
#include "favorites/FavoriteRacer.h"
#include "model/KeluDoc.h"

#include <string>
#include <vector>

namespace {

constexpr const char* kList = CFavoriteList::kPath;
CKeluDoc* g_pDoc = nullptr;

std::vector<CString> ReadList(const char* pszStep)
{
    CFavoriteList list;
    if (!fuzz::FileExists(kList) || !list.Read())
        fuzz::Fail("the list is still there and readable", pszStep);
    return list.Lines();
}

// What text mode makes of the bytes: a "\n" ends a line, a "\r" before it is dropped, and the
// last line needs no end.
std::vector<std::string> ExpectedLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t nStart = 0;
    while (nStart < bytes.size()) {
        size_t nEnd = bytes.find('\n', nStart);
        const size_t nNext = nEnd == std::string::npos ? bytes.size() : nEnd + 1;
        if (nEnd == std::string::npos)
            nEnd = bytes.size();
        std::string line = bytes.substr(nStart, nEnd - nStart);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        nStart = nNext;
    }
    return lines;
}

// A name cut in the middle of a double-byte character would print as garbage and could never
// be matched again.
bool EndsInHalfCharacter(const CString& s)
{
    const std::string& bytes = s.Str();
    size_t i = 0;
    while (i < bytes.size())
        i += CString::IsLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    return i > bytes.size();
}

void CheckRead(const std::string& bytes, const std::vector<CString>& lines)
{
    const std::vector<std::string> expected = ExpectedLines(bytes);
    if (expected.size() != lines.size())
        fuzz::Fail("every line of the file is read", std::to_string(lines.size()) + " of " + std::to_string(expected.size()));
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].Str() != expected[i])
            fuzz::Fail("a line is read as it is written", std::to_string(i));
    }
}

// The favourites menu: names found on the day go into the first 256 lines, nothing else moves.
void CheckNamesFilledIn(const std::vector<CString>& before)
{
    const auto racers = CFavoriteRacer::LoadDay(*g_pDoc);
    if (!racers)
        fuzz::Fail("a readable list gives the menu its racers");
    const std::vector<CString> after = ReadList("after the names were filled in");
    if (after.size() != before.size())
        fuzz::Fail("filling in names keeps the number of lines");
    const size_t nShown = std::min(before.size(), static_cast<size_t>(CFavoriteList::kMaxRacers));
    if (racers->size() != nShown)
        fuzz::Fail("the menu has a racer for each of the first 256 lines");
    for (size_t i = 0; i < after.size(); ++i) {
        if (after[i] == before[i])
            continue;
        if (i >= nShown)
            fuzz::Fail("lines past the 256th stay as they were", std::to_string(i));
        const CFavoriteRacer& racer = (*racers)[i];
        if (!racer.NameGrew() || after[i] != racer.Line())
            fuzz::Fail("only a line whose name grew is rewritten", std::to_string(i));
        // The number, not the key's bytes: a key that ends in half a character (a hand-edited
        // line) takes the new TAB into that character.
        if (CFavoriteList::Key(after[i]) != CFavoriteList::Key(before[i]))
            fuzz::Fail("a rewritten line keeps its number", std::to_string(i));
        if (EndsInHalfCharacter(racer.m_strName))
            fuzz::Fail("a name found on the day is whole characters", std::to_string(i));
    }
    for (const CFavoriteRacer& racer : *racers) {
        if (racer.m_nVenue < 0 || racer.m_nVenue >= CKeluDoc::kVenues)
            fuzz::Fail("a racer's venue is a venue or none");
        fuzz::Keep(racer.Title().Str().size() + static_cast<size_t>(CFavoriteRacer::RaceNumber(racer.m_strRace1)));
    }
}

void CheckAdd(const CString& strRegNo)
{
    std::string before;
    fuzz::ReadFile(kList, before);
    const std::vector<CString> lines = ReadList("before adding");
    const CFavoriteList::AddResult result = CFavoriteList::Add(strRegNo);
    std::string after;
    if (!fuzz::ReadFile(kList, after))
        fuzz::Fail("the list is still there after adding");
    if (result != CFavoriteList::AddResult::Added) {
        if (after != before)
            fuzz::Fail("a refused addition leaves the file as it was");
        const bool bFull = lines.size() >= CFavoriteList::kMaxRacers;
        if (result == CFavoriteList::AddResult::Full && !bFull)
            fuzz::Fail("only a list of 256 lines is full");
        return;
    }
    if (lines.size() >= CFavoriteList::kMaxRacers)
        fuzz::Fail("nothing is added to a full list");
    std::vector<CString> expected = lines;
    expected.push_back(strRegNo + "\t");
    if (ReadList("after adding") != expected)
        fuzz::Fail("adding keeps every line and appends the new one");
}

// The organize dialog: every line through its entry text and back, then the whole list
// written. A line without blanks comes back exactly.
void CheckOrganize(const std::vector<CString>& lines)
{
    std::vector<CString> written;
    for (const CString& line : lines) {
        const CString strBack = CFavoriteList::LineOfEntry(CFavoriteList::EntryText(line));
        const bool bPlain = line.Str().find(' ') == std::string::npos && line.Str().find("\x81\x40") == std::string::npos;
        if (bPlain && strBack != line)
            fuzz::Fail("a line without blanks survives the organize dialog");
        written.push_back(strBack);
    }
    if (!CFavoriteList::Write(written))
        fuzz::Fail("the list can be rewritten");
    if (ReadList("after the rewrite") != written)
        fuzz::Fail("a rewritten list reads back line for line");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv)
{
    fuzz::EnterScratchDir(pArgc, pArgv, "favorites");
    g_pDoc = fuzz::LoadFixedDay(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string bytes(reinterpret_cast<const char*>(pData), nSize);
    fuzz::WriteFile(kList, bytes);
    const std::vector<CString> lines = ReadList("first read");
    CheckRead(bytes, lines);
    CheckNamesFilledIn(lines);
    // A number that may or may not be in the list, and the key of the list's first line.
    CheckAdd("4320");
    const std::vector<CString> now = ReadList("after adding");
    if (!now.empty())
        CheckAdd(CFavoriteList::KeyText(now.front()));
    CheckOrganize(ReadList("before organizing"));
    return 0;
}
