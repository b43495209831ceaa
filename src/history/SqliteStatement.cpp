#include "history/SqliteStatement.h"

#include "history/HistoryError.h"

#include <sqlite3.h>

#include <utility>

CSqliteStatement::CSqliteStatement(sqlite3* pDb, const char* pszSql) : m_pDb(pDb)
{
    if (sqlite3_prepare_v3(pDb, pszSql, -1, SQLITE_PREPARE_PERSISTENT, &m_pStmt, nullptr) != SQLITE_OK)
        Fail(pszSql);
}

CSqliteStatement::~CSqliteStatement()
{
    sqlite3_finalize(m_pStmt);
}

CSqliteStatement::CSqliteStatement(CSqliteStatement&& other) noexcept
    : m_pDb(std::exchange(other.m_pDb, nullptr)), m_pStmt(std::exchange(other.m_pStmt, nullptr))
{
}

CSqliteStatement& CSqliteStatement::operator=(CSqliteStatement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_pStmt);
        m_pDb = std::exchange(other.m_pDb, nullptr);
        m_pStmt = std::exchange(other.m_pStmt, nullptr);
    }
    return *this;
}

CSqliteStatement& CSqliteStatement::Bind(int nIndex, long long n)
{
    if (sqlite3_bind_int64(m_pStmt, nIndex, n) != SQLITE_OK)
        Fail("bind");
    return *this;
}

CSqliteStatement& CSqliteStatement::Bind(int nIndex, const CString& s)
{
    if (sqlite3_bind_blob(m_pStmt, nIndex, s.GetString(), s.GetLength(), SQLITE_STATIC) != SQLITE_OK)
        Fail("bind");
    return *this;
}

CSqliteStatement& CSqliteStatement::Bind(int nIndex, std::optional<long long> n)
{
    return n ? Bind(nIndex, *n) : BindNull(nIndex);
}

CSqliteStatement& CSqliteStatement::BindNull(int nIndex)
{
    if (sqlite3_bind_null(m_pStmt, nIndex) != SQLITE_OK)
        Fail("bind");
    return *this;
}

bool CSqliteStatement::Step()
{
    const int rc = sqlite3_step(m_pStmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const std::string strMessage = sqlite3_errmsg(m_pDb);
    sqlite3_reset(m_pStmt);
    throw CHistoryError(strMessage, rc & 0xFF);
}

void CSqliteStatement::Run()
{
    while (Step()) {
    }
    Reset();
}

void CSqliteStatement::Reset()
{
    sqlite3_reset(m_pStmt);
}

bool CSqliteStatement::IsNull(int nColumn) const
{
    return sqlite3_column_type(m_pStmt, nColumn) == SQLITE_NULL;
}

long long CSqliteStatement::Int(int nColumn) const
{
    return sqlite3_column_int64(m_pStmt, nColumn);
}

std::optional<long long> CSqliteStatement::MaybeInt(int nColumn) const
{
    return IsNull(nColumn) ? std::nullopt : std::optional<long long>(Int(nColumn));
}

CString CSqliteStatement::Text(int nColumn) const
{
    return CString(View(nColumn));
}

std::string_view CSqliteStatement::View(int nColumn) const
{
    const void* p = sqlite3_column_blob(m_pStmt, nColumn);
    const int n = sqlite3_column_bytes(m_pStmt, nColumn);
    return p ? std::string_view(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string_view();
}

void CSqliteStatement::Fail(const char* pszWhat) const
{
    throw CHistoryError(std::string(pszWhat) + ": " + sqlite3_errmsg(m_pDb), sqlite3_errcode(m_pDb) & 0xFF);
}
