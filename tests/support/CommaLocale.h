#pragma once
// Switches the whole process to a locale whose decimal point is a comma, as a German desktop
// has it, for as long as the object lives: numbers that follow the locale then read "46,4".
// scripts/test makes the locale when the machine lacks it.

#include <clocale>
#include <string>

namespace testsupport {

class CCommaLocale {
public:
    static constexpr const char* kName = "de_DE.UTF-8";
    static constexpr const char* kMissing =
        "the locale de_DE.UTF-8 is not installed: make it with 'localedef -i de_DE -f UTF-8 de_DE.UTF-8' "
        "(scripts/test does)";

    explicit CCommaLocale(int nCategory = LC_ALL)
        : m_nCategory(nCategory)
        , m_strOld(Current(nCategory))
        , m_bOn(std::setlocale(nCategory, kName) != nullptr && std::localeconv()->decimal_point == std::string(","))
    {
    }
    ~CCommaLocale() { std::setlocale(m_nCategory, m_strOld.c_str()); }
    CCommaLocale(const CCommaLocale&) = delete;
    CCommaLocale& operator=(const CCommaLocale&) = delete;

    bool IsOn() const { return m_bOn; }

private:
    static std::string Current(int nCategory)
    {
        const char* psz = std::setlocale(nCategory, nullptr);
        return psz ? psz : "C";
    }

    int m_nCategory;
    std::string m_strOld;
    bool m_bOn;
};

} // namespace testsupport
