#pragma once
// What goes wrong inside the history store: SQLite refusing a statement, a file that cannot be
// opened. Thrown inside the store and caught at its public operations, which report it as text.

#include <stdexcept>
#include <string>

class CHistoryError : public std::runtime_error {
public:
    explicit CHistoryError(const std::string& strWhat, int nCode = 0) : std::runtime_error(strWhat), m_nCode(nCode) {}
    // SQLite's primary result code; 0 when the error is not SQLite's.
    int Code() const { return m_nCode; }

private:
    int m_nCode;
};
