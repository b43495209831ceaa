#pragma once
// Builds day files the way the published ones are laid out, with every field at its byte
// position, so that a test says "boat 3 has class A1 and win rate 6.50" instead of counting
// blanks. Texts are given in UTF-8 and written in Shift-JIS.
//
// The layout follows the real files: program lines as "1 4164岩永節也37長崎51B1 3.62 15.31 ...",
// result blocks with a 26-line preamble, finishing lines, payout lines.

#include "platform/Time.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace fixture {

// One line under construction, in Shift-JIS bytes.
class Line {
public:
    Line() = default;
    explicit Line(std::string_view utf8);
    // Writes the text with its first byte at nPos, padding with blanks up to nPos.
    Line& At(int nPos, std::string_view utf8);
    // Writes the text right-aligned in the nWidth bytes from nPos.
    Line& Right(int nPos, int nWidth, std::string_view utf8);
    // Writes raw bytes (already Shift-JIS, or junk) at nPos.
    Line& Raw(int nPos, std::string_view bytes);
    // Pads with blanks to nLength bytes.
    Line& PadTo(int nLength);
    const std::string& Bytes() const { return m_bytes; }
    int Length() const { return static_cast<int>(m_bytes.size()); }
    operator const std::string&() const { return m_bytes; }

private:
    std::string m_bytes;
};

// One boat of a race program, with the published widths of each field.
struct Boat {
    int boat = 1;
    std::string regNo = "4000";
    std::string name = "試験太郎";  // 8 bytes in Shift-JIS
    std::string age = "30";
    std::string branch = "東京";
    std::string weight = "52";
    std::string cls = "B1";
    std::string winRate = "5.00";    // right-aligned in bytes 24..28
    std::string twoRate = "30.00";   // right-aligned in bytes 29..34
    std::string localWin = "5.00";   // 35..39
    std::string localTwo = "30.00";  // 40..45
    std::string motorNo = "10";      // 46..48
    std::string motorRate = "35.00"; // 49..54
    std::string hullNo = "20";       // 55..57
    std::string boatRate = "35.00";  // 58..63
    std::string meet;                // left-aligned in bytes 65..76
    std::string early;               // right-aligned in bytes 77..78
};
std::string ProgramLine(const Boat& b);

struct ProgramRace {
    int race = 1;
    std::string title = "一般";
    std::vector<Boat> boats; // six standard boats when left empty
};

struct ProgramVenue {
    int venue = 1;
    std::vector<ProgramRace> races;
    std::string marker; // "" gives "NNBBGN"
    bool bEnd = true;   // write the end marker
};

// Six boats with registration numbers 4001 + 10 * (race - 1) + (boat - 1) and class B1.
std::vector<Boat> StandardBoats(int nRace);
// Race header "　１Ｒ  一般 ..." with the full-width race number at bytes 0..3 and "Ｒ" at 4..5.
std::string RaceHeaderLine(int nRace, std::string_view title = "一般");
// The ten venue header lines; line 0 carries a meeting title in bytes 35..54 and the day counter
// from byte 57 on, as the published files do; line 4 the meeting's name.
std::vector<std::string> VenueHeaderLines(int nVenue);
// A whole program file: "STARTB", the venue blocks, "FINALB".
std::string ProgramFile(const std::vector<ProgramVenue>& venues);

// One finishing line of a race result.
struct Finish {
    std::string place = "01";
    int boat = 1;
    std::string regNo = "4000";
    std::string surname = "試　験";   // bytes 13..20, left-aligned
    std::string givenName = "太　郎"; // bytes 21..28, right-aligned
    std::string course = "1";         // byte 46
    std::string start = "0.15";       // bytes 51..54
    std::string time = "1.50.0";      // bytes 60..65
};
std::string FinishLine(const Finish& f);

struct Combo {
    std::string combo; // "1-2", "1-2-3"; empty for a line the race does not have
    std::string pay;
    std::string popularity;
};

struct ResultRace {
    int race = 1;
    std::string weather = "晴";
    std::string windDirection = "北　";
    std::string windSpeed = "2";
    std::string waveHeight = "1";
    std::string move = "逃げ";
    std::vector<Finish> finishes; // taken from the standard boats in boat order when empty
    std::string winBoat = "1";
    std::string winPay = "150";
    std::string placeBoat1 = "1", placePay1 = "110", placeBoat2 = "2", placePay2 = "130";
    Combo exacta{"1-2", "500", "1"};
    Combo quinella{"1-2", "300", "1"};
    Combo wide1{"1-2", "200", "1"}, wide2{"1-3", "250", "2"}, wide3{"2-3", "400", "3"};
    Combo trifecta{"1-2-3", "1200", "1"};
    Combo trio{"1-2-3", "500", "1"};
    bool bSpecialRefund = false; // the win line reads "特払い" with winPay as its amount
};

struct ResultVenue {
    int venue = 1;
    std::vector<ResultRace> races;
    int preambleLines = 26;
    bool bEnd = true;
};

std::string ResultRaceLine(const ResultRace& r);
std::string HeadingLine(std::string_view move);
std::string RuleLine();
std::string WinLine(const ResultRace& r);
std::string PlaceLine(const ResultRace& r);
// A combination payout line: bet name at byte 8, combination at 17, payout right-aligned in
// 24..30, "人気" at 35, popularity right-aligned in 40..42, a blank: 44 bytes in all.
std::string ComboLine(std::string_view betName, const Combo& c);
// The lines of one race from its race line to the last payout line.
std::vector<std::string> ResultRaceLines(const ResultRace& r);
std::string ResultFile(const std::vector<ResultVenue>& venues);

// Raw venue blocks for files that break the published layout: the start marker "<code>BBGN"
// (or "<code>KBGN"), the header lines "<code> head <i>" (ten) or the preamble lines
// "<code> pre <i>", the body as given, and the end marker unless bEnd is false.
std::vector<std::string> RawProgramBlock(std::string_view code, const std::vector<std::string>& body,
                                         bool bEnd = true);
std::vector<std::string> RawResultBlock(std::string_view code, const std::vector<std::string>& body,
                                        int preambleLines = 26, bool bEnd = true);
// The lines of several pieces one after the other.
std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts);

// The program and result files of a day at the venues, each with races 1..nRaces of six
// standard boats and their results.
void WriteStandardDay(const CTime& day, const std::vector<int>& venues, int nRaces = 12);

// Joins lines with CR LF, the published line end.
std::string JoinCrLf(const std::vector<std::string>& lines);
// Writes bytes to a file, creating the data folders first.
void WriteFile(const std::string& path, const std::string& bytes);
void WriteProgramFile(const CTime& day, const std::string& bytes);
void WriteResultFile(const CTime& day, const std::string& bytes);

} // namespace fixture
