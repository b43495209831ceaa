// The predictions' record read from the store equals the direct count of the same days, by
// venue, by month and in total, over every period and venue asked for; and the crowd's figures
// beside it are what the result files' popularities give; the record as CSV.

#include "CommaLocale.h"
#include "DayFixture.h"
#include "PublishedDays.h"
#include "SpecialRaces.h"
#include "TestDir.h"
#include "forecast/ModelFile.h"
#include "history/ForecastRow.h"
#include "history/HistoryIndexer.h"
#include "history/HistoryStore.h"
#include "model/KeluDoc.h"
#include "record/RecordCsv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <tuple>

namespace {

CTime Noon(int y, int m, int d)
{
    return CTime(y, m, d, 12, 0, 0);
}

CPredictionRecord FromStore(CHistoryStore& store, const CRecordQuery& query)
{
    CPredictionRecord record;
    EXPECT_TRUE(store.QueryRecord(query, record)) << store.LastError();
    return record;
}

CPredictionRecord Direct(const std::vector<CTime>& days)
{
    const std::atomic<bool> bStop{false};
    return RecordDays(days, 2, bStop);
}

void ExpectSame(const CPredictionRecord& store, const CPredictionRecord& direct, const std::string& what)
{
    EXPECT_EQ(store.m_byVenue, direct.m_byVenue) << what;
    EXPECT_EQ(store.m_byMonth, direct.m_byMonth) << what;
    EXPECT_EQ(store.m_total, direct.m_total) << what;
    EXPECT_EQ(store.m_nDays, direct.m_nDays) << what;
    EXPECT_EQ(store.m_skippedDays, direct.m_skippedDays) << what;
    EXPECT_EQ(store.m_demoDays, direct.m_demoDays) << what;
}

} // namespace

TEST(StoreRecordTest, TheStoreGivesTheDirectCountByVenueMonthAndTotal)
{
    // Dead heats, a void race, void bets and cancelled races in February; plain days in March
    // and April, one of them damaged.
    fixture::WriteSpecialDay(Noon(2020, 2, 20), 21);
    fixture::WriteStandardDay(Noon(2020, 3, 1), {1, 2, 24}, 12);
    fixture::WriteStandardDay(Noon(2020, 4, 1), {2}, 3);
    fixture::WriteStandardDay(Noon(2020, 4, 2), {2}, 3);
    fixture::WriteResultFile(Noon(2020, 4, 2), "STARTK\r\n02KBGN\r\n");
    const bool bPublished = published::CopyDays();

    CHistoryStore store;
    ASSERT_TRUE(store.Open());
    ASSERT_TRUE(CHistoryIndexer(store).Update(2, false).bOk);
    const std::vector<CTime> days = FindRecordedDays();
    ASSERT_EQ(days.size(), bPublished ? 8u : 4u);

    const CPredictionRecord all = FromStore(store, {});
    ExpectSame(all, Direct(days), "all days");
    EXPECT_EQ(all.m_skippedDays, std::vector<CTime>{Noon(2020, 4, 2)});
    EXPECT_GT(all.m_total.nCrowdExactaHits, 0);
    EXPECT_GE(all.m_byMonth.size(), 3u);

    // A period takes the days within it, both ends included.
    const std::vector<CTime> some(days.end() - 3, days.end() - 1);
    ExpectSame(FromStore(store, {DateOf(some.front()), DateOf(some.back())}), Direct(some), "a period");
    ExpectSame(FromStore(store, {20300101, 20301231}), CPredictionRecord(), "a period without days");

    // A venue's record is its row of the whole record.
    for (int nVenue : {2, 21, 24}) {
        const CPredictionRecord one = FromStore(store, {0, 99991231, nVenue});
        ASSERT_EQ(one.m_byVenue.size(), 1u) << nVenue;
        EXPECT_EQ(one.m_byVenue.at(nVenue), all.m_byVenue.at(nVenue)) << nVenue;
        EXPECT_EQ(one.m_total, all.m_byVenue.at(nVenue)) << nVenue;
    }

    // January holds the published days alone: the store gives what is counted here from them.
    if (!bPublished)
        GTEST_SKIP() << testsupport::NoSharedDataReason();
    const published::CRecordCounted counted = published::CountRecord(published::ReadDays());
    const CPredictionRecord january = FromStore(store, {20200101, 20200131});
    EXPECT_EQ(counted.total.nRaces, 686);
    EXPECT_EQ(january.m_total, counted.total);
    EXPECT_EQ(january.m_byVenue, counted.byVenue);
    ASSERT_EQ(january.m_byMonth.size(), 1u);
    EXPECT_EQ(january.m_byMonth.at(202001), counted.total);
    EXPECT_EQ(january.m_nDays, 4);
}

TEST(StoreRecordTest, TheCrowdsFiguresAreThoseOfThePopularitiesInTheResultFiles)
{
    // The shared second's exacta lines are popular 7th and 6th; the shared third's trifecta
    // lines 5th and 11th: the crowd hits with the one line, and with both.
    fixture::WriteSpecialDay(Noon(2020, 2, 20), 21);
    auto doc = std::make_unique<CKeluDoc>();
    ASSERT_TRUE(doc->LoadDay(Noon(2020, 2, 20)));
    doc->SetSelection(21, fixture::kRaceSharedSecond);
    SRecordCount c = CPredictionRecord::RaceRecord(*doc);
    EXPECT_EQ(c.nCrowdExactaHits, 1);
    EXPECT_EQ(c.nCrowdExactaReturn, 770);
    doc->SetSelection(21, fixture::kRaceSharedThird);
    c = CPredictionRecord::RaceRecord(*doc);
    EXPECT_EQ(c.nCrowdTrifectaHits, 1);
    EXPECT_EQ(c.nCrowdTrifectaReturn, 1020 + 1880);

    if (!published::CopyDays())
        GTEST_SKIP() << testsupport::NoSharedDataReason();
    std::filesystem::remove(CKeluDoc::ProgramFileName(Noon(2020, 2, 20)).Str());
    const published::CRaces races = published::ReadDays();
    SRecordCount want;
    for (const auto& [key, race] : races) {
        if (race.exacta.empty())
            continue;
        ++want.nRaces;
        for (const auto& [lines, nPicks, pnHits, pnReturn] :
             {std::tuple(&race.exacta, 6, &want.nCrowdExactaHits, &want.nCrowdExactaReturn),
              std::tuple(&race.trifecta, 12, &want.nCrowdTrifectaHits, &want.nCrowdTrifectaReturn)}) {
            bool bHit = false;
            for (const published::CPayout& p : *lines) {
                if (p.nPopularity >= 1 && p.nPopularity <= nPicks) {
                    bHit = true;
                    *pnReturn += p.nPay;
                }
            }
            *pnHits += bHit;
        }
    }
    EXPECT_EQ(want.nRaces, 686);
    CHistoryStore store;
    ASSERT_TRUE(store.Open());
    ASSERT_TRUE(CHistoryIndexer(store).Update(2, false).bOk);
    const CPredictionRecord record = FromStore(store, {});
    EXPECT_EQ(record.m_total.nRaces, want.nRaces);
    EXPECT_EQ(record.m_total.nCrowdExactaHits, want.nCrowdExactaHits);
    EXPECT_EQ(record.m_total.nCrowdTrifectaHits, want.nCrowdTrifectaHits);
    EXPECT_EQ(record.m_total.nCrowdExactaReturn, want.nCrowdExactaReturn);
    EXPECT_EQ(record.m_total.nCrowdTrifectaReturn, want.nCrowdTrifectaReturn);
    EXPECT_DOUBLE_EQ(record.m_total.CrowdExactaHitRate(), 100.0 * want.nCrowdExactaHits / want.nRaces);
    EXPECT_DOUBLE_EQ(record.m_total.CrowdTrifectaReturnRate(),
                     100.0 * static_cast<double>(want.nCrowdTrifectaReturn) / (want.nRaces * 12 * 100));
}

TEST(StoreRecordTest, TheRecordCsvHasARowAVenueAMonthAndTheTotalWithPointsInAnyLocale)
{
    CPredictionRecord record;
    // 7 races at 桐生 in January 2021: 3 and 1 hits, 1,234 and 567 yen back; the crowd 5 and 2,
    // 2,000 and 3,500 yen; the forecast 4 and 2, 3,000 and 1,500 yen.
    const SRecordCount c{.nRaces = 7, .nExactaHits = 3, .nTrifectaHits = 1, .nExactaReturn = 1234,
                         .nTrifectaReturn = 567, .nCrowdExactaHits = 5, .nCrowdTrifectaHits = 2,
                         .nCrowdExactaReturn = 2000, .nCrowdTrifectaReturn = 3500, .nForecastExactaHits = 4,
                         .nForecastTrifectaHits = 2, .nForecastExactaReturn = 3000, .nForecastTrifectaReturn = 1500};
    record.m_byVenue[1] = c;
    record.m_byMonth[202101] = c;
    record.m_total = c;
    std::string csv;
    {
        const testsupport::CCommaLocale comma(LC_NUMERIC);
        ASSERT_TRUE(comma.IsOn()) << testsupport::CCommaLocale::kMissing;
        csv = CRecordCsv::Write(record);
    }
    // 3/7 = 42.9%, 1234/4200 = 29.4%, 1/7 = 14.3%, 567/8400 = 6.75 -> 6.8%, 5/7 = 71.4%,
    // 2000/4200 = 47.6%, 2/7 = 28.6%, 3500/8400 = 41.7%; 4/7 = 57.1%, 3000/4200 = 71.4%,
    // 2/7 = 28.6%, 1500/8400 = 17.857 -> 17.9%.
    const std::string figures = "7,3,42.9,29.4,1,14.3,6.8,5,71.4,47.6,2,28.6,41.7,4,57.1,71.4,2,28.6,17.9\n";
    const std::string header = "区分,名前,レース数,2連単的中,2連単的中率(%),2連単回収率(%),3連単的中,3連単的中率(%),"
                               "3連単回収率(%),人気上位2連単的中,人気上位2連単的中率(%),人気上位2連単回収率(%),"
                               "人気上位3連単的中,人気上位3連単的中率(%),人気上位3連単回収率(%),"
                               "予測2連単的中,予測2連単的中率(%),予測2連単回収率(%),"
                               "予測3連単的中,予測3連単的中率(%),予測3連単回収率(%)\n";
    EXPECT_EQ(csv, header + "レース場,桐生," + figures + "月,2021/01," + figures + "合計,," + figures);
}

TEST(StoreRecordTest, TheForecastsFiguresAreThoseOfItsPicksAgainstTheResultFiles)
{
    if (!published::CopyDays())
        GTEST_SKIP() << testsupport::NoSharedDataReason();
    CHistoryStore store;
    ASSERT_TRUE(store.Open());
    const CForecastModel model = CModelFile::Shipped();
    ASSERT_TRUE(CHistoryIndexer(store, &model).Update(2, false).bOk);

    // Each decided race's picks as the forecast made them, against the winning lines the result
    // file gives: a hit when a winning line is among the picks, and each such line paid.
    const published::CRaces races = published::ReadDays();
    std::map<int, SRecordCount> want;
    int nPicked = 0;
    for (const auto& [tag, date] : published::kDays) {
        std::vector<CForecastRow> rows;
        ASSERT_TRUE(store.ReadForecasts(date, 0, 0, rows)) << store.LastError();
        for (const CForecastRow& row : rows) {
            const auto it = races.find({date, row.nVenue, row.nRace});
            ASSERT_NE(it, races.end());
            ++nPicked;
            if (it->second.exacta.empty())
                continue;
            SRecordCount& c = want[row.nVenue];
            ++c.nRaces;
            std::vector<std::string> exacta, trifecta;
            for (const CPick& p : row.forecast.exacta)
                exacta.push_back(std::to_string(p.lanes[0]) + "-" + std::to_string(p.lanes[1]));
            for (const CPick& p : row.forecast.trifecta)
                trifecta.push_back(std::to_string(p.lanes[0]) + "-" + std::to_string(p.lanes[1]) + "-" +
                                   std::to_string(p.lanes[2]));
            ASSERT_EQ(exacta.size(), 6u);
            ASSERT_EQ(trifecta.size(), 12u);
            for (const auto& [lines, picks, pnHits, pnReturn] :
                 {std::tuple(&it->second.exacta, &exacta, &c.nForecastExactaHits, &c.nForecastExactaReturn),
                  std::tuple(&it->second.trifecta, &trifecta, &c.nForecastTrifectaHits, &c.nForecastTrifectaReturn)}) {
                bool bHit = false;
                for (const published::CPayout& p : *lines)
                    if (std::find(picks->begin(), picks->end(), p.combo) != picks->end()) {
                        bHit = true;
                        *pnReturn += p.nPay;
                    }
                *pnHits += bHit;
            }
        }
    }
    // Every race of the days has its forecast, decided or not.
    EXPECT_EQ(nPicked, static_cast<int>(races.size()));
    const CPredictionRecord record = FromStore(store, {});
    SRecordCount total;
    for (const auto& [nVenue, c] : want) {
        const SRecordCount& got = record.m_byVenue.at(nVenue);
        EXPECT_EQ(got.nRaces, c.nRaces) << nVenue;
        EXPECT_EQ(got.nForecastExactaHits, c.nForecastExactaHits) << nVenue;
        EXPECT_EQ(got.nForecastTrifectaHits, c.nForecastTrifectaHits) << nVenue;
        EXPECT_EQ(got.nForecastExactaReturn, c.nForecastExactaReturn) << nVenue;
        EXPECT_EQ(got.nForecastTrifectaReturn, c.nForecastTrifectaReturn) << nVenue;
        total.Add(c);
    }
    EXPECT_EQ(record.m_total.nForecastExactaHits, total.nForecastExactaHits);
    EXPECT_EQ(record.m_total.nForecastTrifectaReturn, total.nForecastTrifectaReturn);
    EXPECT_DOUBLE_EQ(record.m_total.ForecastExactaHitRate(), 100.0 * total.nForecastExactaHits / total.nRaces);
    EXPECT_DOUBLE_EQ(record.m_total.ForecastTrifectaReturnRate(),
                     100.0 * static_cast<double>(total.nForecastTrifectaReturn) / (total.nRaces * 12 * 100));
    // On days of the model's own training the forecast is far ahead of the details page's.
    EXPECT_GT(record.m_total.ForecastExactaHitRate(), record.m_total.ExactaHitRate() + 15);
}
