#pragma once
// Number parsing and formatting that never depend on the process locale: a user's LC_NUMERIC
// with a decimal comma must not turn "6.50" into 6 or print an index as "15,02".

#include "platform/String.h"

#include <optional>
#include <string>
#include <string_view>

// An ASCII decimal digit, whatever the locale says.
inline bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// Leading ASCII white space, an optional sign, then decimal digits; reading stops at the first
// other byte. No digits gives 0; values beyond the int range are clamped.
int AtoI(const char* psz);
inline int AtoI(const CString& s) { return AtoI(s.GetString()); }

// Leading ASCII white space, an optional sign, digits with an optional decimal point and
// fraction, an optional exponent. Text that starts with no number reads as 0. Never gives
// "inf", "nan" or hexadecimal values, whatever the text says.
double AtoF(const char* psz);
inline double AtoF(const CString& s) { return AtoF(s.GetString()); }

// nPart of nWhole in percent; 0 of nothing.
inline double Percent(double dPart, double dWhole) { return dWhole > 0 ? 100.0 * dPart / dWhole : 0.0; }
// "46.4%": a percentage with one decimal and a point, whatever the locale.
std::string PercentText(double dPercent);

// The whole number the text starts with, as AtoI reads it: after blanks, an optional sign, the
// digits, clamped to the int range; a text that starts with a point and a digit (".5") is 0.
// None when the text holds no number there. Reads no further than the view.
std::optional<long long> LeadingInt(std::string_view s);
// A decimal number in hundredths: "6.50" gives 650, " 45.2" 4520, "1.005" 101 (the third decimal
// rounds, as printing with two would). None for a blank or a text that is no number.
std::optional<long long> Hundredths(std::string_view s);

// d with nDecimals digits after a point, rounded as printf's "%.*f" rounds: "46.4". Neither the
// process locale nor the thread's changes the point.
std::string FixedDecimals(double d, int nDecimals);

// Switches the calling thread to the C locale for its lifetime.
class CLocaleScope {
public:
    CLocaleScope();
    ~CLocaleScope();
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    void* m_pOld;
};
