// kelu-history run as scripts run it, a child process in the working directory: what update
// tells, the racer's and the record's CSV, and the exit status of bad arguments and of a data
// folder that cannot be read.

#include "DayFixture.h"
#include "ModelFixture.h"
#include "ToolRun.h"
#include "Unwritable.h"
#include "forecast/ModelFile.h"
#include "history/SqliteDb.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using toolrun::CRun;
using toolrun::FileBytes;
using toolrun::FileLines;
using toolrun::RunTool;

CTime Noon(int y, int m, int d)
{
    return CTime(y, m, d, 12, 0, 0);
}

// Overwrites the store's pages from the nFrom-th byte on, after moving its log back into it.
void DamageStore(size_t nFrom)
{
    for (const char* pszSuffix : {"-wal", "-shm"})
        fs::remove(std::string("data/history.sqlite") + pszSuffix);
    std::fstream file("data/history.sqlite", std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(nFrom));
    const size_t nSize = static_cast<size_t>(fs::file_size("data/history.sqlite"));
    file << std::string(nSize - nFrom, '\x5a');
}

// Venue 3 and 12 with two races each on 1 May; on 2 May venue 3's second race has no result
// yet; on 3 May the result file stops inside its first block. The data folder has the shipped
// model, as the program folder does.
void WriteDays()
{
    fs::create_directories("data");
    std::ofstream(CModelFile::kPath, std::ios::binary) << CModelFile::ShippedText();
    fixture::WriteStandardDay(Noon(2021, 5, 1), {3, 12}, 2);
    fixture::WriteProgramFile(Noon(2021, 5, 2), fixture::ProgramFile({{.venue = 3, .races = {{.race = 1}, {.race = 2}}}}));
    fixture::WriteResultFile(Noon(2021, 5, 2), fixture::ResultFile({{.venue = 3, .races = {{.race = 1}}}}));
    fixture::WriteStandardDay(Noon(2021, 5, 3), {3}, 2);
    fixture::WriteResultFile(Noon(2021, 5, 3), "STARTK\r\n03KBGN\r\n");
}

size_t Columns(const std::string& line)
{
    return static_cast<size_t>(std::count(line.begin(), line.end(), ',')) + 1;
}

} // namespace

TEST(HistoryToolTest, UpdateTellsWhatItReadAndTheCsvFollowsTheDays)
{
    WriteDays();
    CRun run = RunTool({"update"});
    ASSERT_EQ(run.nStatus, 0) << (run.err.empty() ? "" : run.err[0]);
    ASSERT_EQ(run.out.size(), 4u);
    EXPECT_EQ(run.out[0], "2021-05-01: 4 レースを読みました");
    EXPECT_EQ(run.out[1], "2021-05-02: 2 レースを読みました");
    EXPECT_EQ(run.out[2], "2021-05-03: 壊れています: data/res/K210503.TXT は 2 行目で途切れています。江戸川 と、"
                          "ファイルでその後に続くレース場の結果が欠けています。集計に入れません");
    EXPECT_EQ(run.out[3], "読んだ日: 3、除いた日: 0、変わりのない日: 0");
    EXPECT_TRUE(run.err.empty()) << run.err.front();
    EXPECT_TRUE(fs::exists("data/history.sqlite"));
    run = RunTool({"update"});
    EXPECT_EQ(run.out, std::vector<std::string>{"読んだ日: 0、除いた日: 0、変わりのない日: 3"});

    // Boat 1 of the first races: the standard racer 4001, first from course 1 in 0.15; the
    // start timing last, in seconds.
    const std::string header = "date,venue,race,boat,course,start,place,start_timing";
    run = RunTool({"racer", "4001"});
    EXPECT_EQ(run.nStatus, 0);
    EXPECT_EQ(run.out, (std::vector<std::string>{header, "2021-05-01,03,1,1,1,15,01,0.15", "2021-05-01,12,1,1,1,15,01,0.15",
                                                 "2021-05-02,03,1,1,1,15,01,0.15"}));
    run = RunTool({"--data", "data", "racer", "4011"});
    EXPECT_EQ(run.out, (std::vector<std::string>{header, "2021-05-01,03,2,1,1,15,01,0.15",
                                                 "2021-05-01,12,2,1,1,15,01,0.15", "2021-05-02,03,2,1,,,,"}));
    run = RunTool({"racer", "9999"});
    EXPECT_EQ(run.out, std::vector<std::string>{header});

    // Five decided races over the days read; the third day counts for nothing.
    run = RunTool({"record"});
    ASSERT_EQ(run.nStatus, 0);
    ASSERT_EQ(run.out.size(), 5u);
    EXPECT_EQ(run.out[0], "区分,名前,レース数,2連単的中,2連単的中率(%),2連単回収率(%),3連単的中,3連単的中率(%),"
                          "3連単回収率(%),人気上位2連単的中,人気上位2連単的中率(%),人気上位2連単回収率(%),"
                          "人気上位3連単的中,人気上位3連単的中率(%),人気上位3連単回収率(%),"
                          "予測2連単的中,予測2連単的中率(%),予測2連単回収率(%),"
                          "予測3連単的中,予測3連単的中率(%),予測3連単回収率(%)");
    EXPECT_EQ(run.out[1].rfind("レース場,江戸川,3,", 0), 0u) << run.out[1];
    EXPECT_EQ(run.out[2].rfind("レース場,住之江,2,", 0), 0u) << run.out[2];
    EXPECT_EQ(run.out[3].rfind("月,2021/05,5,", 0), 0u) << run.out[3];
    EXPECT_EQ(run.out[4].rfind("合計,,5,", 0), 0u) << run.out[4];
    // The standard boats rate alike and the standard result is 1-2 at 500 yen, popular first:
    // every race a hit for both, and the percentages written with a point. The forecast, with
    // boats alike but for their lanes, puts the inside first: 1-2 and 1-2-3 among its picks.
    EXPECT_EQ(run.out[4], "合計,,5,5,100.0,83.3,5,100.0,100.0,5,100.0,83.3,5,100.0,100.0,5,100.0,83.3,5,100.0,100.0");
    for (const std::string& line : run.out)
        EXPECT_EQ(Columns(line), 21u) << line;

    // Every CSV ends its lines with LF alone.
    EXPECT_EQ(FileBytes("out.txt").find('\r'), std::string::npos);

    run = RunTool({"record", "--from", "2021-05-02", "--to", "2021-05-31"});
    EXPECT_EQ(run.out.back().rfind("合計,,1,", 0), 0u) << run.out.back();
    run = RunTool({"record", "--to", "2021-04-30"});
    EXPECT_EQ(run.out.back().rfind("合計,,0,0,0.0,", 0), 0u) << run.out.back();
}

TEST(HistoryToolTest, BadArgumentsAndAnUnreadableDataFolderEndWithTheirStatus)
{
    WriteDays();
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"index"},
        {"racer"},
        {"racer", "abc"},
        {"racer", "12345"},
        {"racer", "0"},
        {"racer", "4001", "4002"},
        {"record", "--from", "2021-02-30"},
        {"record", "--from", "2021-5-1"},
        {"record", "--from", "2021-05-03", "--to", "2021-05-01"},
        {"update", "--from", "2021-05-01"},
        {"update", "--data"},
        {"update", "--verbose"},
    };
    for (const std::vector<std::string>& args : bad) {
        std::string what;
        for (const std::string& a : args)
            what += a + " ";
        const CRun run = RunTool(args);
        EXPECT_EQ(run.nStatus, 2) << what;
        EXPECT_TRUE(run.out.empty()) << what;
        ASSERT_EQ(run.err.size(), 1u) << what;
        EXPECT_EQ(run.err[0].rfind("kelu-history: ", 0), 0u) << what;
    }
    EXPECT_FALSE(fs::exists("data/history.sqlite")) << "nothing is read on a bad argument";

    fixture::WriteFile("plain.txt", "not a folder");
    for (const char* pszFolder : {"no/such/folder", "plain.txt"}) {
        const CRun run = RunTool({"--data", pszFolder, "update"});
        EXPECT_EQ(run.nStatus, 1) << pszFolder;
        ASSERT_EQ(run.err.size(), 1u) << pszFolder;
        EXPECT_NE(run.err[0].find(pszFolder), std::string::npos) << run.err[0];
    }

    // A data folder of another name: the store goes into it, and nothing into the working folder.
    fs::rename("data", "days");
    const CRun run = RunTool({"--data", "days", "racer", "4001"});
    EXPECT_EQ(run.nStatus, 0) << (run.err.empty() ? "" : run.err[0]);
    EXPECT_EQ(run.out.size(), 4u);
    EXPECT_TRUE(fs::exists("days/history.sqlite"));
    EXPECT_FALSE(fs::exists("data"));
}

TEST(HistoryToolTest, PredictWritesEachRaceOfTheDayWithTheModelAsItIs)
{
    // Venue 12's second race has no boat 6. The model weighs the lanes alone (ModelFixture.h):
    // each boat's chance to win is e^-(lane - 1) over the sum of the same for the boats that
    // start, and its picks follow by hand.
    fixture::ProgramVenue venue12{.venue = 12, .races = {{.race = 1}, {.race = 2, .boats = fixture::StandardBoats(2)}}};
    venue12.races[1].boats.pop_back();
    fixture::WriteProgramFile(Noon(2021, 5, 1), fixture::ProgramFile({{.venue = 3, .races = {{.race = 1}}}, venue12}));
    ASSERT_TRUE(fixture::WriteLaneModel(20210101, 20210430));
    const std::string model = FileLines(CModelFile::kPath).front();

    CRun run = RunTool({"predict", "2021-05-01"});
    ASSERT_EQ(run.nStatus, 0) << (run.err.empty() ? "" : run.err[0]);
    EXPECT_TRUE(run.err.empty()) << run.err[0];
    ASSERT_EQ(run.out.size(), 4u);
    EXPECT_EQ(run.out[0], "date,venue,race,p1,p2,p3,p4,p5,p6,exacta,trifecta");
    auto chances = [](int nBoats) {
        double dSum = 0;
        for (int l = 1; l <= nBoats; ++l)
            dSum += std::exp(-(l - 1));
        std::vector<std::string> p;
        for (int l = 1; l <= 6; ++l) {
            char sz[16] = "";
            if (l <= nBoats)
                std::snprintf(sz, sizeof sz, "%.3f", std::exp(-(l - 1)) / dSum);
            p.push_back(sz);
        }
        return p;
    };
    struct CWant {
        std::string date, venue, race;
        int nBoats;
        std::string exacta, trifecta;
    };
    const std::string kSix = "1-2-3 1-2-4 1-2-5 1-2-6 1-3-2 1-3-4 1-3-5 1-3-6 1-4-2 1-4-3 1-4-5 1-4-6";
    const std::string kFive = "1-2-3 1-2-4 1-2-5 1-3-2 1-3-4 1-3-5 1-4-2 1-4-3 1-4-5 1-5-2 1-5-3 1-5-4";
    const CWant want[] = {{"2021-05-01", "3", "1", 6, "1-2 1-3 1-4 1-5 1-6 2-1", kSix},
                          {"2021-05-01", "12", "1", 6, "1-2 1-3 1-4 1-5 1-6 2-1", kSix},
                          {"2021-05-01", "12", "2", 5, "1-2 1-3 1-4 1-5 2-1 2-3", kFive}};
    for (size_t i = 0; i < std::size(want); ++i) {
        // Field by field: no field holds a comma.
        std::vector<std::string> fields;
        std::stringstream in(run.out[i + 1]);
        for (std::string field; std::getline(in, field, ',');)
            fields.push_back(field);
        if (run.out[i + 1].back() == ',')
            fields.emplace_back();
        ASSERT_EQ(fields.size(), 11u) << run.out[i + 1];
        EXPECT_EQ(fields[0], want[i].date);
        EXPECT_EQ(fields[1], want[i].venue);
        EXPECT_EQ(fields[2], want[i].race);
        const std::vector<std::string> p = chances(want[i].nBoats);
        for (int b = 0; b < 6; ++b)
            EXPECT_EQ(fields[3 + static_cast<size_t>(b)], p[static_cast<size_t>(b)]) << i << " boat " << b + 1;
        EXPECT_EQ(fields[9], want[i].exacta) << i;
        EXPECT_EQ(fields[10], want[i].trifecta) << i;
    }
    // Lines end in LF alone, and the model was used as it is.
    std::ifstream raw("out.txt", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.find('\r'), std::string::npos);
    EXPECT_EQ(FileLines(CModelFile::kPath).front(), model);

    // A day without a program file, and a date that is none.
    run = RunTool({"predict", "2021-05-02"});
    EXPECT_EQ(run.nStatus, 1);
    ASSERT_EQ(run.err.size(), 1u);
    EXPECT_NE(run.err[0].find("data/prog/B210502.TXT"), std::string::npos) << run.err[0];
    EXPECT_TRUE(run.out.empty());
    for (const char* pszDate : {"2021-02-29", "20210501", "2021-5-01"}) {
        run = RunTool({"predict", pszDate});
        EXPECT_EQ(run.nStatus, 2) << pszDate;
        EXPECT_TRUE(run.out.empty()) << pszDate;
    }
}

TEST(HistoryToolTest, HelpAFullDeviceDeadLinksAndAStoreDamagedReadOnlyOrLocked)
{
    WriteDays();
    // A data folder of another name: a damaged day is named where the user keeps it.
    fs::rename("data", "days");
    CRun run = RunTool({"--data", "days", "update"});
    fs::rename("days", "data");
    ASSERT_EQ(run.nStatus, 0);
    ASSERT_EQ(run.out.size(), 4u);
    EXPECT_NE(run.out[2].find(" days/res/K210503.TXT "), std::string::npos) << run.out[2];

    // The usage, on asking for it.
    for (const char* pszHelp : {"help", "--help", "-h"}) {
        run = RunTool({pszHelp});
        EXPECT_EQ(run.nStatus, 0) << pszHelp;
        ASSERT_EQ(run.out.size(), 1u) << pszHelp;
        EXPECT_EQ(run.out[0].rfind("使い方: kelu-history", 0), 0u);
        EXPECT_TRUE(run.err.empty());
    }

    // Output that cannot be written is a failure, never a cut CSV taken for a whole one.
    for (const std::vector<std::string>& args : {std::vector<std::string>{"record"}, {"racer", "4001"}, {"update"}}) {
        run = RunTool(args, "/dev/full");
        EXPECT_EQ(run.nStatus, 1) << args[0];
        ASSERT_FALSE(run.err.empty()) << args[0];
        EXPECT_NE(run.err.back().find("出力を書けません"), std::string::npos) << run.err.back();
    }

    // Damaged pages: the store is set aside, built anew from the files, and that is said once.
    DamageStore(8192);
    run = RunTool({"racer", "4001"});
    ASSERT_EQ(run.nStatus, 0) << (run.err.empty() ? "" : run.err.back());
    EXPECT_EQ(run.out.size(), 4u);
    ASSERT_EQ(run.err.size(), 1u);
    EXPECT_EQ(run.err[0], "kelu-history: data/history.sqlite が壊れていたので data/history.sqlite.damaged に移し、"
                          "ファイルから作り直します");
    EXPECT_TRUE(fs::exists("data/history.sqlite.damaged"));
    run = RunTool({"racer", "4001"});
    EXPECT_TRUE(run.err.empty());
    // A file that is no store at all, the same.
    DamageStore(0);
    run = RunTool({"record"});
    EXPECT_EQ(run.nStatus, 0);
    EXPECT_EQ(run.err.size(), 1u);
    EXPECT_EQ(run.out.size(), 5u);

    // A store that cannot be written is read as it is, with a warning; only update fails.
    fixture::WriteStandardDay(Noon(2021, 5, 4), {3}, 1);
    {
        const testsupport::CUnwritable unwritable("data/history.sqlite");
        if (!unwritable.IsOn())
            GTEST_SKIP() << testsupport::CUnwritable::kMissing;
        run = RunTool({"racer", "4001"});
        EXPECT_EQ(run.nStatus, 0);
        EXPECT_EQ(run.out.size(), 4u) << "the store as it is, without 4 May";
        ASSERT_EQ(run.err.size(), 1u);
        EXPECT_EQ(run.err[0].rfind("kelu-history: 履歴を更新できません（", 0), 0u) << run.err[0];
        EXPECT_NE(run.err[0].find("いまの履歴から読むので、ファイルより古いかもしれません"), std::string::npos);
        run = RunTool({"update"});
        EXPECT_EQ(run.nStatus, 1);
    }

    // Another process holds the store's write lock: the same, once its wait is over.
    const pid_t holder = fork();
    if (holder == 0) {
        CSqliteDb db;
        db.Open("data/history.sqlite");
        db.Exec("BEGIN IMMEDIATE");
        sleep(60);
        _exit(0);
    }
    usleep(300 * 1000);
    run = RunTool({"racer", "4001"});
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_EQ(run.nStatus, 0);
    EXPECT_EQ(run.out.size(), 4u);
    ASSERT_EQ(run.err.size(), 1u);
    EXPECT_NE(run.err[0].find("locked"), std::string::npos) << run.err[0];
    // Free again, it takes the new day.
    run = RunTool({"racer", "4001"});
    EXPECT_TRUE(run.err.empty());
    EXPECT_EQ(run.out.size(), 5u);
}
