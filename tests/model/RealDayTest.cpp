// The published day files, loaded end to end. What each race should hold is worked out here from
// the files' own layout (a race is the line before the rule lines that frame its column titles,
// a result race is the line before its heading and rule), not from the readers' tests.

#include "TestDir.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines ReadCrLfLines(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Lines lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

// The lines between "NN<kind>BGN" and "NN<kind>END", by venue number.
std::map<int, Lines> VenueBlocks(const Lines& lines, char kind)
{
    std::map<int, Lines> blocks;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        if (l.size() != 6 || l.substr(2) != std::string(1, kind) + "BGN")
            continue;
        const std::string end = l.substr(0, 2) + kind + "END";
        Lines& block = blocks[std::stoi(l.substr(0, 2))];
        for (++i; i < lines.size() && lines[i] != end; ++i)
            block.push_back(lines[i]);
    }
    return blocks;
}

bool IsDashes(const std::string& l)
{
    return l.size() >= 20 && l.find_first_not_of('-') == std::string::npos;
}

// A place as published: "01".."06", or a status code such as "F ", "L0", "K1", "S0".
bool IsPlaceOrStatus(const std::string& s)
{
    if (s.size() != 2)
        return false;
    if (s[0] == '0')
        return s[1] >= '1' && s[1] <= '6';
    return std::string("FLKS").find(s[0]) != std::string::npos && (s[1] == ' ' || (s[1] >= '0' && s[1] <= '9'));
}

void CheckPrograms(CKeluDoc& doc, const std::map<int, Lines>& blocks)
{
    const std::string raceMark = Sjis("Ｒ").Str();
    for (int v = 1; v <= 24; ++v) {
        SCOPED_TRACE("program venue " + std::to_string(v));
        auto it = blocks.find(v);
        if (it == blocks.end()) {
            EXPECT_FALSE(doc.HasRace(v, 1));
            continue;
        }
        const Lines& b = it->second;
        // Race header, rule, two title lines, rule, the six boats.
        std::vector<size_t> races;
        for (size_t i = 10; i + 10 < b.size(); ++i)
            if (IsDashes(b[i + 1]) && IsDashes(b[i + 4]))
                races.push_back(i);
        if (races.empty())
            continue;
        EXPECT_TRUE(doc.HasRace(v, 1));
        doc.SetSelection(v, 0);
        // The heading is the day counter and no piece of the meeting title: in the published
        // line 0 the title ends at byte 54, two blanks follow, and "第" starts byte 57.
        ASSERT_GT(b[0].size(), 57u);
        EXPECT_EQ(b[0].substr(55, 4), "  " + Sjis("第").Str());
        EXPECT_EQ(doc.GetVenueTitle().Left(5).Str(), "   " + Sjis("第").Str());
        EXPECT_EQ(doc.GetVenueTitle(), " " + b[0].substr(55) + b[4]);
        for (size_t k = 0; k < races.size() && k < 12; ++k) {
            const int race = static_cast<int>(k) + 1;
            SCOPED_TRACE("race " + std::to_string(race));
            const size_t i = races[k];
            EXPECT_EQ(b[i].substr(4, 2), raceMark);
            doc.SetSelection(v, race);
            EXPECT_EQ(doc.GetProgramLine(0), b[i]);
            for (int boat = 1; boat <= 6; ++boat) {
                const std::string& line = b[i + 4 + boat];
                EXPECT_EQ(line.substr(0, 2), std::to_string(boat) + " ");
                EXPECT_EQ(doc.GetProgramLine(boat), line);
            }
        }
        if (races.size() < 12) {
            EXPECT_FALSE(doc.HasRace(v, static_cast<int>(races.size()) + 1));
        }
    }
}

// Counts of what the result checks met, for the report at the end of each day.
struct ResultCounts {
    int races = 0;
    int paid = 0;
};

void CheckResults(CKeluDoc& doc, const std::map<int, Lines>& blocks, ResultCounts& counts)
{
    const std::string heading = Sjis("  着 艇").Str();
    const std::map<int, std::string> bets = {{3, Sjis("単勝").Str()},   {4, Sjis("複勝").Str()},
                                             {5, Sjis("２連単").Str()}, {6, Sjis("２連複").Str()},
                                             {10, Sjis("３連単").Str()}, {11, Sjis("３連複").Str()}};
    for (int v = 1; v <= 24; ++v) {
        SCOPED_TRACE("result venue " + std::to_string(v));
        Lines b;
        if (auto it = blocks.find(v); it != blocks.end())
            b = it->second;
        // Race line, heading, rule, six places, then the following lines up to the next race.
        std::vector<size_t> races;
        for (size_t i = 26; i + 8 < b.size(); ++i)
            if (b[i + 1].compare(0, heading.size(), heading) == 0 && IsDashes(b[i + 2]))
                races.push_back(i);
        for (size_t k = 0; k < races.size() && k < 12; ++k) {
            const int race = static_cast<int>(k) + 1;
            SCOPED_TRACE("race " + std::to_string(race));
            const size_t i = races[k];
            const size_t next = k + 1 < races.size() ? races[k + 1] : b.size();
            doc.SetSelection(v, race);
            EXPECT_EQ(doc.GetResultLine(0), b[i]);
            EXPECT_EQ(doc.GetResultLine(1), b[i + 1]);
            for (int p = 1; p <= 6; ++p) {
                EXPECT_EQ(doc.GetFinishLine(p), b[i + 2 + p]);
                EXPECT_TRUE(IsPlaceOrStatus(b[i + 2 + p].substr(2, 2))) << b[i + 2 + p];
            }
            for (int slot = 2; slot <= 12; ++slot) {
                const size_t at = i + 7 + static_cast<size_t>(slot);
                EXPECT_EQ(doc.GetResultLine(slot), at < next ? b[at] : "") << "slot " << slot;
            }
            ++counts.races;
            // A race that was paid out has its win line right after the blank under the places.
            if (i + 10 < next && b[i + 10].compare(8, bets.at(3).size(), bets.at(3)) == 0) {
                ++counts.paid;
                for (const auto& [slot, bet] : bets)
                    EXPECT_EQ(doc.GetResultLine(slot).Mid(8, static_cast<int>(bet.size())), bet) << "slot " << slot;
            }
        }
        for (int race = static_cast<int>(races.size()) + 1; race <= 12; ++race) {
            doc.SetSelection(v, race);
            EXPECT_TRUE(doc.GetResultLine(0).IsEmpty()) << "race " << race;
            EXPECT_TRUE(doc.GetFinishLine(1).IsEmpty()) << "race " << race;
        }
    }
}

} // namespace

TEST(RealDayTest, PublishedDaysLoadIntoTheirSlots)
{
    const std::string dir = testsupport::SharedDataDir();
    if (dir.empty())
        GTEST_SKIP() << testsupport::NoSharedDataReason();
    int nDays = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != 11 || name[0] != 'B' || name.substr(7) != ".TXT")
            continue;
        SCOPED_TRACE(name);
        const std::string result = "K" + name.substr(1);
        ASSERT_TRUE(testsupport::CopySharedDayFile(name, "data/prog/" + name));
        ASSERT_TRUE(testsupport::CopySharedDayFile(result, "data/res/" + result));
        const CTime day(2000 + std::stoi(name.substr(1, 2)), std::stoi(name.substr(3, 2)), std::stoi(name.substr(5, 2)),
                        12, 0, 0);
        ASSERT_EQ(CKeluDoc::ProgramFileName(day), "data/prog/" + name);

        auto doc = std::make_unique<CKeluDoc>();
        ASSERT_TRUE(doc->LoadDay(day));
        CheckPrograms(*doc, VenueBlocks(ReadCrLfLines(entry.path()), 'B'));
        ResultCounts counts;
        CheckResults(*doc, VenueBlocks(ReadCrLfLines(std::filesystem::path(dir) / result), 'K'), counts);
        EXPECT_GT(counts.races, 0);
        EXPECT_GT(counts.paid, 0);
        RecordProperty(name, std::to_string(counts.races) + " races, " + std::to_string(counts.paid) + " paid");
        ++nDays;
    }
    EXPECT_GT(nDays, 0);
}
