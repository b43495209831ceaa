// Reading a day's two files into the document's slots.
//
// Both files are Shift-JIS text in venue blocks: a line "NNxBGN" opens the block of venue NN,
// a line "NNxEND" closes it. What is stored, and where, is decided line by line by position
// tests on the raw bytes; nothing is parsed into numbers.

#include "model/KeluDoc.h"

#include "platform/Number.h"
#include "platform/Sjis.h"
#include "platform/TextFile.h"

#include <cstring>

namespace {

constexpr int kProgramHeadLines = 10;
constexpr int kResultPreambleLines = 26;
constexpr int kFinishLines = 6;
constexpr int kFirstFollowingSlot = 2;

bool HasAt(const CString& line, int nPos, const char* psz)
{
    const size_t n = std::strlen(psz);
    return line.GetLength() >= nPos + static_cast<int>(n) &&
           line.Str().compare(static_cast<size_t>(nPos), n, psz) == 0;
}

bool IsMarker(const CString& line, const char* pszMarker)
{
    return line.GetLength() >= 6 && HasAt(line, 3, pszMarker);
}

// The venue of a start marker: the decimal value of bytes 0..1 (no digits gives 0).
int MarkerVenue(const CString& line)
{
    return AtoI(line.Left(2));
}

bool IsStoredVenue(int nVenue)
{
    return nVenue > 0 && nVenue < CKeluDoc::kVenues;
}

void CopyLine(char (&slot)[CKeluDoc::kLineSize], const CString& line)
{
    // Lines over 82 bytes end the reading before they get here; the bound is kept anyway.
    const size_t n = std::min(static_cast<size_t>(line.GetLength()), sizeof slot - 1);
    std::memcpy(slot, line.GetString(), n);
    slot[n] = '\0';
}

} // namespace

CString CKeluDoc::ProgramFileName(const CTime& day)
{
    if (day.Format("%y/%m/%d").IsEmpty())
        return CString();
    return CString::Formatted("data/prog/B%02d%02d%02d.TXT", day.GetYear() % 100, day.GetMonth(), day.GetDay());
}

CString CKeluDoc::ResultFileName(const CTime& day)
{
    if (day.Format("%y/%m/%d").IsEmpty())
        return CString();
    return CString::Formatted("data/res/K%02d%02d%02d.TXT", day.GetYear() % 100, day.GetMonth(), day.GetDay());
}

bool CKeluDoc::LoadDay(const CTime& day)
{
    ClearData();
    if (!ReadProgramFile(day))
        return false;
    return ReadResultFile(day);
}

bool CKeluDoc::ReadProgramFile(const CTime& day)
{
    static const CString kRaceMark = Sjis("Ｒ");
    const CString path = ProgramFileName(day);
    CTextFile file;
    if (path.IsEmpty() || !file.Open(path.GetString(), CTextFile::modeRead))
        return false;

    bool bInBlock = false;
    int nVenue = 0;
    int nHead = 0;
    int nRace = 0;
    CString line;
    while (file.ReadString(line)) {
        if (line.GetLength() > kMaxLineLength)
            break;
        if (!bInBlock) {
            if (IsMarker(line, "BGN")) {
                bInBlock = true;
                nVenue = MarkerVenue(line);
                nHead = 0;
                nRace = 0;
            }
            continue;
        }
        if (IsMarker(line, "END")) {
            bInBlock = false;
            continue;
        }
        if (!IsStoredVenue(nVenue))
            continue;
        if (nHead < kProgramHeadLines) {
            CopyLine(m_szVenueHead[nVenue][nHead++], line);
        } else if (line.GetLength() <= 6) {
            continue;
        } else if (HasAt(line, 4, kRaceMark.GetString())) {
            if (++nRace < kRaces)
                CopyLine(m_szProgram[nVenue][nRace][0], line);
        } else if (line[1] == ' ' && line[0] >= '1' && line[0] <= '6' && nRace < kRaces) {
            CopyLine(m_szProgram[nVenue][nRace][line[0] - '0'], line);
        }
    }
    return true;
}

bool CKeluDoc::ReadResultFile(const CTime& day)
{
    static const CString kHeading = Sjis("  着 艇");
    const CString path = ResultFileName(day);
    CTextFile file;
    if (path.IsEmpty() || !file.Open(path.GetString(), CTextFile::modeRead))
        return false;

    bool bInBlock = false;
    int nVenue = 0;
    int nPreamble = 0;
    int nRace = 0;
    int nFinish = 0;
    // The index of the next following line; it carries over the whole file and only a rule
    // line sets it back, so nothing is stored before the first rule line.
    int nText = kResultLines;
    CString line;
    while (file.ReadString(line)) {
        if (line.GetLength() > kMaxLineLength)
            break;
        if (!bInBlock) {
            if (IsMarker(line, "BGN")) {
                bInBlock = true;
                nVenue = MarkerVenue(line);
                nPreamble = 0;
                nRace = 0;
                nFinish = 0;
            }
            continue;
        }
        if (IsMarker(line, "END")) {
            bInBlock = false;
            continue;
        }
        if (!IsStoredVenue(nVenue))
            continue;
        if (nPreamble < kResultPreambleLines) {
            ++nPreamble;
            continue;
        }
        // The order of these tests decides what a line is: a line with "R" at byte 4 is always
        // a race line, even among the six finishing lines.
        if (line.GetLength() >= 6 && line[4] == 'R') {
            if (++nRace < kRaces)
                CopyLine(m_szResult[nVenue][nRace][0], line);
        } else if (nRace >= kRaces) {
            continue; // a 13th race and its lines have no storage
        } else if (line.GetLength() >= 8 && HasAt(line, 0, kHeading.GetString())) {
            CopyLine(m_szResult[nVenue][nRace][1], line);
        } else if (line.GetLength() >= 8 && HasAt(line, 0, "-------")) {
            nFinish = kFinishLines;
            nText = kFirstFollowingSlot;
        } else if (nFinish > 0) {
            CopyLine(m_szFinish[nVenue][nRace][kFinishLines - nFinish], line);
            --nFinish;
        } else if (nText < kResultLines) {
            CopyLine(m_szResult[nVenue][nRace][nText++], line);
        }
    }
    return true;
}
