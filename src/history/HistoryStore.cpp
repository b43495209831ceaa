// Opening the store and writing days into it.

#include "history/HistoryStore.h"

#include "history/BatchInsert.h"
#include "history/DayRows.h"
#include "history/ForecastStatements.h"
#include "history/HistoryError.h"
#include "history/RowKeys.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

// Races, entries, payouts and picks are keyed as history/RowKeys.h says. Rates are in
// hundredths, start timings in hundredths, race times in tenths of a second, text in Shift-JIS.
// A racer's races are found day by day through the entries' keys, without an index of racers.
// An entry's motor_rate and hull_rate are cut to one decimal as the details page shows them;
// motor_rate_full and hull_rate_full are the program's two decimals.
constexpr const char* kSchema = R"(
CREATE TABLE days(
    day INTEGER PRIMARY KEY,
    program_size INTEGER NOT NULL, program_time INTEGER NOT NULL,
    result_size INTEGER NOT NULL, result_time INTEGER NOT NULL,
    state INTEGER NOT NULL, damage INTEGER NOT NULL,
    damage_file BLOB, damage_line INTEGER, damage_venue INTEGER);
CREATE TABLE races(
    id INTEGER PRIMARY KEY,
    distance INTEGER, title BLOB, weather BLOB, wind_direction BLOB, wind_speed INTEGER, wave INTEGER,
    technique BLOB, outcome INTEGER NOT NULL);
CREATE TABLE entries(
    id INTEGER PRIMARY KEY,
    name BLOB, class BLOB,
    win_rate INTEGER, two_rate INTEGER, local_win_rate INTEGER, local_two_rate INTEGER,
    motor INTEGER, motor_rate INTEGER, hull INTEGER, hull_rate INTEGER,
    course BLOB, start BLOB, place BLOB, start_timing INTEGER, time INTEGER,
    age INTEGER, weight INTEGER, home INTEGER, meet BLOB, early INTEGER, exhibition INTEGER,
    motor_rate_full INTEGER, hull_rate_full INTEGER);
CREATE TABLE payouts(
    id INTEGER PRIMARY KEY,
    combo BLOB, pay INTEGER, popularity INTEGER);
CREATE TABLE picks(
    race INTEGER PRIMARY KEY,
    index1 INTEGER, index2 INTEGER, index3 INTEGER, index4 INTEGER, index5 INTEGER, index6 INTEGER,
    exacta BLOB, trifecta BLOB,
    exacta_hit INTEGER, trifecta_hit INTEGER, exacta_return INTEGER, trifecta_return INTEGER,
    crowd_exacta_hit INTEGER, crowd_trifecta_hit INTEGER, crowd_exacta_return INTEGER, crowd_trifecta_return INTEGER);
CREATE TABLE venue_days(
    day INTEGER NOT NULL, venue INTEGER NOT NULL, races INTEGER NOT NULL,
    exacta_hits INTEGER NOT NULL, trifecta_hits INTEGER NOT NULL,
    exacta_return INTEGER NOT NULL, trifecta_return INTEGER NOT NULL,
    crowd_exacta_hits INTEGER NOT NULL, crowd_trifecta_hits INTEGER NOT NULL,
    crowd_exacta_return INTEGER NOT NULL, crowd_trifecta_return INTEGER NOT NULL,
    PRIMARY KEY(day, venue)) WITHOUT ROWID;
CREATE TABLE forecasts(
    race INTEGER PRIMARY KEY,
    history INTEGER NOT NULL, forecast BLOB NOT NULL,
    exacta_hit INTEGER, trifecta_hit INTEGER, exacta_return INTEGER, trifecta_return INTEGER);
CREATE TABLE forecast_days(
    day INTEGER NOT NULL, venue INTEGER NOT NULL, races INTEGER NOT NULL,
    exacta_hits INTEGER NOT NULL, trifecta_hits INTEGER NOT NULL,
    exacta_return INTEGER NOT NULL, trifecta_return INTEGER NOT NULL,
    PRIMARY KEY(day, venue)) WITHOUT ROWID;
CREATE TABLE forecast_state(
    id INTEGER PRIMARY KEY CHECK (id = 0), model TEXT NOT NULL, stale_from INTEGER NOT NULL);
INSERT INTO forecast_state VALUES (0, '', 0);
)";

// The rows of a day in each table keyed by race: the keys from ?1 up to ?2, race keys times the
// factor.
struct CDayRange {
    const char* pszSql;
    long long nFactor;
};
constexpr CDayRange kDeleteDay[] = {
    {"DELETE FROM races WHERE id >= ?1 AND id < ?2", 1},
    {"DELETE FROM picks WHERE race >= ?1 AND race < ?2", 1},
    {"DELETE FROM payouts WHERE id >= ?1 AND id < ?2", rowkey::kPayoutsPerRace},
    {"DELETE FROM forecasts WHERE race >= ?1 AND race < ?2", 1},
};

constexpr const char* kStoreFileSuffixes[] = {"", "-wal", "-shm", "-journal"};

void RemoveStoreFiles(const std::string& strPath)
{
    std::error_code ec;
    for (const char* pszSuffix : kStoreFileSuffixes)
        std::filesystem::remove(strPath + pszSuffix, ec);
}

// Moves the store and its log beside it under another name, the log with it, so that a new
// store at the name never meets an old log, and a process that has the old one open goes on
// with its own files. Nothing happens when another process moved it first.
void SetAside(const std::string& strPath, const std::string& strSuffix)
{
    const std::string strAside = strPath + strSuffix;
    RemoveStoreFiles(strAside);
    for (const char* pszSuffix : kStoreFileSuffixes)
        std::rename((strPath + pszSuffix).c_str(), (strAside + pszSuffix).c_str());
}

} // namespace

// The statements of a day's transaction, prepared once for every day the connection writes.
class CHistoryStore::CWriter {
public:
    explicit CWriter(CSqliteDb& db)
        : m_transaction(db),
          m_deleteDay(db.Prepare("DELETE FROM days WHERE day = ?1")),
          m_deleteVenueDays(db.Prepare("DELETE FROM venue_days WHERE day = ?1")),
          m_deleteForecastDays(db.Prepare("DELETE FROM forecast_days WHERE day = ?1")),
          // The forecasts of this day and of every later one read the day's results as history.
          m_markStale(db.Prepare("UPDATE forecast_state SET stale_from = min(stale_from, ?1) WHERE id = 0")),
          m_deleteEntries(db.Prepare("DELETE FROM entries WHERE id >= ?1 AND id < ?2")),
          m_days(db, "days", 10),
          m_races(db, "races", 9),
          m_picks(db, "picks", 17),
          m_entries(db, "entries", 24),
          m_payouts(db, "payouts", 4),
          m_venueDays(db, "venue_days", 11)
    {
        for (const CDayRange& range : kDeleteDay)
            m_deleteRaces.push_back(db.Prepare(range.pszSql));
    }

    // Within a transaction: everything of the day goes.
    void Delete(int nDate)
    {
        m_deleteDay.Bind(1, nDate).Run();
        m_deleteVenueDays.Bind(1, nDate).Run();
        m_deleteForecastDays.Bind(1, nDate).Run();
        m_markStale.Bind(1, nDate).Run();
        const long long nDay = rowkey::DayNumber(nDate);
        m_deleteEntries.Bind(1, rowkey::FirstEntry(nDay, 0)).Bind(2, rowkey::FirstEntry(nDay + 1, 0)).Run();
        for (size_t i = 0; i < m_deleteRaces.size(); ++i) {
            const long long nFactor = kDeleteDay[i].nFactor;
            m_deleteRaces[i].Bind(1, rowkey::FirstRace(nDate) * nFactor).Bind(2, rowkey::EndRace(nDate) * nFactor).Run();
        }
    }

    void Write(const CDayRows& day)
    {
        m_nDate = day.m_state.nDate;
        m_nDay = rowkey::DayNumber(m_nDate);
        Insert(m_days, std::vector<CDayState>{day.m_state}, &CWriter::BindDay);
        Insert(m_races, day.m_races, &CWriter::BindRace);
        Insert(m_picks, day.m_races, &CWriter::BindPicks);
        Insert(m_entries, day.m_entries, &CWriter::BindEntry);
        Insert(m_payouts, day.m_payouts, &CWriter::BindPayout);
        Insert(m_venueDays, std::vector<std::pair<int, SRecordCount>>(day.m_byVenue.begin(), day.m_byVenue.end()),
               &CWriter::BindVenueDay);
    }

    CSqliteTransaction m_transaction;

private:
    template <class TRow>
    void Insert(CBatchInsert& table, const std::vector<TRow>& rows,
                void (CWriter::*pfnBind)(CSqliteStatement&, int, const TRow&))
    {
        for (size_t i = 0; i < rows.size(); i += CBatchInsert::kRowsPerStatement) {
            const int n = static_cast<int>(std::min<size_t>(CBatchInsert::kRowsPerStatement, rows.size() - i));
            CSqliteStatement& stmt = table.Statement(n);
            for (int j = 0; j < n; ++j)
                (this->*pfnBind)(stmt, j * table.Columns(), rows[i + static_cast<size_t>(j)]);
            stmt.Run();
        }
    }

    // Each binds every column of its row, from parameter n + 1 on.
    void BindDay(CSqliteStatement& stmt, int n, const CDayState& s)
    {
        stmt.Bind(n + 1, s.nDate).Bind(n + 2, s.files.nProgramSize).Bind(n + 3, s.files.nProgramTime);
        stmt.Bind(n + 4, s.files.nResultSize).Bind(n + 5, s.files.nResultTime);
        stmt.Bind(n + 6, static_cast<int>(s.state)).Bind(n + 7, static_cast<int>(s.damage));
        const bool bDamaged = s.damage != EDamage::None;
        if (bDamaged)
            stmt.Bind(n + 8, s.strDamageFile);
        else
            stmt.BindNull(n + 8);
        stmt.Bind(n + 9, IfThere(bDamaged, s.nDamageLine)).Bind(n + 10, IfThere(bDamaged, s.nDamageVenue));
    }

    void BindRace(CSqliteStatement& stmt, int n, const CRaceRow& r)
    {
        stmt.Bind(n + 1, RaceKey(r.nVenue, r.nRace)).Bind(n + 2, r.nDistance).Bind(n + 3, r.strTitle);
        stmt.Bind(n + 4, r.strWeather).Bind(n + 5, r.strWindDirection).Bind(n + 6, r.nWindSpeed).Bind(n + 7, r.nWave);
        stmt.Bind(n + 8, r.strTechnique).Bind(n + 9, static_cast<int>(r.outcome));
    }

    void BindPicks(CSqliteStatement& stmt, int n, const CRaceRow& r)
    {
        stmt.Bind(n + 1, RaceKey(r.nVenue, r.nRace));
        for (int b = 0; b < 6; ++b)
            stmt.Bind(n + 2 + b, r.racerIndex[b]);
        stmt.Bind(n + 8, r.strExactaPicks).Bind(n + 9, r.strTrifectaPicks);
        // An undecided race has no hits to judge: they stay NULL.
        BindRecord(stmt, n + 10, r.record, false, r.record.nRaces > 0);
    }

    void BindEntry(CSqliteStatement& stmt, int n, const CEntryRow& e)
    {
        stmt.Bind(n + 1, rowkey::Entry(m_nDay, e.nRegNo, rowkey::RaceOfDay(e.nVenue, e.nRace), e.nBoat));
        stmt.Bind(n + 2, e.strName).Bind(n + 3, e.strClass);
        stmt.Bind(n + 4, e.nWinRate).Bind(n + 5, e.nTwoRate).Bind(n + 6, e.nLocalWinRate).Bind(n + 7, e.nLocalTwoRate);
        stmt.Bind(n + 8, e.nMotor).Bind(n + 9, e.nMotorRate).Bind(n + 10, e.nHull).Bind(n + 11, e.nHullRate);
        // Without a finishing line the result's columns stay NULL.
        if (!e.strPlace.IsEmpty())
            stmt.Bind(n + 12, e.strCourse).Bind(n + 13, e.strStart).Bind(n + 14, e.strPlace);
        else
            stmt.BindNull(n + 12).BindNull(n + 13).BindNull(n + 14);
        stmt.Bind(n + 15, e.nStartTiming).Bind(n + 16, e.nTime);
        stmt.Bind(n + 17, e.nAge).Bind(n + 18, e.nWeight).Bind(n + 19, e.bHome ? 1 : 0).Bind(n + 20, e.strMeet);
        stmt.Bind(n + 21, e.nEarlyRace).Bind(n + 22, e.nExhibition);
        stmt.Bind(n + 23, e.nMotorRateFull).Bind(n + 24, e.nHullRateFull);
    }

    void BindPayout(CSqliteStatement& stmt, int n, const CPayoutRow& p)
    {
        stmt.Bind(n + 1, rowkey::Payout(RaceKey(p.nVenue, p.nRace), p.nBet, p.nLine));
        stmt.Bind(n + 2, p.strCombo).Bind(n + 3, p.nPay).Bind(n + 4, p.nPopularity);
    }

    void BindVenueDay(CSqliteStatement& stmt, int n, const std::pair<int, SRecordCount>& venue)
    {
        stmt.Bind(n + 1, m_nDate).Bind(n + 2, venue.first);
        BindRecord(stmt, n + 3, venue.second, true, true);
    }

    long long RaceKey(int nVenue, int nRace) const
    {
        return m_nDay * rowkey::kRacesPerDay + rowkey::RaceOfDay(nVenue, nRace);
    }

    static std::optional<long long> IfThere(bool bThere, long long n)
    {
        return bThere ? std::optional<long long>(n) : std::nullopt;
    }

    // The record's eight figures (nine with the race count) from parameter nFirst on; NULL
    // unless bThere.
    static void BindRecord(CSqliteStatement& stmt, int nFirst, const SRecordCount& c, bool bRaces, bool bThere)
    {
        int i = nFirst;
        if (bRaces)
            stmt.Bind(i++, IfThere(bThere, c.nRaces));
        for (long long n : {static_cast<long long>(c.nExactaHits), static_cast<long long>(c.nTrifectaHits),
                            c.nExactaReturn, c.nTrifectaReturn, static_cast<long long>(c.nCrowdExactaHits),
                            static_cast<long long>(c.nCrowdTrifectaHits), c.nCrowdExactaReturn,
                            c.nCrowdTrifectaReturn})
            stmt.Bind(i++, IfThere(bThere, n));
    }

    CSqliteStatement m_deleteDay, m_deleteVenueDays, m_deleteForecastDays, m_markStale, m_deleteEntries;
    std::vector<CSqliteStatement> m_deleteRaces;
    CBatchInsert m_days, m_races, m_picks, m_entries, m_payouts, m_venueDays;
    int m_nDate = 0;
    long long m_nDay = 0; // the day number of m_nDate
};

CHistoryStore::CHistoryStore() = default;

CHistoryStore::~CHistoryStore()
{
    Close();
}

bool CHistoryStore::Open(const std::string& strPath)
{
    Close();
    m_strPath = strPath;
    m_notices.clear();
    try {
        // Another process may be replacing the same store at the same time: what it moved away
        // is looked at again.
        for (int nTry = 0; nTry < 4; ++nTry) {
            const EFile file = OpenFile(m_strPath);
            if (file == EFile::Ready)
                return true;
            m_db.Close();
            if (file == EFile::Newer) {
                // A newer version's store is left as it is; this version keeps its own beside it.
                const std::string strOwn = strPath + ".v" + std::to_string(kSchemaVersion);
                m_notices.push_back(strPath + " は新しい版の kelu の履歴なので、そのままにして、この版は " + strOwn + " を使います");
                m_strPath = strOwn;
            } else if (file == EFile::Damaged) {
                SetAside(m_strPath, ".damaged");
                m_notices.push_back(m_strPath + " が壊れていたので " + m_strPath + ".damaged に移し、ファイルから作り直します");
            } else {
                // An older version's store: only a cache, moved away first so that a process
                // that still has it open keeps its files, then removed.
                SetAside(m_strPath, ".old");
                RemoveStoreFiles(m_strPath + ".old");
            }
        }
        throw CHistoryError(m_strPath + ": cannot be made a store");
    } catch (const std::exception& e) {
        Close();
        return Fail(e);
    }
}

bool CHistoryStore::Rebuild()
{
    if (m_strPath.empty())
        return false;
    const std::string strPath = m_strPath;
    Close();
    SetAside(strPath, ".damaged");
    std::vector<std::string> notices = {strPath + " が壊れていたので " + strPath + ".damaged に移し、ファイルから作り直します"};
    const bool bOpen = Open(strPath);
    m_notices.insert(m_notices.begin(), notices.begin(), notices.end());
    return bOpen;
}

CHistoryStore::EFile CHistoryStore::OpenFile(const std::string& strPath)
{
    m_db.Open(strPath);
    try {
        return PrepareFile();
    } catch (const CHistoryError& e) {
        if (e.Code() == SQLITE_NOTADB || e.Code() == SQLITE_CORRUPT)
            return EFile::Damaged;
        throw;
    }
}

CHistoryStore::EFile CHistoryStore::PrepareFile()
{
    // Pages of 8 KiB: a day's transaction writes fewer of them than of 4 KiB, for the same rows.
    m_db.Exec("PRAGMA page_size = 8192");
    // A store that cannot be written is read as it is, in the journal mode it has.
    if (!m_db.IsReadOnly())
        m_db.Exec("PRAGMA journal_mode = WAL");
    // In WAL mode a commit that is not synced can be lost in a power cut, never half-written:
    // the store stays whole, and the day is read again at the next update.
    m_db.Exec("PRAGMA synchronous = NORMAL");
    // The log is reused from its start after each checkpoint (every thousand pages, 8 MiB):
    // cutting it back below that size would make the file system find it new blocks each time.
    m_db.Exec("PRAGMA journal_size_limit = 33554432");
    // 4 MiB of pages in memory. A writer adds at the right edge of each table and touches a few
    // dozen pages a day; holding the whole year would only make the system find and clear
    // memory for every page written, and a reader's ranges come from the system's file cache.
    m_db.Exec("PRAGMA cache_size = -4096");
    // Whatever SQLite sets aside for a statement (a sort, a journal of its own) stays in memory
    // rather than in a temporary file.
    m_db.Exec("PRAGMA temp_store = MEMORY");
    const long long nVersion = m_db.QueryInt("PRAGMA user_version");
    if (nVersion == kSchemaVersion)
        return EFile::Ready;
    if (nVersion > kSchemaVersion)
        return EFile::Newer;
    if (nVersion != 0 || m_db.QueryInt("SELECT count(*) FROM sqlite_schema") != 0)
        return EFile::Older;
    CreateSchema();
    return EFile::Ready;
}

void CHistoryStore::CreateSchema()
{
    m_db.Exec("BEGIN IMMEDIATE");
    try {
        // Another connection may have made it while this one waited for the lock.
        if (m_db.QueryInt("PRAGMA user_version") == 0) {
            m_db.Exec(kSchema);
            m_db.Exec(("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
        }
        m_db.Exec("COMMIT");
    } catch (...) {
        m_db.Exec("ROLLBACK");
        throw;
    }
}

void CHistoryStore::Close()
{
    m_pWriter.reset();
    m_pForecast.reset();
    m_db.Close();
}

bool CHistoryStore::Fail(const std::exception& e)
{
    m_strError = e.what();
    const auto* pError = dynamic_cast<const CHistoryError*>(&e);
    m_nErrorCode = pError ? pError->Code() : 0;
    return false;
}

bool CHistoryStore::IsDamaged() const
{
    return m_nErrorCode == SQLITE_CORRUPT || m_nErrorCode == SQLITE_NOTADB;
}

bool CHistoryStore::StoredDays(std::map<int, CDayState>& days)
{
    try {
        CSqliteStatement stmt = m_db.Prepare("SELECT day, program_size, program_time, result_size, result_time, state, "
                                             "damage, damage_file, damage_line, damage_venue FROM days");
        days.clear();
        while (stmt.Step()) {
            CDayState s;
            s.nDate = static_cast<int>(stmt.Int(0));
            s.files = {stmt.Int(1), stmt.Int(2), stmt.Int(3), stmt.Int(4)};
            s.state = static_cast<EDayState>(stmt.Int(5));
            s.damage = static_cast<EDamage>(stmt.Int(6));
            s.strDamageFile = stmt.Text(7);
            s.nDamageLine = static_cast<int>(stmt.Int(8));
            s.nDamageVenue = static_cast<int>(stmt.Int(9));
            days[s.nDate] = s;
        }
        return true;
    } catch (const std::exception& e) {
        return Fail(e);
    }
}

bool CHistoryStore::InTransaction(const std::function<void(CWriter&)>& work)
{
    try {
        if (!m_pWriter)
            m_pWriter = std::make_unique<CWriter>(m_db);
        m_pWriter->m_transaction.Run([&] { work(*m_pWriter); });
        return true;
    } catch (const std::exception& e) {
        return Fail(e);
    }
}

bool CHistoryStore::WriteDay(const CDayRows& day)
{
    return InTransaction([&](CWriter& w) {
        w.Delete(day.m_state.nDate);
        w.Write(day);
    });
}

bool CHistoryStore::RemoveDay(int nDate)
{
    return InTransaction([&](CWriter& w) { w.Delete(nDate); });
}

bool CHistoryStore::Checkpoint()
{
    try {
        m_db.Exec("PRAGMA wal_checkpoint(PASSIVE)");
        return true;
    } catch (const std::exception& e) {
        return Fail(e);
    }
}
