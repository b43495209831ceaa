#include "platform/Time.h"

#include <cstdio>

#include "platform/Number.h"

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec)
{
    std::tm tm{};
    tm.tm_year = nYear - 1900;
    tm.tm_mon = nMonth - 1;
    tm.tm_mday = nDay;
    tm.tm_hour = nHour;
    tm.tm_min = nMin;
    tm.tm_sec = nSec;
    tm.tm_isdst = -1;
    m_time = std::mktime(&tm);
}

CTime CTime::GetCurrentTime()
{
    return CTime(std::time(nullptr));
}

bool CTime::Breakdown(std::tm& tm) const
{
    return localtime_r(&m_time, &tm) != nullptr;
}

bool CTime::IsValid() const
{
    std::tm tm{};
    return Breakdown(tm);
}

int CTime::GetYear() const
{
    std::tm tm{};
    return Breakdown(tm) ? tm.tm_year + 1900 : 0;
}

int CTime::GetMonth() const
{
    std::tm tm{};
    return Breakdown(tm) ? tm.tm_mon + 1 : 0;
}

int CTime::GetDay() const
{
    std::tm tm{};
    return Breakdown(tm) ? tm.tm_mday : 0;
}

int CTime::GetHour() const
{
    std::tm tm{};
    return Breakdown(tm) ? tm.tm_hour : 0;
}

int CTime::GetMinute() const
{
    std::tm tm{};
    return Breakdown(tm) ? tm.tm_min : 0;
}

int CTime::GetSecond() const
{
    std::tm tm{};
    return Breakdown(tm) ? tm.tm_sec : 0;
}

CString CTime::Format(const char* pszFormat) const
{
    std::tm tm{};
    if (!pszFormat || !Breakdown(tm))
        return CString();
    CLocaleScope cLocale;
    char buf[256];
    const size_t n = std::strftime(buf, sizeof buf, pszFormat, &tm);
    return CString(buf, static_cast<int>(n));
}

CTime CTime::AddDays(int nDays) const
{
    std::tm tm{};
    if (!Breakdown(tm))
        return *this;
    return CTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday + nDays, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

std::string DateText(int nDate, char chSeparator)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, "%04d%c%02d%c%02d", nDate / 10000, chSeparator, nDate / 100 % 100, chSeparator,
                  nDate % 100);
    return sz;
}
