#pragma once
// The watched-racer list in tests: written and read back byte for byte.

#include "DayFixture.h"

#include <fstream>
#include <sstream>
#include <string>

namespace testsupport {

inline constexpr const char* kList = "data/favorite.txt";

inline std::string ReadBytes(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteList(const std::string& bytes)
{
    fixture::WriteFile(kList, bytes);
}

// n lines "NNNN\t" for the numbers 5000, 5001, ..., each ended by pszEnd.
inline std::string NumberedLines(int n, const char* pszEnd = "\r\n")
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += std::to_string(5000 + i) + "\t" + pszEnd;
    return s;
}

} // namespace testsupport
