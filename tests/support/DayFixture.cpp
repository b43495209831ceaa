#include "DayFixture.h"

#include "model/KeluDoc.h"
#include "platform/Sjis.h"

#include <cstdio>
#include <stdexcept>
#include <sys/stat.h>

namespace fixture {

namespace {

std::string FullWidthNumber(int n)
{
    static const char* const digits[] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    std::string out;
    for (char ch : std::to_string(n))
        out += digits[ch - '0'];
    return out;
}

std::string Two(int n)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

} // namespace

Line::Line(std::string_view utf8)
    : m_bytes(Utf8ToSjis(utf8))
{
}

Line& Line::Raw(int nPos, std::string_view bytes)
{
    PadTo(nPos);
    if (m_bytes.size() < static_cast<size_t>(nPos) + bytes.size())
        m_bytes.resize(static_cast<size_t>(nPos) + bytes.size(), ' ');
    m_bytes.replace(static_cast<size_t>(nPos), bytes.size(), bytes);
    return *this;
}

Line& Line::At(int nPos, std::string_view utf8)
{
    return Raw(nPos, Utf8ToSjis(utf8));
}

Line& Line::Right(int nPos, int nWidth, std::string_view utf8)
{
    const std::string bytes = Utf8ToSjis(utf8);
    const int n = static_cast<int>(bytes.size());
    if (n > nWidth)
        throw std::invalid_argument("fixture field wider than its slot: " + std::string(utf8));
    return Raw(nPos + nWidth - n, bytes);
}

Line& Line::PadTo(int nLength)
{
    if (m_bytes.size() < static_cast<size_t>(nLength))
        m_bytes.resize(static_cast<size_t>(nLength), ' ');
    return *this;
}

std::string ProgramLine(const Boat& b)
{
    Line l;
    l.At(0, std::to_string(b.boat))
        .At(2, b.regNo)
        .At(6, b.name)
        .At(14, b.age)
        .At(16, b.branch)
        .At(20, b.weight)
        .At(22, b.cls)
        .Right(24, 5, b.winRate)
        .Right(29, 6, b.twoRate)
        .Right(35, 5, b.localWin)
        .Right(40, 6, b.localTwo)
        .Right(46, 3, b.motorNo)
        .Right(49, 6, b.motorRate)
        .Right(55, 3, b.hullNo)
        .Right(58, 6, b.boatRate)
        .PadTo(65)
        .At(65, b.meet)
        .PadTo(77)
        .Right(77, 2, b.early.empty() ? "" : b.early);
    return l;
}

std::vector<Boat> StandardBoats(int nRace)
{
    std::vector<Boat> boats;
    for (int n = 1; n <= 6; ++n) {
        Boat b;
        b.boat = n;
        b.regNo = std::to_string(4001 + 10 * (nRace - 1) + (n - 1));
        boats.push_back(b);
    }
    return boats;
}

std::string RaceHeaderLine(int nRace, std::string_view title)
{
    const std::string number = FullWidthNumber(nRace);
    Line l;
    l.At(0, nRace < 10 ? "　" + number : number).At(4, "Ｒ").At(8, title).At(30, "Ｈ１８００ｍ");
    return l;
}

std::vector<std::string> VenueHeaderLines(int nVenue)
{
    const std::string name = SjisToUtf8(CKeluDoc::GetVenueName(nVenue).Str());
    std::vector<std::string> lines(10);
    // As published: the shortened meeting title in bytes 35..54, the day counter from byte 57.
    lines[0] = Line("ボートレース").At(12, name).At(35, "試験杯" + name).At(57, "第　４日");
    lines[2] = Line().At(28, "＊＊＊　番組表　＊＊＊");
    lines[4] = Line().At(10, "試験杯　" + name + "大会");
    lines[6] = Line().At(3, "第　４日").At(20, "２０２０年　１月　１日");
    return lines;
}

std::string ProgramFile(const std::vector<ProgramVenue>& venues)
{
    std::vector<std::string> lines{"STARTB"};
    for (const ProgramVenue& v : venues) {
        lines.push_back(v.marker.empty() ? Two(v.venue) + "BBGN" : v.marker);
        for (const std::string& h : VenueHeaderLines(v.venue))
            lines.push_back(h);
        for (const ProgramRace& r : v.races) {
            lines.push_back(RaceHeaderLine(r.race, r.title));
            lines.push_back(std::string(79, '-'));
            lines.push_back(Line("艇 選手 選手  年 支 体級    全国      当地"));
            lines.push_back(Line("番 登番  名   齢 部 重別 勝率  2率  勝率  2率"));
            lines.push_back(std::string(79, '-'));
            for (const Boat& b : r.boats.empty() ? StandardBoats(r.race) : r.boats)
                lines.push_back(ProgramLine(b));
            lines.push_back("");
        }
        if (v.bEnd)
            lines.push_back(Two(v.venue) + "BEND");
    }
    lines.push_back("FINALB");
    return JoinCrLf(lines);
}

std::string FinishLine(const Finish& f)
{
    Line l;
    l.At(2, f.place)
        .At(6, std::to_string(f.boat))
        .At(8, f.regNo)
        .At(13, f.surname)
        .Right(21, 8, f.givenName)
        .At(30, "46")
        .At(35, "36")
        .At(39, "6.80")
        .At(46, f.course)
        .Right(51, 4, f.start)
        .Right(60, 6, f.time);
    return l;
}

std::string ResultRaceLine(const ResultRace& r)
{
    Line l;
    l.Right(2, 2, std::to_string(r.race))
        .At(4, "R")
        .At(12, "一般")
        .At(41, "H1800m")
        .At(49, r.weather)
        .At(55, "風")
        .At(59, r.windDirection)
        .Right(63, 4, r.windSpeed)
        .At(67, "m")
        .At(70, "波")
        .Right(73, 4, r.waveHeight)
        .At(77, "cm");
    return l;
}

std::string HeadingLine(std::string_view move)
{
    Line l("  着 艇 登番 　選　手　名　　ﾓｰﾀｰ ﾎﾞｰﾄ 展示 進入 ｽﾀｰﾄﾀｲﾐﾝｸ ﾚｰｽﾀｲﾑ");
    l.At(66, move).PadTo(76);
    return l;
}

std::string RuleLine()
{
    return std::string(79, '-');
}

std::string WinLine(const ResultRace& r)
{
    Line l;
    if (r.bSpecialRefund)
        l.At(8, "単勝").At(20, "特払い").Right(29, 2, r.winPay).PadTo(33);
    else
        l.At(8, "単勝").At(17, r.winBoat).Right(24, 7, r.winPay).PadTo(33);
    return l;
}

std::string PlaceLine(const ResultRace& r)
{
    Line l;
    l.At(8, "複勝").At(17, r.placeBoat1).Right(24, 7, r.placePay1).PadTo(33);
    if (!r.placeBoat2.empty())
        l.At(33, r.placeBoat2).Right(42, 5, r.placePay2).PadTo(49);
    return l;
}

std::string ComboLine(std::string_view betName, const Combo& c)
{
    Line l;
    l.At(8, betName).At(17, c.combo).Right(24, 7, c.pay).At(35, "人気").Right(40, 3, c.popularity).PadTo(44);
    return l;
}

std::vector<std::string> ResultRaceLines(const ResultRace& r)
{
    std::vector<std::string> lines{ResultRaceLine(r), HeadingLine(r.move), RuleLine()};
    std::vector<Finish> finishes = r.finishes;
    if (finishes.empty()) {
        for (const Boat& b : StandardBoats(r.race)) {
            Finish f;
            f.place = Two(b.boat);
            f.boat = b.boat;
            f.regNo = b.regNo;
            f.course = std::to_string(b.boat);
            finishes.push_back(f);
        }
    }
    for (const Finish& f : finishes)
        lines.push_back(FinishLine(f));
    lines.push_back("");
    lines.push_back(WinLine(r));
    lines.push_back(PlaceLine(r));
    lines.push_back(ComboLine("２連単", r.exacta));
    lines.push_back(ComboLine("２連複", r.quinella));
    lines.push_back(ComboLine("拡連複", r.wide1));
    lines.push_back(ComboLine("", r.wide2));
    lines.push_back(ComboLine("", r.wide3));
    lines.push_back(ComboLine("３連単", r.trifecta));
    lines.push_back(ComboLine("３連複", r.trio));
    lines.push_back("");
    lines.push_back("");
    return lines;
}

std::string ResultFile(const std::vector<ResultVenue>& venues)
{
    std::vector<std::string> lines{"STARTK"};
    for (const ResultVenue& v : venues) {
        lines.push_back(Two(v.venue) + "KBGN");
        for (int i = 0; i < v.preambleLines; ++i)
            lines.push_back(i == 0 ? std::string(Line("試験［成績］")) : std::string());
        for (const ResultRace& r : v.races)
            for (const std::string& l : ResultRaceLines(r))
                lines.push_back(l);
        if (v.bEnd)
            lines.push_back(Two(v.venue) + "KEND");
    }
    lines.push_back("FINALK");
    return JoinCrLf(lines);
}

std::vector<std::string> RawProgramBlock(std::string_view code, const std::vector<std::string>& body, bool bEnd)
{
    std::vector<std::string> lines{std::string(code) + "BBGN"};
    for (int i = 0; i < 10; ++i)
        lines.push_back(std::string(code) + " head " + std::to_string(i));
    lines.insert(lines.end(), body.begin(), body.end());
    if (bEnd)
        lines.push_back(std::string(code) + "BEND");
    return lines;
}

std::vector<std::string> RawResultBlock(std::string_view code, const std::vector<std::string>& body,
                                        int preambleLines, bool bEnd)
{
    std::vector<std::string> lines{std::string(code) + "KBGN"};
    for (int i = 0; i < preambleLines; ++i)
        lines.push_back(std::string(code) + " pre " + std::to_string(i));
    lines.insert(lines.end(), body.begin(), body.end());
    if (bEnd)
        lines.push_back(std::string(code) + "KEND");
    return lines;
}

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> lines;
    for (const std::vector<std::string>& part : parts)
        lines.insert(lines.end(), part.begin(), part.end());
    return lines;
}

std::string JoinCrLf(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& l : lines)
        out += l + "\r\n";
    return out;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    mkdir("data", 0755);
    mkdir("data/prog", 0755);
    mkdir("data/res", 0755);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot write fixture " + path);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

void WriteProgramFile(const CTime& day, const std::string& bytes)
{
    WriteFile(CKeluDoc::ProgramFileName(day).Str(), bytes);
}

void WriteResultFile(const CTime& day, const std::string& bytes)
{
    WriteFile(CKeluDoc::ResultFileName(day).Str(), bytes);
}

void WriteStandardDay(const CTime& day, const std::vector<int>& venues, int nRaces)
{
    std::vector<ProgramVenue> programs;
    std::vector<ResultVenue> results;
    for (int v : venues) {
        ProgramVenue& p = programs.emplace_back();
        ResultVenue& r = results.emplace_back();
        p.venue = r.venue = v;
        for (int n = 1; n <= nRaces; ++n) {
            p.races.emplace_back().race = n;
            r.races.emplace_back().race = n;
        }
    }
    WriteProgramFile(day, ProgramFile(programs));
    WriteResultFile(day, ResultFile(results));
}

} // namespace fixture
