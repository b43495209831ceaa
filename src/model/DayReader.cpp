// Reading a day's two files into the document's slots.
//
// Both files are Shift-JIS text in venue blocks: a line "NNxBGN" opens the block of venue NN,
// a line "NNxEND" closes it. What is stored, and where, is decided line by line by position
// tests on the raw bytes; nothing is parsed into numbers.

#include "model/KeluDoc.h"

#include "platform/Number.h"
#include "platform/Sjis.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr int kProgramHeadLines = 10;
constexpr int kResultPreambleLines = 26;
constexpr int kFinishLines = 6;
constexpr int kFirstFollowingSlot = 2;

// True when the line holds the bytes of text from nPos on. Every line of a day goes through a
// few of these tests; most fail at their first byte, so a plain loop beats a call to compare.
bool HasAt(const CString& line, size_t nPos, std::string_view text)
{
    const std::string& s = line.Str();
    if (s.size() < nPos + text.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (s[nPos + i] != text[i])
            return false;
    }
    return true;
}

bool IsMarker(const CString& line, std::string_view marker)
{
    return line.GetLength() >= 6 && HasAt(line, 3, marker);
}

// A boat's entry line: the boat number 1..6 in byte 0, a blank in byte 1.
bool IsBoatLine(const CString& line)
{
    const std::string& s = line.Str();
    return s.size() >= 2 && s[1] == ' ' && s[0] >= '1' && s[0] <= '6';
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

// The count of race lines in a block. Every race from the 13th on has no slot, so the count
// stops there: a block of endless race lines can neither overflow it nor reach a slot again.
int NextRace(int nRace)
{
    return nRace < CKeluDoc::kRaces ? nRace + 1 : CKeluDoc::kRaces;
}

// The race a result race line belongs to. Races are counted in the order of the file, but a
// line whose own number ("  11R", bytes 2..3) lies further on jumps there: a race cancelled
// before the others has no section, and must not hand its number to the next race.
int ResultRace(const CString& line, int nLast)
{
    const int nCounted = NextRace(nLast);
    const int nNumber = AtoI(line.Mid(2, 2));
    return nNumber > nCounted ? std::min(nNumber, CKeluDoc::kRaces) : nCounted;
}

// A race's line in the payout summary of the block's preamble: "          10R  中　止", the
// race number right-aligned before an "R" at byte 12.
int SummaryRace(const CString& line)
{
    if (line.GetLength() < 13 || !HasAt(line, 12, "R"))
        return 0;
    const int nNumber = AtoI(line.Mid(10, 2));
    return nNumber >= 1 && nNumber < CKeluDoc::kRaces ? nNumber : 0;
}

void CopyLine(char (&slot)[CKeluDoc::kLineSize], const CString& line)
{
    // Lines over 82 bytes end the reading before they get here; the bound is kept anyway.
    const size_t n = std::min(static_cast<size_t>(line.GetLength()), sizeof slot - 1);
    std::memcpy(slot, line.GetString(), n);
    slot[n] = '\0';
}

// The closing line of a published day file: a file that opens with "STARTB" ends with "FINALB".
bool IsClosingLine(const CString& line, char chKind)
{
    return line.Str() == std::string("FINAL") + chKind;
}

// How a file that was read to its end may still be damaged: cut inside a venue block, or cut
// after one when it began as a published file does.
CReadStop::EKind EndOfFileDamage(bool bInBlock, bool bPublished, bool bClosed)
{
    if (bInBlock || (bPublished && !bClosed))
        return CReadStop::EKind::Truncated;
    return CReadStop::EKind::None;
}

} // namespace

void CKeluDoc::NoteReadStop(CReadStop::EKind kind, const CString& strFile, int nLine, int nVenue)
{
    // The first damage found is the one the user needs to hear of: the program file's hides
    // the results too.
    if (kind == CReadStop::EKind::None || IsDamaged())
        return;
    m_readStop.kind = kind;
    m_readStop.strFile = strFile;
    m_readStop.nLine = nLine;
    m_readStop.nVenue = IsStoredVenue(nVenue) ? nVenue : 0;
}

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
    int nLine = 0;
    bool bPublished = false;
    bool bClosed = false;
    CString line;
    while (file.ReadString(line)) {
        ++nLine;
        if (line.GetLength() > kMaxLineLength) {
            NoteReadStop(CReadStop::EKind::LineTooLong, path, nLine, bInBlock ? nVenue : 0);
            return true;
        }
        if (nLine == 1)
            bPublished = line.Str() == "STARTB";
        if (!bInBlock) {
            if (line.Str() == kDemoDayMark)
                m_bDemoDay = true;
            bClosed = IsClosingLine(line, 'B') || (bClosed && line.IsEmpty());
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
        } else if (HasAt(line, 4, kRaceMark.Str())) {
            nRace = NextRace(nRace);
            if (nRace < kRaces)
                CopyLine(m_szProgram[nVenue][nRace][0], line);
        } else if (IsBoatLine(line) && nRace < kRaces) {
            CopyLine(m_szProgram[nVenue][nRace][line.Str()[0] - '0'], line);
        }
    }
    NoteReadStop(EndOfFileDamage(bInBlock, bPublished, bClosed), path, nLine, bInBlock ? nVenue : 0);
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
    int nLine = 0;
    bool bPublished = false;
    bool bClosed = false;
    CString line;
    while (file.ReadString(line)) {
        ++nLine;
        if (line.GetLength() > kMaxLineLength) {
            NoteReadStop(CReadStop::EKind::LineTooLong, path, nLine, bInBlock ? nVenue : 0);
            return true;
        }
        if (nLine == 1)
            bPublished = line.Str() == "STARTK";
        if (!bInBlock) {
            bClosed = IsClosingLine(line, 'K') || (bClosed && line.IsEmpty());
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
            if (const int nSummary = SummaryRace(line))
                CopyLine(m_szSummary[nVenue][nSummary], line);
            continue;
        }
        // The order of these tests decides what a line is: a line with "R" at byte 4 is always
        // a race line, even among the six finishing lines.
        if (line.GetLength() >= 6 && HasAt(line, 4, "R")) {
            nRace = ResultRace(line, nRace);
            if (nRace < kRaces)
                CopyLine(m_szResult[nVenue][nRace][0], line);
        } else if (nRace >= kRaces) {
            continue; // a 13th race and its lines have no storage
        } else if (line.GetLength() >= 8 && HasAt(line, 0, kHeading.Str())) {
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
    NoteReadStop(EndOfFileDamage(bInBlock, bPublished, bClosed), path, nLine, bInBlock ? nVenue : 0);
    return true;
}
