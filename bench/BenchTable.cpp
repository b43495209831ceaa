#include "BenchTable.h"

#include "platform/Number.h"

#include <algorithm>
#include <fstream>
#include <locale>
#include <sstream>

namespace benchtable {

namespace {

// Three significant digits are all a noisy machine can tell; a point whatever the locale, as
// the program itself writes its numbers.
std::string Figure(double d, const std::string& unit)
{
    const int nDecimals = d >= 100 ? 0 : d >= 10 ? 1 : d >= 1 ? 2 : 3;
    return FixedDecimals(d, nDecimals) + " " + unit;
}

std::string Ratio(double d)
{
    return FixedDecimals(d, 2) + "x";
}

} // namespace

void PrintTable(const std::vector<CRow>& rows, std::FILE* pOut)
{
    size_t nWidth = 11;
    for (const CRow& row : rows)
        nWidth = std::max(nWidth, row.title.size());
    const int w = static_cast<int>(nWidth);
    std::fprintf(pOut, "%-*s  %12s  %12s  %7s  %9s  %s\n", w, "measurement", "median", "baseline", "ratio", "target",
                 "met");
    for (const CRow& row : rows) {
        if (row.dMeasured <= 0 || (row.dLimit <= 0 && row.dBaseline <= 0)) {
            std::fprintf(pOut, "%-*s  %12s\n", w, row.title.c_str(), "not run");
            continue;
        }
        std::string strBaseline = "-", strRatio = "-", strTarget = "-", strMet = "-";
        if (row.dBaseline > 0) {
            strBaseline = Figure(row.dBaseline, row.unit);
            strRatio = Ratio(row.dMeasured / row.dBaseline);
        }
        if (row.dTarget > 0) {
            strTarget = "<= " + Ratio(row.dTarget);
            strMet = row.dMeasured / row.dBaseline <= row.dTarget ? "yes" : "NO";
        } else if (row.dLimit > 0) {
            strTarget = "< " + Figure(row.dLimit, row.unit);
            strMet = row.dMeasured < row.dLimit ? "yes" : "NO";
        }
        std::fprintf(pOut, "%-*s  %12s  %12s  %7s  %9s  %s\n", w, row.title.c_str(),
                     Figure(row.dMeasured, row.unit).c_str(), strBaseline.c_str(), strRatio.c_str(), strTarget.c_str(),
                     strMet.c_str());
    }
}

bool AppendRows(const std::string& strPath, const std::vector<CRow>& rows)
{
    std::ofstream out(strPath, std::ios::app);
    out.imbue(std::locale::classic());
    for (const CRow& row : rows)
        out << row.title << '\t' << row.dMeasured << '\t' << row.dBaseline << '\t' << row.unit << '\t' << row.dTarget
            << '\t' << row.dLimit << '\n';
    out.close();
    return !out.fail();
}

bool ReadRows(const std::string& strPath, std::vector<CRow>& rows)
{
    std::ifstream in(strPath);
    if (!in)
        return false;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        CRow row;
        std::string measured, baseline, target, limit;
        if (!std::getline(fields, row.title, '\t') || !std::getline(fields, measured, '\t') ||
            !std::getline(fields, baseline, '\t') || !std::getline(fields, row.unit, '\t') ||
            !std::getline(fields, target, '\t') || !std::getline(fields, limit))
            continue;
        row.dMeasured = AtoF(measured.c_str());
        row.dBaseline = AtoF(baseline.c_str());
        row.dTarget = AtoF(target.c_str());
        row.dLimit = AtoF(limit.c_str());
        rows.push_back(row);
    }
    return true;
}

} // namespace benchtable
