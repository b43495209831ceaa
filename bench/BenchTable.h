#pragma once
// The one table every measurement ends in: its median, its baseline's median, their ratio,
// the target, and whether it is met. The benchmark program and the start-up measurements
// print it alike; the start-up measurements also write their rows to a file, which the
// benchmark program takes into its own table.

#include <cstdio>
#include <string>
#include <vector>

namespace benchtable {

struct CRow {
    std::string title;
    double dMeasured = 0; // median; 0: not run
    double dBaseline = 0; // median; 0 with a limit: a measurement held to a limit of its own
    std::string unit;     // of both figures and of the limit
    double dTarget = 0;   // the ratio it must stay within; 0: none set
    double dLimit = 0;    // the figure it must stay under; 0: none set
};

void PrintTable(const std::vector<CRow>& rows, std::FILE* pOut);
// Tab-separated, one row a line; false when the file cannot be written or read.
bool AppendRows(const std::string& strPath, const std::vector<CRow>& rows);
bool ReadRows(const std::string& strPath, std::vector<CRow>& rows);

} // namespace benchtable
