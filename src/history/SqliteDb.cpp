#include "history/SqliteDb.h"

#include "history/HistoryError.h"

#include <sqlite3.h>

namespace {

// A writer holds the lock for one day at a time; a reader or a second writer waits that long
// rather than fail.
constexpr int kBusyTimeoutMs = 10000;

} // namespace

CSqliteDb::~CSqliteDb()
{
    Close();
}

void CSqliteDb::Open(const std::string& strPath)
{
    Close();
    // SQLite counts every allocation under a lock of its own for statistics nobody here reads;
    // the first connection of the process turns that off, before SQLite sets itself up.
    static const bool bConfigured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
    (void)bConfigured;
    sqlite3* pDb = nullptr;
    // A connection is used by one thread at a time: no lock around every call.
    const int rc = sqlite3_open_v2(strPath.c_str(), &pDb,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const std::string strMessage = pDb ? sqlite3_errmsg(pDb) : sqlite3_errstr(rc);
        sqlite3_close(pDb);
        throw CHistoryError(strPath + ": " + strMessage, rc & 0xFF);
    }
    m_pDb = pDb;
    sqlite3_busy_timeout(m_pDb, kBusyTimeoutMs);
}

bool CSqliteDb::IsReadOnly() const
{
    return m_pDb && sqlite3_db_readonly(m_pDb, "main") == 1;
}

void CSqliteDb::Close()
{
    // Statements are finalised by their owners first; close_v2 waits for any left over.
    sqlite3_close_v2(m_pDb);
    m_pDb = nullptr;
}

void CSqliteDb::Exec(const char* pszSql)
{
    char* pszError = nullptr;
    if (const int rc = sqlite3_exec(m_pDb, pszSql, nullptr, nullptr, &pszError); rc != SQLITE_OK) {
        const std::string strMessage = pszError ? pszError : sqlite3_errmsg(m_pDb);
        sqlite3_free(pszError);
        throw CHistoryError(strMessage, rc & 0xFF);
    }
}

CSqliteStatement CSqliteDb::Prepare(const char* pszSql)
{
    return CSqliteStatement(m_pDb, pszSql);
}

long long CSqliteDb::QueryInt(const char* pszSql)
{
    CSqliteStatement stmt(m_pDb, pszSql);
    return stmt.Step() ? stmt.Int(0) : 0;
}

CSqliteTransaction::CSqliteTransaction(CSqliteDb& db)
    : m_begin(db.Prepare("BEGIN IMMEDIATE")),
      m_commit(db.Prepare("COMMIT")),
      m_rollback(db.Prepare("ROLLBACK"))
{
}

void CSqliteTransaction::Run(const std::function<void()>& work)
{
    m_begin.Run();
    try {
        work();
        m_commit.Run();
    } catch (...) {
        // SQLite may have rolled back already (a full disk does): the first error is the one to
        // tell.
        try {
            m_rollback.Run();
        } catch (const CHistoryError&) {
        }
        throw;
    }
}
