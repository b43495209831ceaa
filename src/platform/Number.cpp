#include "platform/Number.h"

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

int AtoI(const char* psz)
{
    if (!psz)
        return 0;
    while (IsSpace(*psz))
        ++psz;
    bool bNegative = false;
    if (*psz == '+' || *psz == '-')
        bNegative = (*psz++ == '-');
    long long value = 0;
    for (; IsDigit(*psz); ++psz) {
        value = value * 10 + (*psz - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (bNegative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
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
