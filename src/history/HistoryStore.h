#pragma once
// The history store: a cache of every day in data/prog and data/res in one SQLite file,
// data/history.sqlite, so that a racer's record over years and the predictions' record over a
// period need not read every day file again. The day files stay the truth: the store can be
// deleted at any time and is built again from them; a store of another schema version is
// rebuilt when opened.
//
// One connection a thread: the indexer writes through its own, each window reads through its
// own. The file is in WAL mode, so readers go on while a day is written, and every day is
// written in one transaction: a crash leaves the store as it was before that day.
//
// Text is kept as the day files have it, Shift-JIS bytes, and comes back as CString.
//
// Operations return false on failure and leave the reason in LastError(); nothing throws out.

#include "history/DayState.h"
#include "history/RacerRecord.h"
#include "history/SqliteDb.h"
#include "record/PredictionRecord.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CDayRows;
struct CEntryRow;
struct CPayoutRow;
struct CStoredRace;
struct CForecastRow;
struct CForecastStatements;

// The period and venue of a record from the store; the dates are YYYYMMDD and both included.
struct CRecordQuery {
    int nFrom = 0;
    int nTo = 99991231;
    int nVenue = 0; // 0: every venue
};

class CHistoryStore {
public:
    static constexpr const char* kDefaultPath = "data/history.sqlite";
    static constexpr int kSchemaVersion = 3;

    CHistoryStore();
    ~CHistoryStore();
    CHistoryStore(const CHistoryStore&) = delete;
    CHistoryStore& operator=(const CHistoryStore&) = delete;

    // Opens the store, creating it when missing. A store of an older schema version is moved
    // away and a new one made; a damaged file is set aside as PATH.damaged and a new one made;
    // a newer version's store is left as it is, and this version keeps its own at PATH.vN. A
    // store that cannot be written is opened to be read. What was done is in Notices().
    bool Open(const std::string& strPath = kDefaultPath);
    void Close();
    bool IsOpen() const { return m_db.IsOpen(); }
    const std::string& LastError() const { return m_strError; }
    // The last failure was SQLite finding the file damaged: Rebuild sets it aside and opens a
    // new, empty store in its place, for an update to fill from the day files.
    bool IsDamaged() const;
    bool Rebuild();
    // What opening the store did that the user should hear of, in words (UTF-8).
    const std::vector<std::string>& Notices() const { return m_notices; }
    // The file the store is, which may be another than the one asked for (see Open).
    const std::string& Path() const { return m_strPath; }
    // The store can be read but not written: the file, its folder or another process says no.
    bool IsReadOnly() const { return m_db.IsReadOnly(); }

    // --- Writing (the indexer) --------------------------------------------------------------
    // The days the store holds, by date, with the file stamps they were read from.
    bool StoredDays(std::map<int, CDayState>& days);
    // Replaces whatever the store held of the day, in one transaction.
    bool WriteDay(const CDayRows& day);
    bool RemoveDay(int nDate);
    // Folds the write-ahead log back into the file as far as readers allow.
    bool Checkpoint();

    // --- Reading (the windows, kelu-history) --------------------------------------------------
    // Every race the racer has a program line in over the stored days, with the figures.
    bool QueryRacer(int nRegNo, CRacerRecord& record);
    // The dates of the days read whole, from nFrom to nTo (YYYYMMDD), oldest first.
    bool ReadDates(int nFrom, int nTo, std::vector<int>& dates);
    // The races of a stored day in venue and race order, as the forecast reads them.
    bool ReadStoredRaces(int nDate, std::vector<CStoredRace>& races);
    // The rows of a stored day as they were written, each handed over in turn and good only
    // during the call: the entries in the store's order (by racer, race and boat), the payout
    // lines in venue, race, bet and line order. A day not read whole has none.
    bool ReadEntries(int nDate, const std::function<void(const CEntryRow&)>& row);
    bool ReadPayouts(int nDate, const std::function<void(const CPayoutRow&)>& row);

    // --- The forecasts (history/ForecastStore.cpp) ----------------------------------------------
    // The fingerprint of the model the stored forecasts were made with, and the first day from
    // which they must be made again: a day written or removed marks itself, as the history of
    // every later day.
    bool ReadForecastState(std::string& strModel, int& nStaleFrom);
    // Another model: every day's forecast is due again.
    bool RestartForecasts(const std::string& strModel);
    // Replaces the day's forecasts in one transaction. The day after is due next when the
    // first day due was still nDueFrom, as the caller read it; a day marked meanwhile stays due.
    bool WriteForecastDay(int nDate, const std::string& strModel, int nDueFrom, const std::vector<CForecastRow>& rows);
    // The forecasts of the day's races in venue and race order, or of the one race when nVenue
    // is not 0.
    bool ReadForecasts(int nDate, int nVenue, int nRace, std::vector<CForecastRow>& rows);

    // The predictions' record of the decided races in the period, as the direct count gives
    // it: by venue, by month and in total, with the days read and those skipped as damaged.
    bool QueryRecord(const CRecordQuery& query, CPredictionRecord& record);

private:
    class CWriter;
    enum class EFile { Ready, Older, Newer, Damaged };
    EFile OpenFile(const std::string& strPath);
    EFile PrepareFile();
    void CreateSchema();
    // Runs the work in one transaction, rolled back when it throws.
    bool InTransaction(const std::function<void(CWriter&)>& work);
    bool Fail(const std::exception& e);
    void ReadRacerRaces(CSqliteStatement& stmt, int nDate, CRacerRecord& record);

    CSqliteDb m_db;
    std::unique_ptr<CWriter> m_pWriter;
    std::unique_ptr<CForecastStatements> m_pForecast;
    CForecastStatements& ForecastStatements();
    std::string m_strError;
    int m_nErrorCode = 0; // SQLite's, of the last failure
    std::string m_strPath;
    std::vector<std::string> m_notices;
};
