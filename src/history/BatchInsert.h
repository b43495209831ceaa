#pragma once
// Rows of one table inserted many to a statement, "INSERT INTO t VALUES (...), (...), ...": a
// statement's run costs more than the row it carries, and a day brings a thousand rows. The
// statements are prepared once for each number of rows, so a day's last, shorter batch too.
// They are "INSERT OR ROLLBACK": a statement that could fail halfway and keep the rows before
// would make SQLite copy every page it touches aside first. A day is written whole or not at
// all anyway, so a failed row ends the day's transaction.

#include "history/SqliteDb.h"

#include <map>
#include <string>

class CBatchInsert {
public:
    static constexpr int kRowsPerStatement = 64;

    CBatchInsert(CSqliteDb& db, const char* pszTable, int nColumns);

    int Columns() const { return m_nColumns; }
    // The statement for nRows rows (1..kRowsPerStatement): row i binds parameters from
    // i * Columns() + 1 on.
    CSqliteStatement& Statement(int nRows);

private:
    CSqliteDb& m_db;
    std::string m_strTable;
    int m_nColumns;
    std::map<int, CSqliteStatement> m_statements;
};
