#pragma once
// kelu-history's command line: the data folder, the command, its operands and its period.

#include <optional>
#include <string>
#include <vector>

struct CArguments {
    std::string strData = "data";
    std::string strCommand;
    std::vector<std::string> operands;
    std::optional<int> nFrom, nTo; // YYYYMMDD
    bool bHelp = false;
};

// The usage, one line.
extern const char* const kUsage;

// Reads the command line; an error message for one that is wrong, or the empty string.
std::string ReadArguments(int argc, char** argv, CArguments& args);
// "2020-01-05" as 20200105; none unless it is a real day written so.
std::optional<int> ParseDate(const std::string& s);
// "4321": four digits at most, not 0.
std::optional<int> ParseRegNo(const std::string& s);
