#pragma once
// One SQLite connection, opened on one thread and used there: the indexer and each window keep
// their own. Errors throw CHistoryError with SQLite's message.

#include "history/SqliteStatement.h"

#include <functional>
#include <string>

struct sqlite3;

class CSqliteDb {
public:
    CSqliteDb() = default;
    ~CSqliteDb();
    CSqliteDb(const CSqliteDb&) = delete;
    CSqliteDb& operator=(const CSqliteDb&) = delete;

    // Opens the file, creating it when missing; closes what was open before.
    void Open(const std::string& strPath);
    void Close();
    bool IsOpen() const { return m_pDb != nullptr; }
    // The file was opened but cannot be written.
    bool IsReadOnly() const;

    // Runs statements that return no rows.
    void Exec(const char* pszSql);
    CSqliteStatement Prepare(const char* pszSql);
    // The first column of the first row; 0 when there is none.
    long long QueryInt(const char* pszSql);

private:
    sqlite3* m_pDb = nullptr;
};

// A writer's transaction, its three statements prepared once for every day it writes.
class CSqliteTransaction {
public:
    explicit CSqliteTransaction(CSqliteDb& db);
    // Runs the work between BEGIN IMMEDIATE and COMMIT; rolls it back and throws again when the
    // work or the commit throws.
    void Run(const std::function<void()>& work);

private:
    CSqliteStatement m_begin, m_commit, m_rollback;
};
