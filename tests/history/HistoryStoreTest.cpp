// The history store kept up to date with the day files: new, changed and vanished days, a stop
// between days, a crash in the middle of a day, readers beside the writer, damaged and demo
// days, and a store of another version.

#include "DayFixture.h"
#include "SpecialRaces.h"
#include "SqliteFaults.h"
#include "history/HistoryIndexer.h"
#include "history/HistoryStore.h"
#include "history/RowKeys.h"
#include "history/SqliteDb.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;

CTime Noon(int y, int m, int d)
{
    return CTime(y, m, d, 12, 0, 0);
}

CIndexSummary Update(CHistoryStore& store, const std::atomic<bool>& bStop = false,
                     const std::function<void(int, int)>& progress = {})
{
    return CHistoryIndexer(store).Update(2, bStop, progress);
}

// The store's days, after opening it afresh.
std::map<int, CDayState> StoredDays()
{
    CHistoryStore store;
    std::map<int, CDayState> days;
    EXPECT_TRUE(store.Open());
    EXPECT_TRUE(store.StoredDays(days));
    return days;
}

// "20210501 3 1" for each race of the racer, oldest first.
std::vector<std::string> RacesOf(CHistoryStore& store, int nRegNo)
{
    CRacerRecord record;
    EXPECT_TRUE(store.QueryRacer(nRegNo, record)) << store.LastError();
    std::vector<std::string> races;
    for (auto it = record.m_races.rbegin(); it != record.m_races.rend(); ++it)
        races.push_back(std::to_string(it->nDate) + " " + std::to_string(it->nVenue) + " " + std::to_string(it->nRace));
    return races;
}

// The program of a day at venue 3, two races, with boat 1 of race 2 ridden by nRegNo.
std::string ProgramWithRacer(const std::string& regNo)
{
    fixture::ProgramVenue venue{.venue = 3};
    venue.races = {{.race = 1}, {.race = 2, .boats = fixture::StandardBoats(2)}};
    venue.races[1].boats[0].regNo = regNo;
    return fixture::ProgramFile({venue});
}

void SetModified(const CString& path, int nSecondsLater)
{
    const fs::path p(path.Str());
    fs::last_write_time(p, fs::last_write_time(p) + std::chrono::seconds(nSecondsLater));
}

} // namespace

TEST(HistoryStoreTest, NewAndChangedDaysAreReadOnceAndVanishedOnesLeave)
{
    fixture::WriteStandardDay(Noon(2021, 5, 1), {3}, 2);
    fixture::WriteStandardDay(Noon(2021, 5, 2), {3, 12}, 2);
    fixture::WriteStandardDay(Noon(2021, 6, 1), {5}, 1);
    CHistoryStore store;
    ASSERT_TRUE(store.Open()) << store.LastError();
    std::vector<std::pair<int, int>> progress;
    CIndexSummary summary = Update(store, false, [&](int nDone, int nTotal) { progress.emplace_back(nDone, nTotal); });
    ASSERT_TRUE(summary.bOk) << summary.strError;
    EXPECT_EQ(summary.indexed.size(), 3u);
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    int nRaces = 0;
    for (const CIndexedDay& d : summary.indexed)
        nRaces += d.nRaces;
    EXPECT_EQ(nRaces, 2 + 4 + 1);
    // Boat 1 of every first race is racer 4001.
    EXPECT_EQ(RacesOf(store, 4001), (std::vector<std::string>{"20210501 3 1", "20210502 3 1", "20210502 12 1", "20210601 5 1"}));

    summary = Update(store);
    EXPECT_TRUE(summary.indexed.empty());
    EXPECT_EQ(summary.nUnchanged, 3);

    // The same bytes but for one racer, so the same size: the new time alone tells.
    fixture::WriteProgramFile(Noon(2021, 5, 1), ProgramWithRacer("4999"));
    SetModified(CKeluDoc::ProgramFileName(Noon(2021, 5, 1)), 60);
    // One more line at the end, with the old time put back: the size alone tells.
    const CString result = CKeluDoc::ResultFileName(Noon(2021, 6, 1));
    const auto oldTime = fs::last_write_time(result.Str());
    std::ofstream(result.Str(), std::ios::app) << "\r\n";
    fs::last_write_time(result.Str(), oldTime);
    summary = Update(store);
    ASSERT_EQ(summary.indexed.size(), 2u);
    EXPECT_EQ(summary.nUnchanged, 1);
    EXPECT_EQ(RacesOf(store, 4999), std::vector<std::string>{"20210501 3 2"});
    EXPECT_EQ(RacesOf(store, 4011), (std::vector<std::string>{"20210502 3 2", "20210502 12 2"}));

    // Without its results a day keeps its programs, and counts for nothing in the record.
    fs::remove(CKeluDoc::ResultFileName(Noon(2021, 5, 2)).Str());
    summary = Update(store);
    EXPECT_TRUE(summary.removed.empty());
    ASSERT_EQ(summary.indexed.size(), 1u);
    EXPECT_EQ(summary.indexed[0].nRaces, 4);
    EXPECT_EQ(RacesOf(store, 4001), (std::vector<std::string>{"20210501 3 1", "20210502 3 1", "20210502 12 1", "20210601 5 1"}));
    CPredictionRecord record;
    ASSERT_TRUE(store.QueryRecord({}, record));
    EXPECT_EQ(record.m_nDays, 2);
    EXPECT_EQ(record.m_total.nRaces, 3);
    // Without its programs it leaves the store.
    fs::remove(CKeluDoc::ProgramFileName(Noon(2021, 5, 2)).Str());
    summary = Update(store);
    EXPECT_EQ(summary.removed, std::vector<int>{20210502});
    EXPECT_EQ(RacesOf(store, 4001), (std::vector<std::string>{"20210501 3 1", "20210601 5 1"}));

    // A stop after the first of two new days writes that one; the next update the other.
    fixture::WriteStandardDay(Noon(2021, 7, 1), {7}, 1);
    fixture::WriteStandardDay(Noon(2021, 7, 2), {7}, 1);
    std::atomic<bool> bStop{false};
    summary = Update(store, bStop, [&](int, int) { bStop = true; });
    EXPECT_TRUE(summary.bStopped);
    EXPECT_EQ(summary.indexed.size(), 1u);
    summary = Update(store);
    EXPECT_EQ(summary.indexed.size(), 1u);
    EXPECT_EQ(StoredDays().size(), 4u);
}

TEST(HistoryStoreTest, ADayIsWrittenWholeOrNotAtAllAndReadersSeeTheStoreAsItWasMeanwhile)
{
    fixture::WriteStandardDay(Noon(2021, 5, 1), {3}, 2);
    fixture::WriteStandardDay(Noon(2021, 5, 2), {3}, 2);
    {
        CHistoryStore store;
        ASSERT_TRUE(store.Open());
        ASSERT_TRUE(Update(store).bOk);
    }
    const std::map<int, CDayState> before = StoredDays();
    fixture::WriteProgramFile(Noon(2021, 5, 2), ProgramWithRacer("4888"));
    SetModified(CKeluDoc::ProgramFileName(Noon(2021, 5, 2)), 60);

    // The power fails in the middle of the changed day's commit: two pages of it are in the
    // log, the rest and the commit itself are not.
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        testsupport::CSqliteFaults faults;
        CHistoryStore store;
        if (!store.Open())
            _exit(2);
        faults.Arm(testsupport::CSqliteFaults::EAction::Exit, 2);
        Update(store);
        _exit(3); // the day was written whole before the cut came
    }
    int nStatus = 0;
    ASSERT_EQ(waitpid(pid, &nStatus, 0), pid);
    ASSERT_TRUE(WIFEXITED(nStatus));
    ASSERT_EQ(WEXITSTATUS(nStatus), 0);

    testsupport::CSqliteFaults faults;
    CHistoryStore store;
    ASSERT_TRUE(store.Open());
    EXPECT_EQ(StoredDays().at(20210502).files, before.at(20210502).files);
    EXPECT_TRUE(RacesOf(store, 4888).empty());
    EXPECT_EQ(RacesOf(store, 4011), (std::vector<std::string>{"20210501 3 2", "20210502 3 2"}));
    {
        CSqliteDb db;
        db.Open(CHistoryStore::kDefaultPath);
        CSqliteStatement check = db.Prepare("PRAGMA integrity_check");
        ASSERT_TRUE(check.Step());
        EXPECT_EQ(check.Text(0), "ok");
    }

    // The disk fills up, then fails, in the middle of a day: SQLite's own errors, the day rolled
    // back; a reader beside the writer sees the old day at the moment of the failure and after.
    CHistoryStore reader;
    ASSERT_TRUE(reader.Open());
    for (const auto& [nCode, pszWords] : {std::pair(SQLITE_FULL, "full"), std::pair(SQLITE_IOERR_WRITE, "I/O")}) {
        std::vector<std::string> seen;
        faults.Arm(testsupport::CSqliteFaults::EAction::Fail, 1, nCode, [&] { seen = RacesOf(reader, 4011); });
        const CIndexSummary summary = Update(store);
        faults.Disarm();
        EXPECT_FALSE(summary.bOk);
        EXPECT_NE(summary.strError.find(pszWords), std::string::npos) << summary.strError;
        EXPECT_EQ(seen, (std::vector<std::string>{"20210501 3 2", "20210502 3 2"}));
        EXPECT_TRUE(RacesOf(reader, 4888).empty());
        EXPECT_EQ(StoredDays().at(20210502).files, before.at(20210502).files);
    }

    const CIndexSummary summary = Update(store);
    ASSERT_TRUE(summary.bOk) << summary.strError;
    EXPECT_EQ(summary.indexed.size(), 1u);
    EXPECT_EQ(RacesOf(reader, 4888), std::vector<std::string>{"20210502 3 2"});
}

TEST(HistoryStoreTest, DamagedAndDemoDaysAreRecordedAndLeftOutOfEveryFigure)
{
    fixture::WriteStandardDay(Noon(2021, 5, 1), {3}, 2);
    // A result line no slot holds, inside venue 12's block.
    fixture::WriteStandardDay(Noon(2021, 5, 2), {3, 12}, 2);
    const CString damaged = CKeluDoc::ResultFileName(Noon(2021, 5, 2));
    std::vector<std::string> lines;
    {
        std::ifstream in(damaged.Str(), std::ios::binary);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line.substr(0, line.size() - 1));
    }
    const auto it = std::find(lines.begin(), lines.end(), "12KBGN");
    ASSERT_NE(it, lines.end());
    const int nLongLine = static_cast<int>(it - lines.begin()) + 5;
    lines.insert(lines.begin() + nLongLine - 1, std::string(90, 'x'));
    fixture::WriteResultFile(Noon(2021, 5, 2), fixture::JoinCrLf(lines));
    // A program file without any venue.
    fixture::WriteStandardDay(Noon(2021, 5, 3), {3}, 2);
    fixture::WriteProgramFile(Noon(2021, 5, 3), fixture::ProgramFile({}));
    // The demo day writer's mark before the first venue block; its racers are those of 5/1.
    fixture::WriteStandardDay(Noon(2021, 5, 4), {3}, 2);
    std::string demo = fixture::ProgramFile({{.venue = 3, .races = {{.race = 1}, {.race = 2}}}});
    demo.insert(demo.find("\r\n") + 2, std::string(kDemoDayMark) + "\r\n");
    fixture::WriteProgramFile(Noon(2021, 5, 4), demo);

    CHistoryStore store;
    ASSERT_TRUE(store.Open());
    const CIndexSummary summary = Update(store);
    ASSERT_TRUE(summary.bOk);
    EXPECT_EQ(summary.indexed.size(), 4u);

    const std::map<int, CDayState> days = StoredDays();
    EXPECT_EQ(days.at(20210501).state, EDayState::Read);
    const CDayState& cut = days.at(20210502);
    EXPECT_EQ(cut.state, EDayState::Damaged);
    EXPECT_EQ(cut.damage, EDamage::LineTooLong);
    EXPECT_EQ(cut.strDamageFile.Str(), damaged.Str());
    EXPECT_EQ(cut.nDamageLine, nLongLine);
    EXPECT_EQ(cut.nDamageVenue, 12);
    EXPECT_EQ(days.at(20210503).state, EDayState::Damaged);
    EXPECT_EQ(days.at(20210503).damage, EDamage::NoRaces);
    EXPECT_EQ(days.at(20210503).strDamageFile.Str(), CKeluDoc::ProgramFileName(Noon(2021, 5, 3)).Str());
    EXPECT_EQ(days.at(20210504).state, EDayState::Demo);

    // Only the whole day counts: its racers, its races.
    EXPECT_EQ(RacesOf(store, 4001), std::vector<std::string>{"20210501 3 1"});
    CPredictionRecord record;
    ASSERT_TRUE(store.QueryRecord({}, record));
    EXPECT_EQ(record.m_nDays, 1);
    EXPECT_EQ(record.m_skippedDays, (std::vector<CTime>{Noon(2021, 5, 2), Noon(2021, 5, 3)}));
    EXPECT_EQ(record.m_demoDays, std::vector<CTime>{Noon(2021, 5, 4)});
    EXPECT_EQ(record.m_total.nRaces, 2);
    EXPECT_EQ(record.m_byMonth.size(), 1u);
}

TEST(HistoryStoreTest, AnOlderOrDamagedStoreIsReplacedBesideItsReadersAndANewerOneIsLeftAlone)
{
    fixture::WriteStandardDay(Noon(2021, 5, 1), {3}, 1);
    // The store at the path is this version's, up to date, in WAL mode.
    auto check = [](const char* pszWhat, const std::string& strPath, const std::vector<std::string>& notices) {
        CHistoryStore store;
        ASSERT_TRUE(store.Open()) << pszWhat << ": " << store.LastError();
        EXPECT_EQ(store.Notices(), notices) << pszWhat;
        EXPECT_EQ(store.Path(), strPath) << pszWhat;
        ASSERT_TRUE(Update(store).bOk) << pszWhat;
        CSqliteDb db;
        db.Open(strPath);
        EXPECT_EQ(db.QueryInt("PRAGMA user_version"), CHistoryStore::kSchemaVersion) << pszWhat;
        EXPECT_EQ(db.QueryInt("SELECT count(*) FROM sqlite_schema WHERE name = 'old'"), 0) << pszWhat;
        CSqliteStatement mode = db.Prepare("PRAGMA journal_mode");
        ASSERT_TRUE(mode.Step());
        EXPECT_EQ(mode.Text(0), "wal") << pszWhat;
        EXPECT_EQ(db.QueryInt("SELECT count(*) FROM races"), 1) << pszWhat;
    };
    const std::string strPath = CHistoryStore::kDefaultPath;
    fixture::WriteFile(strPath, std::string(5000, '\x7f'));
    check("a file of junk", strPath,
          {strPath + " が壊れていたので " + strPath + ".damaged に移し、ファイルから作り直します"});
    EXPECT_EQ(fs::file_size(strPath + ".damaged"), 5000u);

    // An older version's store, open in another process meanwhile: it is moved away, not
    // deleted under that process, which goes on reading its own.
    fs::remove(strPath);
    fs::remove(strPath + "-wal");
    fs::remove(strPath + "-shm");
    {
        CSqliteDb older;
        older.Open(strPath);
        older.Exec("PRAGMA journal_mode = WAL; CREATE TABLE old(x); INSERT INTO old VALUES (1); PRAGMA user_version = 1");
        check("a store of version 1", strPath, {});
        EXPECT_EQ(older.QueryInt("SELECT count(*) FROM old"), 1);
        older.Exec("INSERT INTO old VALUES (2)");
        EXPECT_EQ(older.QueryInt("SELECT count(*) FROM old"), 2);
    }
    EXPECT_FALSE(fs::exists(strPath + ".old"));

    // A newer version's store is left as it is; this version keeps its own beside it.
    {
        CSqliteDb newer;
        newer.Open(strPath);
        newer.Exec("CREATE TABLE old(x); PRAGMA user_version = 99");
    }
    const std::string strOwn = strPath + ".v" + std::to_string(CHistoryStore::kSchemaVersion);
    check("a store of version 99", strOwn,
          {strPath + " は新しい版の kelu の履歴なので、そのままにして、この版は " + strOwn + " を使います"});
    CSqliteDb newer;
    newer.Open(strPath);
    EXPECT_EQ(newer.QueryInt("PRAGMA user_version"), 99);
    EXPECT_EQ(newer.QueryInt("SELECT count(*) FROM sqlite_schema WHERE name = 'old'"), 1);

    CHistoryStore store;
    EXPECT_FALSE(store.Open("no/such/folder/history.sqlite"));
    EXPECT_FALSE(store.LastError().empty());
}

TEST(HistoryStoreTest, ARaceIsStoredAsTheResultsAndDetailsPagesShowIt)
{
    fixture::WriteSpecialDay(Noon(2020, 2, 20), 21);
    CHistoryStore store;
    ASSERT_TRUE(store.Open());
    ASSERT_TRUE(Update(store).bOk);
    CSqliteDb db;
    db.Open(CHistoryStore::kDefaultPath);
    const long long nShared = rowkey::Race(20200220, 21, fixture::kRaceSharedSecond);

    // Every winning line of the shared second, by label, as published: bet, combination, payout,
    // popularity.
    CSqliteStatement payouts =
        db.Prepare("SELECT id, combo, ifnull(pay, ''), ifnull(popularity, '') FROM payouts WHERE id / 128 = ?1 ORDER BY id");
    payouts.Bind(1, nShared);
    std::vector<std::string> lines;
    while (payouts.Step())
        lines.push_back(std::to_string(payouts.Int(0) % 128 / 16) + " " + SjisToUtf8(payouts.Text(1).Str()) + " " +
                        payouts.Text(2).Str() + " " + payouts.Text(3).Str());
    EXPECT_EQ(lines, (std::vector<std::string>{"0 2 140 ", "1 2 110 ", "1 3 270 ", "1 6 240 ", "2 2-3 1020 7",
                                               "2 2-6 770 6", "3 2-3 640 4", "3 2-6 640 4", "4 2-3 300 5",
                                               "4 2-6 270 4", "4 3-6 1710 13", "5 2-3-6 2690 20", "5 2-6-3 3810 24",
                                               "6 2-3-6 3240 10"}));

    // The race line's weather, the heading's technique, and what became of each race: the one
    // whose boats flew still has its exacta.
    CSqliteStatement race = db.Prepare("SELECT distance, weather, wind_direction, wind_speed, wave, technique, outcome "
                                       "FROM races WHERE id = ?1");
    race.Bind(1, nShared);
    ASSERT_TRUE(race.Step());
    EXPECT_EQ(race.Int(0), 1800);
    EXPECT_EQ(SjisToUtf8(race.Text(1).Str()), "晴");
    EXPECT_EQ(SjisToUtf8(race.Text(2).Str()), "北");
    EXPECT_EQ(race.Int(3), 3);
    EXPECT_EQ(race.Int(4), 3);
    EXPECT_EQ(SjisToUtf8(race.Text(5).Str()), "まくり");
    EXPECT_EQ(race.Int(6), static_cast<int>(EOutcome::Decided));
    const std::pair<int, EOutcome> outcomes[] = {{fixture::kRaceVoid, EOutcome::Void},
                                                 {fixture::kRaceCancelled, EOutcome::Cancelled},
                                                 {fixture::kRaceCancelled + 1, EOutcome::Cancelled},
                                                 {fixture::kRaceVoidBets, EOutcome::Decided}};
    for (const auto& [nRace, outcome] : outcomes) {
        CSqliteStatement stmt = db.Prepare("SELECT outcome FROM races WHERE id = ?1");
        stmt.Bind(1, rowkey::Race(20200220, 21, nRace));
        ASSERT_TRUE(stmt.Step()) << nRace;
        EXPECT_EQ(stmt.Int(0), static_cast<int>(outcome)) << nRace;
    }

    // The indexes and picks of every race are the details page's; a race without a result to
    // judge them by keeps its indexes alone.
    auto doc = std::make_unique<CKeluDoc>();
    ASSERT_TRUE(doc->LoadDay(Noon(2020, 2, 20)));
    for (int r = 1; r < fixture::kSpecialRaces; ++r) {
        doc->SetSelection(21, r);
        std::string indexes, exacta, trifecta;
        for (int b = 1; b <= 6; ++b)
            indexes += doc->GetRacerIndex(b).Str() + " ";
        for (int k = 1; k <= 6; ++k)
            exacta += doc->GetExactaPick(k).Left(3).Str();
        for (int k = 1; k <= 12; ++k)
            trifecta += doc->GetTrifectaPick(k).Str();
        CSqliteStatement picks = db.Prepare(
            "SELECT printf('%.2f %.2f %.2f %.2f %.2f %.2f ', index1 / 100.0, index2 / 100.0, index3 / 100.0, "
            "index4 / 100.0, index5 / 100.0, index6 / 100.0), exacta, trifecta, exacta_hit FROM picks WHERE race = ?1");
        picks.Bind(1, rowkey::Race(20200220, 21, r));
        ASSERT_TRUE(picks.Step()) << r;
        EXPECT_EQ(picks.Text(0).Str(), indexes) << r;
        std::erase(exacta, '-');
        std::erase(trifecta, '-');
        const bool bJudged = r != fixture::kRaceVoid && r < fixture::kRaceCancelled;
        EXPECT_EQ(picks.Text(1).Str(), bJudged ? exacta : "") << r;
        EXPECT_EQ(picks.Text(2).Str(), bJudged ? trifecta : "") << r;
        EXPECT_EQ(picks.IsNull(3), !bJudged) << r;
    }
}
