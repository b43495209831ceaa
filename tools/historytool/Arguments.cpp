#include "historytool/Arguments.h"

#include "platform/Time.h"

#include <cstdio>
#include <map>

const char* const kUsage =
    "使い方: kelu-history [--data フォルダ] update | racer 登録番号 | record [--from YYYY-MM-DD] [--to YYYY-MM-DD] | "
    "predict YYYY-MM-DD | fit [--from YYYY-MM-DD] [--to YYYY-MM-DD] | import アーカイブのフォルダ | "
    "entries [--from YYYY-MM-DD] [--to YYYY-MM-DD] | payouts [--from YYYY-MM-DD] [--to YYYY-MM-DD] | help";

namespace {

// Each command with its number of operands, and whether it takes a period.
struct CCommand {
    size_t nOperands;
    bool bPeriod;
};
const std::map<std::string, CCommand> kCommands = {
    {"update", {0, false}},  {"racer", {1, false}},   {"record", {0, true}},  {"predict", {1, false}},
    {"fit", {0, true}},      {"import", {1, false}},  {"entries", {0, true}}, {"payouts", {0, true}},
};

// An error message for arguments the command does not take, or the empty string.
std::string CheckCommand(const CArguments& args)
{
    const auto it = kCommands.find(args.strCommand);
    if (it == kCommands.end())
        return args.strCommand.empty() ? kUsage : "知らないコマンドです: " + args.strCommand;
    if (args.operands.size() != it->second.nOperands)
        return kUsage;
    if ((args.nFrom || args.nTo) && !it->second.bPeriod)
        return "--from と --to は record、fit、entries、payouts のものです";
    if (args.nFrom && args.nTo && *args.nFrom > *args.nTo)
        return "期間の始まりが終わりより後です";
    if (args.strCommand == "racer" && !ParseRegNo(args.operands[0]))
        return "登録番号は 4 桁までの数字で指定してください: " + args.operands[0];
    if (args.strCommand == "predict" && !ParseDate(args.operands[0]))
        return "日付は YYYY-MM-DD で指定してください: " + args.operands[0];
    return {};
}

} // namespace

std::optional<int> ParseDate(const std::string& s)
{
    if (s.size() != 10 || s[4] != '-' || s[7] != '-')
        return std::nullopt;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (s[i] < '0' || s[i] > '9')
            return std::nullopt;
    const int y = std::stoi(s.substr(0, 4)), m = std::stoi(s.substr(5, 2)), d = std::stoi(s.substr(8, 2));
    const CTime day(y, m, d, 12, 0, 0);
    if (m < 1 || m > 12 || d < 1 || !day.IsValid() || day.GetMonth() != m || day.GetDay() != d)
        return std::nullopt;
    return y * 10000 + m * 100 + d;
}

std::optional<int> ParseRegNo(const std::string& s)
{
    if (s.empty() || s.size() > 4 || s.find_first_not_of("0123456789") != std::string::npos || std::stoi(s) == 0)
        return std::nullopt;
    return std::stoi(s);
}

std::string ReadArguments(int argc, char** argv, CArguments& args)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h" || (arg == "help" && args.strCommand.empty())) {
            args.bHelp = true;
            return {};
        }
        const bool bOption = arg == "--data" || arg == "--from" || arg == "--to";
        if (bOption && i + 1 >= argc)
            return arg + " の後に値がありません";
        if (arg == "--data") {
            args.strData = argv[++i];
        } else if (arg == "--from" || arg == "--to") {
            const std::optional<int> nDate = ParseDate(argv[++i]);
            if (!nDate)
                return std::string("日付は YYYY-MM-DD で指定してください: ") + argv[i];
            (arg == "--from" ? args.nFrom : args.nTo) = nDate;
        } else if (arg.rfind("--", 0) == 0 || (arg.size() > 1 && arg[0] == '-')) {
            return "知らないオプションです: " + arg;
        } else if (args.strCommand.empty()) {
            args.strCommand = arg;
        } else {
            args.operands.push_back(arg);
        }
    }
    return CheckCommand(args);
}
