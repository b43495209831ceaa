#pragma once
// Names compared in the ASCII letters' either case, and nothing else folded: a day file is
// "B050123.TXT" in one archive and "b050123.txt" in another, while a byte of a Shift-JIS
// character is never taken for a letter. Header-only, for the archive library too.

#include <string_view>

inline bool SameNameAnyCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    const auto lower = [](char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; };
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}
