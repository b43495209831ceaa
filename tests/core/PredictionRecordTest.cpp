// The record of the predictions over the days on disk: which days are read, what a race adds,
// that a damaged day is skipped and counted, that the count can be stopped, and that the
// figures on the published days agree with a count made here from the same picks.

#include "DayFixture.h"
#include "SpecialRaces.h"
#include "PublishedDays.h"
#include "TestDir.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"
#include "record/PredictionRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

namespace {

namespace fs = std::filesystem;
using EBet = CKeluDoc::EBet;

CTime Noon(int y, int m, int d)
{
    return CTime(y, m, d, 12, 0, 0);
}

void Touch(const std::string& path, const std::string& bytes = "")
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// A day of one venue with two races, both decided.
void WritePlainDay(const CTime& day, int nVenue)
{
    fixture::WriteStandardDay(day, {nVenue}, 2);
}

} // namespace

TEST(PredictionRecordTest, DaysAreThoseWithAProgramAndAResultFile)
{
    Touch("data/prog/B200105.TXT");
    Touch("data/res/K200105.TXT");
    Touch("data/prog/B991231.TXT");
    Touch("data/res/K991231.TXT");
    Touch("data/prog/B200106.TXT"); // results not yet published
    Touch("data/res/K200107.TXT");  // results without a program
    for (const char* junk : {"B200230.TXT", "B201301.TXT", "b200108.txt", "B2001080.TXT", "B20010a.TXT", "notes.txt"}) {
        Touch(std::string("data/prog/") + junk);
        Touch(std::string("data/res/K") + std::string(junk).substr(1));
    }
    const std::vector<CTime> days = FindRecordedDays();
    EXPECT_EQ(days, (std::vector<CTime>{Noon(1999, 12, 31), Noon(2020, 1, 5)}));
    fs::remove_all("data");
    EXPECT_TRUE(FindRecordedDays().empty());
}

TEST(PredictionRecordTest, ARaceAddsItsHitsAndWhatEveryWinningPickPaid)
{
    fixture::WriteSpecialDay(Noon(2020, 2, 20), 21);
    auto doc = std::make_unique<CKeluDoc>();
    ASSERT_TRUE(doc->LoadDay(Noon(2020, 2, 20)));

    // A dead heat for first whose two exacta lines are both among the six picks pays both.
    doc->SetSelection(21, fixture::kRaceSharedFirst);
    std::vector<std::string> picks;
    for (int k = 1; k <= 6; ++k)
        picks.push_back(doc->GetExactaPick(k).Left(3).Str());
    ASSERT_NE(std::find(picks.begin(), picks.end(), "2-3"), picks.end());
    ASSERT_NE(std::find(picks.begin(), picks.end(), "3-2"), picks.end());
    SRecordCount c = CPredictionRecord::RaceRecord(*doc);
    EXPECT_EQ(c.nRaces, 1);
    EXPECT_EQ(c.nExactaHits, 1);
    EXPECT_EQ(c.nExactaReturn, 520 + 610);
    EXPECT_NEAR(c.ExactaReturnRate(), 100.0 * 1130 / 600, 1e-9);

    // Only the second line of the shared second is a pick: its payout alone.
    doc->SetSelection(21, fixture::kRaceSharedSecond);
    c = CPredictionRecord::RaceRecord(*doc);
    EXPECT_EQ(c.nExactaHits, 1);
    EXPECT_EQ(c.nExactaReturn, 770);

    // Void, cancelled and undecided races are no races of the record.
    for (int r : {int(fixture::kRaceVoid), int(fixture::kRaceCancelled), fixture::kRaceCancelled + 1}) {
        doc->SetSelection(21, r);
        EXPECT_EQ(CPredictionRecord::RaceRecord(*doc).nRaces, 0) << r;
    }
    CPredictionRecord record;
    EXPECT_EQ(record.AddDay(*doc, Noon(2020, 2, 20)), 4);
    EXPECT_EQ(record.m_byMonth.at(202002).nRaces, 4);
    EXPECT_EQ(record.m_byVenue.at(21).nRaces, 4);
    EXPECT_EQ(doc->GetVenue(), 0) << "the selection is left as the record found it: none";
}

TEST(PredictionRecordTest, DamagedDaysAreSkippedAndCountedAndTheCountStops)
{
    WritePlainDay(Noon(2021, 5, 1), 3);
    WritePlainDay(Noon(2021, 5, 2), 3);
    WritePlainDay(Noon(2021, 6, 1), 4);
    // A result file cut off by a line no slot can hold, and a program of binary junk.
    std::ofstream(CKeluDoc::ResultFileName(Noon(2021, 5, 2)).Str(), std::ios::app) << std::string(300, 'x') << "\r\n";
    Touch(CKeluDoc::ProgramFileName(Noon(2021, 6, 2)).Str(), std::string("\x00\xff\x01junk", 7));
    Touch(CKeluDoc::ResultFileName(Noon(2021, 6, 2)).Str(), "junk");
    const std::vector<CTime> days = FindRecordedDays();
    ASSERT_EQ(days.size(), 4u);

    std::atomic<bool> bStop{false};
    std::vector<int> progress;
    std::mutex m;
    const CPredictionRecord record = RecordDays(days, 2, bStop, [&](int n) {
        const std::lock_guard lock(m);
        progress.push_back(n);
    });
    EXPECT_EQ(record.m_nDays, 2);
    EXPECT_EQ(record.m_skippedDays, (std::vector<CTime>{Noon(2021, 5, 2), Noon(2021, 6, 2)}));
    EXPECT_TRUE(record.m_demoDays.empty());
    EXPECT_EQ(record.m_total.nRaces, 4);
    EXPECT_EQ(record.m_byMonth.at(202105).nRaces, 2);
    EXPECT_EQ(record.m_byMonth.at(202106).nRaces, 2);
    std::sort(progress.begin(), progress.end());
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3, 4}));

    bStop = true;
    const CPredictionRecord stopped = RecordDays(days, 2, bStop);
    EXPECT_EQ(stopped.m_nDays, 0);
    EXPECT_TRUE(stopped.m_skippedDays.empty());
    EXPECT_EQ(stopped.m_total.nRaces, 0);
}

TEST(PredictionRecordTest, TheDemoWritersDaysAreLeftOutAndListed)
{
    // The demo writer's two days beside a real one of the same venues' kind.
    const std::string strCommand = std::string("'") + KELU_DEMO_DAY_TOOL + "' . 20240315 >/dev/null";
    ASSERT_EQ(std::system(strCommand.c_str()), 0) << strCommand;
    WritePlainDay(Noon(2024, 3, 16), 5);
    const std::vector<CTime> days = FindRecordedDays();
    ASSERT_EQ(days, (std::vector<CTime>{Noon(2024, 3, 14), Noon(2024, 3, 15), Noon(2024, 3, 16)}));
    // The writer marks each program file right after its first line.
    std::ifstream in(CKeluDoc::ProgramFileName(Noon(2024, 3, 15)).Str(), std::ios::binary);
    std::string strFirst, strSecond;
    std::getline(in, strFirst);
    std::getline(in, strSecond);
    EXPECT_EQ(strFirst, "STARTB\r");
    EXPECT_EQ(strSecond, std::string(kDemoDayMark) + "\r");

    std::atomic<bool> bStop{false};
    const CPredictionRecord record = RecordDays(days, 2, bStop);
    EXPECT_EQ(record.m_demoDays, (std::vector<CTime>{Noon(2024, 3, 14), Noon(2024, 3, 15)}));
    EXPECT_TRUE(record.m_skippedDays.empty());
    EXPECT_EQ(record.m_nDays, 1);
    EXPECT_EQ(record.m_total.nRaces, 2);
    EXPECT_EQ(record.m_byVenue.size(), 1u);
}

TEST(PredictionRecordTest, PublishedDaysAgreeWithACountFromThePicks)
{
    if (!published::CopyDays())
        GTEST_SKIP() << testsupport::NoSharedDataReason();
    const std::vector<CTime> days = FindRecordedDays();
    ASSERT_EQ(days.size(), 4u);
    std::atomic<bool> bStop{false};
    const CPredictionRecord record = RecordDays(days, 2, bStop);

    // The same races counted by the tests' own reading of the files, with the picks the
    // details page shows.
    const published::CRecordCounted counted = published::CountRecord(published::ReadDays());
    EXPECT_EQ(counted.total.nRaces, 686);
    EXPECT_EQ(record.m_total, counted.total);
    EXPECT_EQ(record.m_byVenue, counted.byVenue);
    EXPECT_EQ(record.m_nDays, 4);
    EXPECT_TRUE(record.m_skippedDays.empty());
    // The month is the whole; one thread counts the same as two.
    ASSERT_EQ(record.m_byMonth.size(), 1u);
    EXPECT_EQ(record.m_byMonth.at(202001).nExactaReturn, record.m_total.nExactaReturn);
    const CPredictionRecord single = RecordDays(days, 1, bStop);
    EXPECT_EQ(single.m_total.nExactaReturn, record.m_total.nExactaReturn);
    EXPECT_EQ(single.m_total.nTrifectaReturn, record.m_total.nTrifectaReturn);
    EXPECT_GT(record.m_total.nExactaReturn, 0);
}
