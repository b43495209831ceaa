#include "platform/Number.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace {

locale_t CLocale()
{
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

bool IsSpace(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\v' || ch == '\f';
}

} // namespace

CLocaleScope::CLocaleScope()
    : m_pOld(uselocale(CLocale()))
{
}

CLocaleScope::~CLocaleScope()
{
    uselocale(static_cast<locale_t>(m_pOld));
}

std::optional<long long> LeadingInt(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && IsSpace(s[i]))
        ++i;
    bool bNegative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        bNegative = s[i++] == '-';
    if (i + 1 < s.size() && s[i] == '.' && IsDigit(s[i + 1]))
        return 0;
    if (i >= s.size() || !IsDigit(s[i]))
        return std::nullopt;
    long long value = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i)
        value = std::min(value * 10 + (s[i] - '0'), static_cast<long long>(INT_MAX) + 1);
    return std::clamp<long long>(bNegative ? -value : value, INT_MIN, INT_MAX);
}

int AtoI(const char* psz)
{
    return psz ? static_cast<int>(LeadingInt(psz).value_or(0)) : 0;
}

std::optional<long long> Hundredths(std::string_view s)
{
    size_t i = s.find_first_not_of(' ');
    long long n = 0;
    bool bDigits = false;
    for (; i < s.size() && IsDigit(s[i]); ++i, bDigits = true)
        n = n * 10 + (s[i] - '0');
    int nDecimals = 0;
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && IsDigit(s[i]) && nDecimals < 3; ++i, ++nDecimals, bDigits = true)
            n = n * 10 + (s[i] - '0');
    if (!bDigits)
        return std::nullopt;
    for (; nDecimals < 2; ++nDecimals)
        n *= 10;
    return nDecimals == 3 ? (n + 5) / 10 : n;
}

std::string PercentText(double dPercent)
{
    return FixedDecimals(dPercent, 1) + "%";
}

double AtoF(const char* psz)
{
    if (!psz)
        return 0.0;
    while (IsSpace(*psz))
        ++psz;
    // Measure the part that has the shape of a decimal number, then let strtod read only that.
    const char* p = psz;
    if (*p == '+' || *p == '-')
        ++p;
    const char* digits = p;
    while (IsDigit(*p))
        ++p;
    bool bAny = p > digits;
    if (*p == '.') {
        const char* frac = ++p;
        while (IsDigit(*p))
            ++p;
        bAny = bAny || p > frac;
    }
    if (!bAny)
        return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-')
            ++q;
        if (IsDigit(*q)) {
            while (IsDigit(*q))
                ++q;
            p = q;
        }
    }
    const std::string number(psz, p);
    return strtod_l(number.c_str(), nullptr, CLocale());
}

std::string FixedDecimals(double d, int nDecimals)
{
    // Enough for any double in fixed notation with the decimals a figure is shown with.
    char buf[400];
    const auto [pEnd, ec] = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed, nDecimals);
    return ec == std::errc() ? std::string(buf, pEnd) : std::string();
}
