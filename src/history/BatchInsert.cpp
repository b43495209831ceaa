#include "history/BatchInsert.h"

CBatchInsert::CBatchInsert(CSqliteDb& db, const char* pszTable, int nColumns)
    : m_db(db), m_strTable(pszTable), m_nColumns(nColumns)
{
}

CSqliteStatement& CBatchInsert::Statement(int nRows)
{
    auto it = m_statements.find(nRows);
    if (it != m_statements.end())
        return it->second;
    std::string row = "(";
    for (int c = 0; c < m_nColumns; ++c)
        row += c ? ", ?" : "?";
    row += ")";
    std::string sql = "INSERT OR ROLLBACK INTO " + m_strTable + " VALUES " + row;
    for (int r = 1; r < nRows; ++r)
        sql += ", " + row;
    return m_statements.emplace(nRows, m_db.Prepare(sql.c_str())).first->second;
}
