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

// "Ｒ" and "  着 艇" in Shift-JIS: the race header mark of a program and the column heading
// of a result race.
constexpr char kRaceMark[] = "\x82\x71";
constexpr char kHeading[] = "  \x92\x85 \x92\xF8";

// True when the line holds the bytes of text from nPos on. Every line of a day goes through a
// few of these tests: with the text's length known here, each is one or two compares.
template <size_t N>
bool HasAt(const CString& line, size_t nPos, const char (&text)[N])
{
    const std::string& s = line.Str();
    return s.size() >= nPos + N - 1 && std::memcmp(s.data() + nPos, text, N - 1) == 0;
}

// At most nLength bytes of the line from nPos on, without a copy: thousands of lines are read
// for a few bytes each.
std::string_view Bytes(const CString& line, size_t nPos, size_t nLength)
{
    const std::string& s = line.Str();
    return nPos < s.size() ? std::string_view(s).substr(nPos, nLength) : std::string_view();
}

template <size_t N>
bool IsMarker(const CString& line, const char (&marker)[N])
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
    return static_cast<int>(LeadingInt(Bytes(line, 0, 2)).value_or(0));
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
    const auto nNumber = static_cast<int>(LeadingInt(Bytes(line, 2, 2)).value_or(0));
    return nNumber > nCounted ? std::min(nNumber, CKeluDoc::kRaces) : nCounted;
}

// A race's line in the payout summary of the block's preamble: "          10R  中　止", the
// race number right-aligned before an "R" at byte 12.
int SummaryRace(const CString& line)
{
    if (line.GetLength() < 13 || !HasAt(line, 12, "R"))
        return 0;
    const auto nNumber = static_cast<int>(LeadingInt(Bytes(line, 10, 2)).value_or(0));
    return nNumber >= 1 && nNumber < CKeluDoc::kRaces ? nNumber : 0;
}

// Returns the bytes copied.
[[gnu::always_inline]] inline size_t CopyLine(char (&slot)[CKeluDoc::kLineSize], const CString& line)
{
    // Lines over 82 bytes end the reading before they get here; the bound is kept anyway.
    const size_t n = std::min(static_cast<size_t>(line.GetLength()), sizeof slot - 1);
    // Sixteen bytes at a time: a day stores thousands of short lines, and the string copy a
    // compiler makes of a bounded length starts slowly for each of them.
    // The last block overlaps the one before it rather than ending in a byte loop.
    const char* pSource = line.GetString();
    if (n >= 16) {
        for (size_t i = 0; i + 16 < n; i += 16)
            std::memcpy(slot + i, pSource + i, 16);
        std::memcpy(slot + n - 16, pSource + n - 16, 16);
    } else if (n >= 8) {
        std::memcpy(slot, pSource, 8);
        std::memcpy(slot + n - 8, pSource + n - 8, 8);
    } else {
        for (size_t i = 0; i < n; ++i)
            slot[i] = pSource[i];
    }
    slot[n] = '\0';
    return n;
}

// The closing line of a published day file: a file that opens with "STARTB" ends with "FINALB".
bool IsClosingLine(const CString& line, char chKind)
{
    const std::string& s = line.Str();
    return s.size() == 6 && s.compare(0, 5, "FINAL") == 0 && s[5] == chKind;
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

[[gnu::always_inline]] inline void CKeluDoc::Fill(char (&slot)[kLineSize], const CString& line)
{
    const auto nLength = static_cast<unsigned char>(CopyLine(slot, line));
    CSlotState& state = StateOf(slot);
    if (state.nLength > nLength)
        std::memset(slot + nLength, 0, state.nLength - nLength);
    state.nLength = nLength;
    if (state.nReading != m_nReading) {
        state.nReading = m_nReading;
        m_filled.push_back(slot);
    }
}

void CKeluDoc::BeginReading()
{
    m_readStop = CReadStop();
    m_bDemoDay = false;
    m_previous.swap(m_filled);
    m_filled.clear();
    // Readings are told apart by a byte: at its wrap every slot's mark starts again.
    if (++m_nReading == 0) {
        for (CSlotState& state : m_slotStates)
            state.nReading = 0;
        m_nReading = 1;
    }
}

void CKeluDoc::EndReading()
{
    for (char* pSlot : m_previous) {
        CSlotState& state = StateOf(pSlot);
        if (state.nReading != m_nReading) {
            std::memset(pSlot, 0, state.nLength);
            state.nLength = 0;
        }
    }
    m_previous.clear();
}

bool CKeluDoc::LoadDay(const CTime& day)
{
    // As if every slot were cleared first.
    BeginReading();
    const bool bRead = ReadProgramFile(day) && ReadResultFile(day);
    EndReading();
    return bRead;
}

bool CKeluDoc::ReadProgramFile(const CTime& day)
{
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
            Fill(m_szVenueHead[nVenue][nHead++], line);
        } else if (line.GetLength() <= 6) {
            continue;
        } else if (HasAt(line, 4, kRaceMark)) {
            nRace = NextRace(nRace);
            if (nRace < kRaces)
                Fill(m_szProgram[nVenue][nRace][0], line);
        } else if (IsBoatLine(line) && nRace < kRaces) {
            Fill(m_szProgram[nVenue][nRace][line.Str()[0] - '0'], line);
        }
    }
    NoteReadStop(EndOfFileDamage(bInBlock, bPublished, bClosed), path, nLine, bInBlock ? nVenue : 0);
    return true;
}

bool CKeluDoc::ReadResultFile(const CTime& day)
{
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
                Fill(m_szSummary[nVenue][nSummary], line);
            continue;
        }
        // The order of these tests decides what a line is: a line with "R" at byte 4 is always
        // a race line, even among the six finishing lines.
        if (line.GetLength() >= 6 && HasAt(line, 4, "R")) {
            nRace = ResultRace(line, nRace);
            if (nRace < kRaces)
                Fill(m_szResult[nVenue][nRace][0], line);
        } else if (nRace >= kRaces) {
            continue; // a 13th race and its lines have no storage
        } else if (line.GetLength() >= 8 && HasAt(line, 0, kHeading)) {
            Fill(m_szResult[nVenue][nRace][1], line);
        } else if (line.GetLength() >= 8 && HasAt(line, 0, "-------")) {
            nFinish = kFinishLines;
            nText = kFirstFollowingSlot;
        } else if (nFinish > 0) {
            Fill(m_szFinish[nVenue][nRace][kFinishLines - nFinish], line);
            --nFinish;
        } else if (nText < kResultLines) {
            Fill(m_szResult[nVenue][nRace][nText++], line);
        }
    }
    NoteReadStop(EndOfFileDamage(bInBlock, bPublished, bClosed), path, nLine, bInBlock ? nVenue : 0);
    return true;
}
