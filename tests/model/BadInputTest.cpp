// Day files that are damaged, truncated or not day files at all: loading them must never crash,
// never write outside the slot a line belongs in, and leave every slot a terminated line.

#include "DayFixture.h"
#include "DocSlots.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

using Lines = std::vector<std::string>;
using fixture::Concat;

const CTime kDay(2020, 1, 1, 12, 0, 0);

// Every slot of the array holds at most 82 bytes of text, then its NUL, then zeros: nothing
// longer was ever stored and no copy ran over into the rest of the slot.
template <typename Array>
void ExpectSlotsSound(const Array& a, const char* pszName)
{
    const char* p = reinterpret_cast<const char*>(&a);
    for (size_t off = 0; off < sizeof a; off += CKeluDoc::kLineSize) {
        const char* slot = p + off;
        ASSERT_LE(strnlen(slot, CKeluDoc::kLineSize), static_cast<size_t>(CKeluDoc::kMaxLineLength))
            << pszName << " slot " << off / CKeluDoc::kLineSize;
        ASSERT_TRUE(std::all_of(slot + CKeluDoc::kMaxLineLength + 1, slot + CKeluDoc::kLineSize,
                                [](char ch) { return ch == 0; }))
            << pszName << " slot " << off / CKeluDoc::kLineSize;
    }
}

// The slots no line may ever reach: venue 0, race 0's header, header lines 10..12 and the
// seventh finishing line.
void ExpectUnusedSlotsEmpty(const CKeluDoc& doc)
{
    EXPECT_TRUE(AllZero(doc.m_szProgram[0]));
    EXPECT_TRUE(AllZero(doc.m_szVenueHead[0]));
    EXPECT_TRUE(AllZero(doc.m_szResult[0]));
    EXPECT_TRUE(AllZero(doc.m_szFinish[0]));
    for (int v = 1; v < CKeluDoc::kVenues; ++v) {
        EXPECT_TRUE(AllZero(doc.m_szProgram[v][0][0])) << "venue " << v;
        for (int h = 10; h < CKeluDoc::kHeadLines; ++h)
            EXPECT_TRUE(AllZero(doc.m_szVenueHead[v][h])) << "venue " << v;
        for (int r = 0; r < CKeluDoc::kRaces; ++r)
            EXPECT_TRUE(AllZero(doc.m_szFinish[v][r][6])) << "venue " << v << " race " << r;
    }
}

// Reads every line through the accessors, for every selection in and around the day.
void ReadEverything(CKeluDoc& doc)
{
    for (int v = -1; v <= CKeluDoc::kVenues + 1; ++v) {
        for (int r = -1; r <= CKeluDoc::kRaces + 1; ++r) {
            doc.ClearSelection();
            doc.SetSelection(v, r);
            for (int n = -1; n <= 13; ++n) {
                EXPECT_LE(doc.GetProgramLine(n).GetLength(), CKeluDoc::kMaxLineLength);
                EXPECT_LE(doc.GetFinishLine(n).GetLength(), CKeluDoc::kMaxLineLength);
                EXPECT_LE(doc.GetResultLine(n).GetLength(), CKeluDoc::kMaxLineLength);
            }
            EXPECT_LE(doc.GetRaceTitle().GetLength(), 1 + CKeluDoc::kMaxLineLength);
            EXPECT_LE(doc.GetVenueTitle().GetLength(), 1 + 2 * CKeluDoc::kMaxLineLength);
        }
    }
}

// Loads whatever lies in the day's files and checks the document is sound.
std::unique_ptr<CKeluDoc> LoadSound(bool bExpectLoaded = true)
{
    auto doc = std::make_unique<CKeluDoc>();
    EXPECT_EQ(doc->LoadDay(kDay), bExpectLoaded);
    ExpectSlotsSound(doc->m_szProgram, "program");
    ExpectSlotsSound(doc->m_szVenueHead, "venue header");
    ExpectSlotsSound(doc->m_szResult, "result");
    ExpectSlotsSound(doc->m_szFinish, "finish");
    ExpectUnusedSlotsEmpty(*doc);
    ReadEverything(*doc);
    return doc;
}

void WriteBytes(const std::string& program, const std::string& result)
{
    fixture::WriteProgramFile(kDay, program);
    fixture::WriteResultFile(kDay, result);
}

Lines ProgramRaces(int nFrom, int nTo)
{
    Lines lines;
    for (int n = nFrom; n <= nTo; ++n) {
        lines.push_back(fixture::RaceHeaderLine(n));
        for (const fixture::Boat& b : fixture::StandardBoats(n))
            lines.push_back(fixture::ProgramLine(b));
    }
    return lines;
}

Lines ResultRaces(int nFrom, int nTo)
{
    Lines lines;
    for (int n = nFrom; n <= nTo; ++n) {
        fixture::ResultRace r;
        r.race = n;
        lines = Concat({lines, fixture::ResultRaceLines(r)});
    }
    return lines;
}

bool DayIsEmpty(const CKeluDoc& doc)
{
    return AllZero(doc.m_szProgram) && AllZero(doc.m_szVenueHead) && AllZero(doc.m_szResult) &&
           AllZero(doc.m_szFinish);
}

} // namespace

TEST(BadInputTest, EmptyFilesAndOneHugeLine)
{
    WriteBytes("", "");
    EXPECT_TRUE(DayIsEmpty(*LoadSound()));

    WriteBytes("\r\n\r\n\n\r", "\n");
    EXPECT_TRUE(DayIsEmpty(*LoadSound()));

    // Megabytes without a line end, once alone and once after a good venue block.
    const std::string huge(4 << 20, 'R');
    WriteBytes(huge, huge);
    EXPECT_TRUE(DayIsEmpty(*LoadSound()));
    WriteBytes(fixture::JoinCrLf(fixture::RawProgramBlock("01", ProgramRaces(1, 1))) + huge,
               fixture::JoinCrLf(fixture::RawResultBlock("01", ResultRaces(1, 1))) + "01KBGN" + huge);
    auto doc = LoadSound();
    EXPECT_TRUE(doc->HasRace(1, 1));
    EXPECT_FALSE(Slot(doc->m_szFinish[1][1][5]).empty());
}

TEST(BadInputTest, BinaryJunk)
{
    // The bytes that the readers test for, mixed with anything at all.
    const std::string interesting = std::string("RBGNEND -0123456789\r\n\0", 22) + "\x82\x71\x81\x40\x92\xE0\xFC";
    std::mt19937 rng(20200101);
    auto junkLine = [&](int nMaxLength) {
        std::string line(std::uniform_int_distribution<int>(0, nMaxLength)(rng), ' ');
        for (char& ch : line)
            ch = rng() % 2 ? interesting[rng() % interesting.size()] : static_cast<char>(rng() % 256);
        return line;
    };
    // Now and then a line of the real shapes, so that the readers get deep into their states.
    auto programLine = [&](const std::string& code) {
        const unsigned pick = rng() % 40;
        if (pick == 0)
            return code + "BBGN";
        if (pick == 1)
            return code + "BEND";
        if (pick < 4)
            return fixture::RaceHeaderLine(static_cast<int>(rng() % 15) + 1);
        if (pick < 10) {
            fixture::Boat b;
            b.boat = static_cast<int>(rng() % 6) + 1;
            return fixture::ProgramLine(b);
        }
        return junkLine(rng() % 100 ? 82 : 200);
    };
    auto resultLine = [&](const std::string& code) {
        const unsigned pick = rng() % 40;
        fixture::ResultRace r;
        r.race = static_cast<int>(rng() % 15) + 1;
        if (pick == 0)
            return code + "KBGN";
        if (pick == 1)
            return code + "KEND";
        if (pick < 4)
            return fixture::ResultRaceLine(r);
        if (pick < 6)
            return fixture::HeadingLine("逃げ");
        if (pick < 8)
            return fixture::RuleLine();
        return junkLine(rng() % 100 ? 82 : 200);
    };
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        std::string program;
        std::string result;
        if (round % 4 == 0) {
            program = junkLine(1 << 16);
            result = junkLine(1 << 16);
        } else {
            // Venues in and out of range, with and without their end markers.
            for (int n = 0; n < 3000; ++n) {
                const int v = static_cast<int>(rng() % 27);
                const std::string code{static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
                program += programLine(code) + "\r\n";
                result += resultLine(code) + "\r\n";
            }
        }
        WriteBytes(program, result);
        LoadSound();
        if (HasFatalFailure())
            return;
    }
}

TEST(BadInputTest, LinesAtEveryLengthLimit)
{
    // 5 bytes "   1R" is no race line, 6 bytes is; 7 bytes "  着 艇" and "-------" are no
    // heading and no rule, 8 bytes are; the first finishing line is 7 dashes; 82 bytes is a line,
    // 83 bytes ends the file.
    const std::string heading7 = Sj("  着 艇");
    ASSERT_EQ(heading7.size(), 7u);
    const std::string following82 = std::string(81, '=') + "!";
    WriteBytes(fixture::JoinCrLf(fixture::RawProgramBlock("01", ProgramRaces(1, 1))),
               fixture::JoinCrLf(fixture::RawResultBlock("01", {"   1R", "   1R ", heading7 + " ", heading7, "-------",
                                                                "--------", "-------", "F2", "F3", "F4", "F5", "F6",
                                                                following82, std::string(83, '-'), "   2R  after"})));
    auto doc = LoadSound();
    EXPECT_TRUE(AllZero(doc->m_szResult[1][0]));
    EXPECT_EQ(Slot(doc->m_szResult[1][1][0]), "   1R ");
    EXPECT_EQ(Slot(doc->m_szResult[1][1][1]), heading7 + " ");
    EXPECT_EQ(Slot(doc->m_szFinish[1][1][0]), "-------");
    EXPECT_EQ(Slot(doc->m_szFinish[1][1][5]), "F6");
    EXPECT_EQ(Slot(doc->m_szResult[1][1][2]), following82);
    EXPECT_TRUE(AllZero(doc->m_szResult[1][2]));

    // Header lines too: a line of 83 bytes ends the program, the results are still read.
    WriteBytes(fixture::JoinCrLf({"02BBGN", std::string(82, 'h'), std::string(83, 'h'), "h2", "02BEND"}),
               fixture::JoinCrLf(fixture::RawResultBlock("02", ResultRaces(1, 1))));
    doc = LoadSound();
    EXPECT_EQ(Slot(doc->m_szVenueHead[2][0]), std::string(82, 'h'));
    EXPECT_TRUE(AllZero(doc->m_szVenueHead[2][1]));
    EXPECT_FALSE(Slot(doc->m_szResult[2][1][0]).empty());
}

TEST(BadInputTest, VenueCodesOutsideTheDay)
{
    Lines program;
    Lines result;
    for (const char* code : {"00", "25", "99", "ab", "-1", "+0"}) {
        program = Concat({program, fixture::RawProgramBlock(code, ProgramRaces(1, 12))});
        result = Concat({result, fixture::RawResultBlock(code, ResultRaces(1, 12))});
    }
    // Each of those blocks ends with its end marker, so the good block after them is read.
    program = Concat({program, fixture::RawProgramBlock("24", ProgramRaces(1, 1))});
    result = Concat({result, fixture::RawResultBlock("24", ResultRaces(1, 1))});
    WriteBytes(fixture::JoinCrLf(program), fixture::JoinCrLf(result));
    auto doc = LoadSound();
    for (int v = 1; v < 24; ++v) {
        EXPECT_TRUE(AllZero(doc->m_szProgram[v])) << "venue " << v;
        EXPECT_TRUE(AllZero(doc->m_szResult[v])) << "venue " << v;
    }
    EXPECT_TRUE(doc->HasRace(24, 1));
    EXPECT_FALSE(doc->HasRace(24, 2));
    EXPECT_FALSE(Slot(doc->m_szFinish[24][1][0]).empty());
    EXPECT_TRUE(AllZero(doc->m_szFinish[24][2]));
}

TEST(BadInputTest, EndlessRacesAndUnfinishedBlocks)
{
    // Forty races in a block that never ends, and a result file that stops inside a preamble.
    WriteBytes(fixture::JoinCrLf(fixture::RawProgramBlock("23", ProgramRaces(1, 40), false)),
               fixture::JoinCrLf(Concat({fixture::RawResultBlock("23", ResultRaces(1, 40), 26, false),
                                         {"23KEND", "24KBGN", "pre 0", "pre 1"}})));
    auto doc = LoadSound();
    EXPECT_EQ(Slot(doc->m_szProgram[23][12][0]), fixture::RaceHeaderLine(12));
    EXPECT_EQ(Slot(doc->m_szProgram[23][12][1]), fixture::ProgramLine(fixture::StandardBoats(12)[0]));
    EXPECT_TRUE(AllZero(doc->m_szProgram[24]));
    EXPECT_TRUE(AllZero(doc->m_szResult[24]));
    EXPECT_TRUE(AllZero(doc->m_szFinish[24]));
    fixture::ResultRace race12;
    race12.race = 12;
    EXPECT_EQ(Slot(doc->m_szFinish[23][12][0]), fixture::ResultRaceLines(race12)[3]);
    EXPECT_EQ(Slot(doc->m_szResult[23][12][0]), fixture::ResultRaceLine(race12));
}

TEST(BadInputTest, ShiftJisLeadByteAtTheEndOfALineOrField)
{
    // Byte 2 of a marker is not looked at, even when it starts a double-byte character.
    const std::string header0 = std::string(55, ' ') + "\x82";   // the heading field is one lead byte
    const std::string race = Sj("　１Ｒ") + "\x82";              // 7 bytes, the last a lead byte
    const std::string boat = "1 4000\x83";
    const std::string finish = fixture::Line("  01  1 4000 ").Raw(13, "\x8E\x8E\x8C\x9F\x20\x82").Bytes();
    WriteBytes(fixture::JoinCrLf({"05\x82" "BGN", header0, "", "", "", "\x81", "", "", "", "", "", race, boat, "05BEND"}),
               fixture::JoinCrLf(fixture::RawResultBlock(
                   "05", {"   1R \x82", fixture::RuleLine(), finish, "\x82", "", "", "", "", "\x82\r\x82"})));
    auto doc = LoadSound();
    EXPECT_EQ(Slot(doc->m_szVenueHead[5][0]), header0);
    EXPECT_EQ(Slot(doc->m_szProgram[5][1][0]), race);
    EXPECT_EQ(Slot(doc->m_szProgram[5][1][1]), boat);
    doc->SetSelection(5, 1);
    EXPECT_EQ(doc->GetVenueTitle(), " \x82\x81");
    EXPECT_EQ(doc->GetResultLine(0), "   1R \x82");
    EXPECT_EQ(doc->GetFinishLine(1), finish);
    EXPECT_EQ(doc->GetFinishLine(2), "\x82");
    // A lone CR inside a line is text; only the line end is dropped.
    EXPECT_EQ(doc->GetResultLine(2), "\x82\r\x82");
}

// What the reader tells of a file it could not read to its end: the file, the line counted from
// 1 in the bytes written here, and the venue block it was in.
TEST(ReadStopTest, ADamagedFileSaysWhereReadingStopped)
{
    // Two whole venue blocks: 12 first, then 3, as the published files run from the highest code.
    std::vector<fixture::ProgramVenue> venues(2);
    venues[0].venue = 12;
    venues[1].venue = 3;
    for (fixture::ProgramVenue& v : venues)
        v.races.emplace_back().race = 1;
    auto split = [](const std::string& bytes) {
        Lines lines;
        for (size_t nStart = 0; nStart < bytes.size();) {
            const size_t nEnd = bytes.find("\r\n", nStart);
            lines.push_back(bytes.substr(nStart, nEnd - nStart));
            nStart = nEnd + 2;
        }
        return lines;
    };
    const Lines program = split(fixture::ProgramFile(venues));
    const size_t nVenue3Start = std::find(program.begin(), program.end(), "03BBGN") - program.begin();
    ASSERT_LT(nVenue3Start, program.size());
    ASSERT_EQ(program.back(), "FINALB");
    const std::string result = fixture::ResultFile({fixture::ResultVenue{.venue = 12, .races = {{}}}});

    struct Case {
        const char* pszWhat;
        Lines program;
        std::string result;
        CReadStop::EKind kind;
        const char* pszFile;
        int nLine;
        int nVenue;
    };
    Lines tooLong = program;
    tooLong.insert(tooLong.begin() + static_cast<long>(nVenue3Start) + 12, std::string(83, 'x'));
    Lines cutInBlock(program.begin(), program.begin() + static_cast<long>(nVenue3Start) + 13);
    Lines noClosingLine(program.begin(), program.end() - 1);
    Lines resultTooLong = split(result);
    resultTooLong.insert(resultTooLong.begin() + 5, std::string(90, 'y'));
    const Case cases[] = {
        {"whole", program, result, CReadStop::EKind::None, "", 0, 0},
        {"a line over the limit in venue 3's block", tooLong, result, CReadStop::EKind::LineTooLong,
         "data/prog/B200101.TXT", static_cast<int>(nVenue3Start) + 13, 3},
        {"cut inside venue 3's block", cutInBlock, result, CReadStop::EKind::Truncated, "data/prog/B200101.TXT",
         static_cast<int>(nVenue3Start) + 13, 3},
        {"cut before its closing line", noClosingLine, result, CReadStop::EKind::Truncated,
         "data/prog/B200101.TXT", static_cast<int>(program.size()) - 1, 0},
        {"the result file's preamble over the limit", program, fixture::JoinCrLf(resultTooLong),
         CReadStop::EKind::LineTooLong, "data/res/K200101.TXT", 6, 12},
        {"both damaged: the program's is told", tooLong, fixture::JoinCrLf(resultTooLong), CReadStop::EKind::LineTooLong,
         "data/prog/B200101.TXT", static_cast<int>(nVenue3Start) + 13, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        WriteBytes(fixture::JoinCrLf(c.program), c.result);
        auto doc = std::make_unique<CKeluDoc>();
        EXPECT_TRUE(doc->LoadDay(kDay));
        EXPECT_EQ(doc->m_readStop.kind, c.kind);
        EXPECT_EQ(doc->IsDamaged(), c.kind != CReadStop::EKind::None);
        EXPECT_EQ(doc->m_readStop.strFile.Str(), c.pszFile);
        EXPECT_EQ(doc->m_readStop.nLine, c.nLine);
        EXPECT_EQ(doc->m_readStop.nVenue, c.nVenue);
        EXPECT_FALSE(doc->m_bDemoDay);
    }

    // A new load forgets the damage; the demo writer's mark outside the blocks changes no race.
    Lines marked = program;
    marked.insert(marked.begin() + 1, kDemoDayMark);
    WriteBytes(fixture::JoinCrLf(marked), result);
    auto doc = std::make_unique<CKeluDoc>();
    EXPECT_TRUE(doc->LoadDay(kDay));
    EXPECT_FALSE(doc->IsDamaged());
    EXPECT_TRUE(doc->m_bDemoDay);
    EXPECT_TRUE(doc->HasRace(3, 1) && doc->HasRace(12, 1));
}
