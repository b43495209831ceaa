#pragma once
// A point in time in whole seconds, broken down in local time.

#include "platform/String.h"

#include <ctime>
#include <string>

class CTime {
public:
    CTime() = default;
    explicit CTime(std::time_t t) : m_time(t) {}
    // Local time; out-of-range fields are normalised (day 32 of January is 1 February).
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);

    static CTime GetCurrentTime();

    std::time_t GetTime() const { return m_time; }
    // False when the value has no local-time breakdown; such a time formats as the empty text.
    bool IsValid() const;
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;

    // strftime in the C locale; the empty text when the time has no local breakdown.
    CString Format(const char* pszFormat) const;

    // The same wall-clock time nDays calendar days later (earlier when negative). Unlike adding
    // 86,400 seconds this neither skips nor repeats a day where the clocks change.
    CTime AddDays(int nDays) const;

    CTime operator+(long long nSeconds) const { return CTime(m_time + static_cast<std::time_t>(nSeconds)); }
    CTime operator-(long long nSeconds) const { return CTime(m_time - static_cast<std::time_t>(nSeconds)); }
    friend bool operator==(const CTime& a, const CTime& b) { return a.m_time == b.m_time; }
    friend auto operator<=>(const CTime& a, const CTime& b) { return a.m_time <=> b.m_time; }

private:
    bool Breakdown(std::tm& tm) const;
    std::time_t m_time = 0;
};

// A day as the number YYYYMMDD (20200105) in text: "2020/01/05", or "2020-01-05" with '-'.
std::string DateText(int nDate, char chSeparator = '/');
