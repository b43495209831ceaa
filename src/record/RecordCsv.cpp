#include "record/RecordCsv.h"

#include "model/KeluDoc.h"
#include "platform/Number.h"
#include "platform/Sjis.h"

#include <cstdio>

namespace {

// The column titles after kind and name, with the value each takes from a row's count.
struct CColumn {
    const char* pszTitle;
    std::string (*pfnValue)(const SRecordCount&);
};

std::string Count(long long n)
{
    return std::to_string(n);
}

// One decimal with a point: the window that writes this lives under the desktop's locale.
std::string Rate(double d)
{
    return FixedDecimals(d, 1);
}

const CColumn kColumns[] = {
    {"レース数", [](const SRecordCount& c) { return Count(c.nRaces); }},
    {"2連単的中", [](const SRecordCount& c) { return Count(c.nExactaHits); }},
    {"2連単的中率(%)", [](const SRecordCount& c) { return Rate(c.ExactaHitRate()); }},
    {"2連単回収率(%)", [](const SRecordCount& c) { return Rate(c.ExactaReturnRate()); }},
    {"3連単的中", [](const SRecordCount& c) { return Count(c.nTrifectaHits); }},
    {"3連単的中率(%)", [](const SRecordCount& c) { return Rate(c.TrifectaHitRate()); }},
    {"3連単回収率(%)", [](const SRecordCount& c) { return Rate(c.TrifectaReturnRate()); }},
    {"人気上位2連単的中", [](const SRecordCount& c) { return Count(c.nCrowdExactaHits); }},
    {"人気上位2連単的中率(%)", [](const SRecordCount& c) { return Rate(c.CrowdExactaHitRate()); }},
    {"人気上位2連単回収率(%)", [](const SRecordCount& c) { return Rate(c.CrowdExactaReturnRate()); }},
    {"人気上位3連単的中", [](const SRecordCount& c) { return Count(c.nCrowdTrifectaHits); }},
    {"人気上位3連単的中率(%)", [](const SRecordCount& c) { return Rate(c.CrowdTrifectaHitRate()); }},
    {"人気上位3連単回収率(%)", [](const SRecordCount& c) { return Rate(c.CrowdTrifectaReturnRate()); }},
    {"予測2連単的中", [](const SRecordCount& c) { return Count(c.nForecastExactaHits); }},
    {"予測2連単的中率(%)", [](const SRecordCount& c) { return Rate(c.ForecastExactaHitRate()); }},
    {"予測2連単回収率(%)", [](const SRecordCount& c) { return Rate(c.ForecastExactaReturnRate()); }},
    {"予測3連単的中", [](const SRecordCount& c) { return Count(c.nForecastTrifectaHits); }},
    {"予測3連単的中率(%)", [](const SRecordCount& c) { return Rate(c.ForecastTrifectaHitRate()); }},
    {"予測3連単回収率(%)", [](const SRecordCount& c) { return Rate(c.ForecastTrifectaReturnRate()); }},
};

std::string Row(const std::string& strKind, const std::string& strName, const SRecordCount& c)
{
    std::string row = strKind + "," + strName;
    for (const CColumn& column : kColumns)
        row += "," + column.pfnValue(c);
    return row + "\n";
}

} // namespace

std::string CRecordCsv::MonthName(int nMonth)
{
    char sz[16];
    std::snprintf(sz, sizeof sz, "%d/%02d", nMonth / 100, nMonth % 100);
    return sz;
}

std::string CRecordCsv::Write(const CPredictionRecord& record)
{
    std::string csv = "区分,名前";
    for (const CColumn& column : kColumns)
        csv += std::string(",") + column.pszTitle;
    csv += "\n";
    for (const auto& [v, c] : record.m_byVenue)
        csv += Row("レース場", SjisToUtf8(CKeluDoc::GetVenueName(v).Str()), c);
    for (const auto& [m, c] : record.m_byMonth)
        csv += Row("月", MonthName(m), c);
    return csv + Row("合計", "", record.m_total);
}
