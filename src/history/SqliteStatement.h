#pragma once
// One prepared SQLite statement: bind by position from 1, step, read columns from 0, reset for
// the next row. Errors throw CHistoryError with SQLite's message.

#include "platform/String.h"

#include <optional>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

class CSqliteStatement {
public:
    CSqliteStatement() = default;
    CSqliteStatement(sqlite3* pDb, const char* pszSql);
    ~CSqliteStatement();
    CSqliteStatement(CSqliteStatement&& other) noexcept;
    CSqliteStatement& operator=(CSqliteStatement&& other) noexcept;
    CSqliteStatement(const CSqliteStatement&) = delete;
    CSqliteStatement& operator=(const CSqliteStatement&) = delete;

    CSqliteStatement& Bind(int nIndex, long long n);
    // Text of the day files goes in as Shift-JIS bytes, a blob: SQLite must not take it for
    // UTF-8. SQLite reads the bytes where they are, when the statement runs: the string must
    // stay as it is until then.
    CSqliteStatement& Bind(int nIndex, const CString& s);
    // A temporary would be gone by then.
    CSqliteStatement& Bind(int nIndex, CString&& s) = delete;
    // NULL for nothing.
    CSqliteStatement& Bind(int nIndex, std::optional<long long> n);
    CSqliteStatement& BindNull(int nIndex);

    // True while there is a row to read; false once done.
    bool Step();
    // Runs a statement that returns no rows, then makes it ready for the next.
    void Run();
    // Ready to run again; the parameters keep their values until bound anew.
    void Reset();

    bool IsNull(int nColumn) const;
    long long Int(int nColumn) const;
    // None for NULL.
    std::optional<long long> MaybeInt(int nColumn) const;
    CString Text(int nColumn) const;
    // The column's bytes where SQLite keeps them, good until the next step or reset.
    std::string_view View(int nColumn) const;

private:
    [[noreturn]] void Fail(const char* pszWhat) const;

    sqlite3* m_pDb = nullptr;
    sqlite3_stmt* m_pStmt = nullptr;
};
