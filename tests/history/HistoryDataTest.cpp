// kelu-history's entries and payouts against the day files' own bytes: the published days, and
// a day of dead heats, a void race and void bets whose programs name the racers of its results.
// Every expected field is cut here from where the files put it (PublishedDays.h), never taken
// from the store's code.

#include "DayFixture.h"
#include "PublishedDays.h"
#include "SpecialRaces.h"
#include "TestDir.h"
#include "ToolRun.h"
#include "Unwritable.h"
#include "forecast/ModelFile.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

namespace fs = std::filesystem;
using published::Field;
using toolrun::CRun;
using toolrun::RunTool;
using CRow = std::vector<std::string>;

// The days beside the published ones: the special races, a day whose result file stops in its
// first block, and a demo day.
constexpr int kSpecialDay = 20200102, kDamagedDay = 20200103, kDemoDay = 20200104;
constexpr int kSpecialVenue = 5;

CTime Day(int nDate)
{
    return CTime(nDate / 10000, nDate / 100 % 100, nDate % 100, 12, 0, 0);
}

std::string DateOf(int nDate)
{
    char sz[16];
    std::snprintf(sz, sizeof sz, "%04d-%02d-%02d", nDate / 10000, nDate / 100 % 100, nDate % 100);
    return sz;
}

// A field with its leading zeros gone, as a whole number is written: "01" is "1".
std::string Whole(const std::string& s)
{
    return s.empty() ? s : std::to_string(std::stoll(s));
}

CRow Fields(const std::string& line)
{
    CRow fields(1);
    for (char ch : line) {
        if (ch == ',')
            fields.emplace_back();
        else
            fields.back() += ch;
    }
    return fields;
}

void ReadSpecialDay(published::CRaces& races)
{
    const CTime day = Day(kSpecialDay);
    published::ReadFiles(CKeluDoc::ProgramFileName(day).Str(), CKeluDoc::ResultFileName(day).Str(), kSpecialDay, races);
}

// The special day: its races as fixture::WriteSpecialDay writes them, with a program of the
// racers its results name, boat by boat; race 7 (cancelled) has five boats.
void WriteSpecialDay()
{
    fixture::WriteSpecialDay(Day(kSpecialDay), kSpecialVenue);
    published::CRaces results;
    ReadSpecialDay(results);
    fixture::ProgramVenue venue{.venue = kSpecialVenue};
    for (int r = 1; r <= fixture::kSpecialRaces; ++r) {
        std::vector<fixture::Boat> boats = fixture::StandardBoats(r);
        for (const std::string& finish : results[{kSpecialDay, kSpecialVenue, r}].finishes)
            boats[static_cast<size_t>(finish[6] - '1')].regNo = finish.substr(8, 4);
        if (r == fixture::kSpecialRaces)
            boats.pop_back();
        venue.races.push_back({.race = r, .boats = boats});
    }
    fixture::WriteProgramFile(Day(kSpecialDay), fixture::ProgramFile({venue}));
}

// The published days and the three above, with the shipped model as the program folder has it.
void WriteDays()
{
    ASSERT_TRUE(published::CopyDays()) << testsupport::NoSharedDataReason();
    std::ofstream(CModelFile::kPath, std::ios::binary) << CModelFile::ShippedText();
    WriteSpecialDay();
    fixture::WriteStandardDay(Day(kDamagedDay), {3}, 2);
    fixture::WriteResultFile(Day(kDamagedDay), "STARTK\r\n03KBGN\r\n");
    fixture::WriteStandardDay(Day(kDemoDay), {3}, 2);
    const std::string program = fixture::ProgramFile({{.venue = 3, .races = {{.race = 1}, {.race = 2}}}});
    fixture::WriteProgramFile(Day(kDemoDay), "STARTB\r\n" + std::string(kDemoDayMark) + "\r\n" + program.substr(8));
}

published::CRaces ReadAllDays()
{
    published::CRaces races = published::ReadDays();
    ReadSpecialDay(races);
    return races;
}

// The racer's finishing line, the one with the program's registration number; none without.
const std::string* FinishOf(const published::CRace& race, const std::string& program)
{
    for (const std::string& finish : race.finishes)
        if (finish.size() > 12 && finish.compare(8, 4, program, 2, 4) == 0)
            return &finish;
    return nullptr;
}

// The result's columns from a finishing line: exhibition "6.75", course, start timing (the
// five bytes " 0.14", "F0.02", "L .  "), place "01".."06" or the code.
CRow ResultFields(const std::string& f)
{
    const std::string exhibition = Field(f, 39, 4);
    const std::string start = f.substr(50, 5);
    const bool bTimed = (start[0] == ' ' || start[0] == 'F') && start[2] == '.';
    const std::string place = Field(f, 2, 2);
    const bool bPlaced = place.size() == 2 && place >= "01" && place <= "06";
    const bool bExhibited = exhibition.find_first_of("0123456789") != std::string::npos &&
                            exhibition.find_first_not_of("0123456789.") == std::string::npos;
    return {bExhibited ? exhibition : "",
            f[46] >= '1' && f[46] <= '6' ? std::string(1, f[46]) : "",
            bTimed ? (start[0] == 'F' ? "-" : "") + start.substr(1) : "",
            bPlaced ? Whole(place) : "",
            bPlaced ? "" : place};
}

// What entries writes for the races, program line by program line.
std::vector<CRow> ExpectedEntries(const published::CRaces& races)
{
    std::vector<CRow> rows;
    for (const auto& [key, race] : races) {
        const auto [nDate, nVenue, nRace] = key;
        for (const std::string& p : race.programs) {
            std::string name = SjisToUtf8(p.substr(6, 8));
            for (size_t n; (n = name.find("　")) != std::string::npos;)
                name.erase(n, 3);
            CRow row = {DateOf(nDate),           std::to_string(nVenue), std::to_string(nRace), p.substr(0, 1),
                        p.substr(2, 4),          name,                   Field(p, 22, 2),       Whole(Field(p, 14, 2)),
                        Whole(Field(p, 20, 2)),  Field(p, 24, 5),        Field(p, 29, 6),       Field(p, 35, 5),
                        Field(p, 40, 6),         Whole(Field(p, 46, 3)), Field(p, 49, 6),       Whole(Field(p, 55, 3)),
                        Field(p, 58, 6)};
            const std::string* pFinish = FinishOf(race, p);
            const CRow result = pFinish ? ResultFields(*pFinish) : CRow(5);
            row.insert(row.end(), result.begin(), result.end());
            rows.push_back(row);
        }
    }
    return rows;
}

// What payouts writes for the races, payout line by payout line: a win or place line names a
// boat at bytes 17, 33 and 49, each with its payout in the seven bytes from seven on.
std::vector<CRow> ExpectedPayouts(const published::CRaces& races)
{
    const std::map<std::string, std::string> kBets = {
        {Utf8ToSjis("単勝"), "win"},       {Utf8ToSjis("複勝"), "place"},   {Utf8ToSjis("２連単"), "exacta"},
        {Utf8ToSjis("２連複"), "quinella"}, {Utf8ToSjis("拡連複"), "wide"},  {Utf8ToSjis("３連単"), "trifecta"},
        {Utf8ToSjis("３連複"), "trio"}};
    std::vector<CRow> rows;
    for (const auto& [key, race] : races) {
        const auto [nDate, nVenue, nRace] = key;
        for (const auto& [label, line] : race.payoutLines) {
            const std::string bet = kBets.at(label);
            const CRow head = {DateOf(nDate), std::to_string(nVenue), std::to_string(nRace), bet};
            auto add = [&](const CRow& tail) {
                rows.push_back(head);
                rows.back().insert(rows.back().end(), tail.begin(), tail.end());
            };
            if (Field(line, 17, 6) == Utf8ToSjis("不成立")) {
                add({"", "", "", "不成立"});
            } else if (bet == "win" || bet == "place") {
                if (line[17] == ' ' && line.compare(20, 6, Utf8ToSjis("特払い")) == 0)
                    add({"", Whole(Field(line, 29, 2)), "", "特払い"});
                for (size_t nPos : {17, 33, 49})
                    if (nPos < line.size() && line[nPos] >= '1' && line[nPos] <= '6')
                        add({line.substr(nPos, 1), Whole(Field(line, nPos + 7, 7)), "", ""});
            } else {
                add({Field(line, 17, 5), Whole(Field(line, 24, 7)), Whole(Field(line, 40, 3)), ""});
            }
        }
    }
    return rows;
}

// The rows of the output after its header, each day's found in the expected rows.
void ExpectRows(const CRun& run, const std::vector<CRow>& expected)
{
    ASSERT_EQ(run.out.size(), expected.size() + 1);
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(Fields(run.out[i + 1]), expected[i]) << "row " << i + 1 << ": " << run.out[i + 1];
}

std::vector<CRow> Between(const std::vector<CRow>& rows, const std::string& from, const std::string& to)
{
    std::vector<CRow> within;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(within),
                 [&](const CRow& row) { return row[0] >= from && row[0] <= to; });
    return within;
}

size_t CountRows(const std::vector<CRow>& rows, size_t nColumn, const std::string& value)
{
    return static_cast<size_t>(
        std::count_if(rows.begin(), rows.end(), [&](const CRow& row) { return row[nColumn] == value; }));
}

// The rows of a race of the special day.
std::vector<CRow> SpecialRace(const std::vector<CRow>& rows, int nRace)
{
    std::vector<CRow> race;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(race), [&](const CRow& row) {
        const CRow key = {DateOf(kSpecialDay), std::to_string(kSpecialVenue), std::to_string(nRace)};
        return std::equal(key.begin(), key.end(), row.begin());
    });
    return race;
}

// The messages of the days left out, and a full device, alike for both commands.
void ExpectDaysLeftOutAndAFullDevice(const char* pszCommand, const CRun& run)
{
    ASSERT_EQ(run.err.size(), 2u);
    EXPECT_EQ(run.err[0].rfind("kelu-history: 2020-01-03: 壊れています: data/res/K200103.TXT は 2 行目で途切れています。", 0), 0u)
        << run.err[0];
    EXPECT_EQ(run.err[1], "kelu-history: 2020-01-04: デモの日（架空の選手）です。この日の行は書き出しません");
    for (const std::string& line : run.err)
        EXPECT_TRUE(line.ends_with("この日の行は書き出しません")) << line;

    const CRun full = RunTool({pszCommand}, "/dev/full");
    EXPECT_EQ(full.nStatus, 1);
    ASSERT_FALSE(full.err.empty());
    EXPECT_NE(full.err.back().find("出力を書けません"), std::string::npos) << full.err.back();
}

} // namespace

TEST(HistoryDataTest, EntriesAreEveryBoatsProgramAndResultFieldByField)
{
    WriteDays();
    const std::vector<CRow> expected = ExpectedEntries(ReadAllDays());
    // The days hold what the rows must show: flying starts, late starts, absences, the dead
    // heats' shared places, races without results, a race of five boats.
    EXPECT_GE(CountRows(expected, 21, "F"), 20u);
    EXPECT_EQ(CountRows(expected, 21, "K0"), 6u);
    EXPECT_EQ(CountRows(expected, 21, "L0"), 4u);
    EXPECT_EQ(CountRows(SpecialRace(expected, fixture::kRaceSharedSecond), 20, "2"), 2u);
    EXPECT_EQ(CountRows(SpecialRace(expected, fixture::kRaceSharedFirst), 20, "1"), 2u);
    EXPECT_GT(CountRows(expected, 17, ""), 200u);
    EXPECT_EQ(SpecialRace(expected, fixture::kSpecialRaces).size(), 5u);

    CRun run = RunTool({"entries"});
    ASSERT_EQ(run.nStatus, 0) << (run.err.empty() ? "" : run.err[0]);
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out[0], "date,venue,race,boat,regno,name,class,age,weight,win_rate,two_rate,local_win_rate,"
                          "local_two_rate,motor,motor_two_rate,hull,hull_two_rate,exhibition,course,start_timing,"
                          "place,status");
    ExpectRows(run, expected);
    EXPECT_EQ(toolrun::FileBytes("out.txt").find('\r'), std::string::npos);
    ExpectDaysLeftOutAndAFullDevice("entries", run);

    // A period takes its first and last day whole.
    run = RunTool({"entries", "--from", "2020-01-05", "--to", "2020-01-06"});
    EXPECT_EQ(run.nStatus, 0);
    EXPECT_TRUE(run.err.empty()) << run.err[0];
    ExpectRows(run, Between(expected, "2020-01-05", "2020-01-06"));
    run = RunTool({"entries", "--from", "2020-01-09"});
    EXPECT_EQ(run.out.size(), 1u);

    // A bad period is one line and status 2; a store that cannot be opened, status 1.
    run = RunTool({"entries", "--from", "2020-01-06", "--to", "2020-01-05"});
    EXPECT_EQ(run.nStatus, 2);
    EXPECT_EQ(run.err.size(), 1u);
    EXPECT_TRUE(run.out.empty());
    fs::rename("data/history.sqlite", "store.sqlite");
    fs::create_directory("data/history.sqlite");
    run = RunTool({"entries"});
    EXPECT_EQ(run.nStatus, 1);
    EXPECT_TRUE(run.out.empty());
}

TEST(HistoryDataTest, PayoutsAreEveryWinningLineFieldByField)
{
    WriteDays();
    const std::vector<CRow> expected = ExpectedPayouts(ReadAllDays());
    // The days hold a special refund, bets that did not stand, and dead heats' second lines:
    // two exacta lines of one race, three place boats in one race.
    EXPECT_EQ(CountRows(expected, 7, "特払い"), 1u);
    EXPECT_GE(CountRows(expected, 7, "不成立"), 10u);
    EXPECT_EQ(CountRows(SpecialRace(expected, fixture::kRaceSharedSecond), 3, "exacta"), 2u);
    EXPECT_EQ(CountRows(SpecialRace(expected, fixture::kRaceSharedSecond), 3, "place"), 3u);
    EXPECT_EQ(CountRows(SpecialRace(expected, fixture::kRaceSharedFirst), 3, "win"), 2u);

    CRun run = RunTool({"payouts"});
    ASSERT_EQ(run.nStatus, 0) << (run.err.empty() ? "" : run.err[0]);
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out[0], "date,venue,race,bet,combination,payout,popularity,status");
    ExpectRows(run, expected);
    ExpectDaysLeftOutAndAFullDevice("payouts", run);

    run = RunTool({"payouts", "--from", "2020-01-06", "--to", "2020-01-06"});
    EXPECT_EQ(run.nStatus, 0);
    ExpectRows(run, Between(expected, "2020-01-06", "2020-01-06"));

    // A store that cannot be written is read as it is, with a warning.
    fixture::WriteStandardDay(Day(20200109), {3}, 1);
    const testsupport::CUnwritable unwritable("data/history.sqlite");
    if (!unwritable.IsOn())
        GTEST_SKIP() << testsupport::CUnwritable::kMissing;
    run = RunTool({"payouts", "--from", "2020-01-06"});
    EXPECT_EQ(run.nStatus, 0);
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err[0].rfind("kelu-history: 履歴を更新できません（", 0), 0u) << run.err[0];
    ExpectRows(run, Between(expected, "2020-01-06", "2020-01-09"));
}
