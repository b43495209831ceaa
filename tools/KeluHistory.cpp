// kelu-history [--data DIR] COMMAND
//
// The history store for scripts, on the same code as the program's windows. DIR is the data
// folder (./data by default) with prog/, res/ and the store history.sqlite.
//
//   update                        brings the store up to date and tells what it read
//   racer REGNO                   the racer's races as CSV, oldest first
//   record [--from YYYY-MM-DD] [--to YYYY-MM-DD]
//                                 the predictions' record as CSV, by venue, month and in total
//
// racer and record bring the store up to date first, quietly. Exit status: 0 done, 1 the data
// folder or its store cannot be read or written, 2 a bad argument.

#include "history/DayRows.h"
#include "history/HistoryIndexer.h"
#include "history/HistoryStore.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"
#include "platform/Time.h"
#include "record/RecordCsv.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kExitDone = 0;
constexpr int kExitNoData = 1;
constexpr int kExitBadArgument = 2;

constexpr const char* kUsage =
    "使い方: kelu-history [--data フォルダ] update | racer 登録番号 | record [--from YYYY-MM-DD] [--to YYYY-MM-DD]";

struct CArguments {
    std::string strData = "data";
    std::string strCommand;
    std::vector<std::string> operands;
    std::optional<int> nFrom, nTo;
};

int Complain(int nStatus, const std::string& strMessage)
{
    std::fprintf(stderr, "kelu-history: %s\n", strMessage.c_str());
    return nStatus;
}

// "2020-01-05" as 20200105; none unless it is a real day written so.
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

std::string DateText(int nDate)
{
    char sz[16];
    std::snprintf(sz, sizeof sz, "%04d-%02d-%02d", nDate / 10000, nDate / 100 % 100, nDate % 100);
    return sz;
}

// An error message for a bad command line, or the empty string.
std::string ParseArguments(int argc, char** argv, CArguments& args)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
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
        } else if (arg.rfind("--", 0) == 0) {
            return "知らないオプションです: " + arg;
        } else if (args.strCommand.empty()) {
            args.strCommand = arg;
        } else {
            args.operands.push_back(arg);
        }
    }
    return {};
}

// The store finds every day file as data/prog, data/res and data/history.sqlite below the
// working directory: the process moves to where the data folder is named "data", through a
// link of that name in a folder of its own when the folder is named otherwise.
class CDataFolder {
public:
    ~CDataFolder()
    {
        std::error_code ec;
        if (!m_link.empty())
            fs::remove_all(m_link.parent_path(), ec);
    }

    // False with the reason when the folder cannot be read.
    bool Enter(const std::string& strDir, std::string& strError)
    {
        std::error_code ec;
        const fs::path dir = fs::canonical(strDir, ec);
        if (ec || !fs::is_directory(dir) || access(dir.c_str(), R_OK | X_OK) != 0) {
            strError = "データフォルダ " + strDir + " を読めません";
            return false;
        }
        if (dir.filename() == "data") {
            fs::current_path(dir.parent_path(), ec);
        } else {
            std::string pattern = (fs::temp_directory_path(ec) / "kelu-history-XXXXXX").string();
            if (!mkdtemp(pattern.data())) {
                strError = "作業フォルダを作れません";
                return false;
            }
            m_link = fs::path(pattern) / "data";
            fs::create_directory_symlink(dir, m_link, ec);
            if (!ec)
                fs::current_path(pattern, ec);
        }
        if (ec)
            strError = "データフォルダ " + strDir + " に移れません: " + ec.message();
        return !ec;
    }

private:
    fs::path m_link;
};

// Why a day counts for nothing, told as the window tells of a damaged day file.
std::string DamageText(const CDayState& s)
{
    static const std::map<EDamage, CReadStop::EKind> kReadStops = {
        {EDamage::LineTooLong, CReadStop::EKind::LineTooLong}, {EDamage::Truncated, CReadStop::EKind::Truncated}};
    const std::string strFile = SjisToUtf8(s.strDamageFile.Str());
    std::string text;
    if (const auto it = kReadStops.find(s.damage); it != kReadStops.end())
        text = SjisToUtf8(ReadStopText({it->second, s.strDamageFile, s.nDamageLine, s.nDamageVenue}).Str());
    else if (s.damage == EDamage::NoRaces)
        text = strFile + " にはレース場がひとつもありません。";
    else
        text = strFile + " を開けません。";
    return "壊れています: " + text + "集計に入れません";
}

std::string IndexedText(const CIndexedDay& d)
{
    switch (d.state.state) {
    case EDayState::Read:
        return std::to_string(d.nRaces) + " レースを読みました";
    case EDayState::Demo:
        return "デモの日（架空の選手）です。集計に入れません";
    case EDayState::Damaged:
        break;
    }
    return DamageText(d.state);
}

void PrintSummary(const CIndexSummary& summary)
{
    std::vector<CIndexedDay> indexed = summary.indexed;
    std::sort(indexed.begin(), indexed.end(),
              [](const CIndexedDay& a, const CIndexedDay& b) { return a.state.nDate < b.state.nDate; });
    for (const CIndexedDay& d : indexed)
        std::printf("%s: %s\n", DateText(d.state.nDate).c_str(), IndexedText(d).c_str());
    for (int nDate : summary.removed)
        std::printf("%s: ファイルがないので履歴から除きました\n", DateText(nDate).c_str());
    std::printf("読んだ日: %zu、除いた日: %zu、変わりのない日: %d\n", indexed.size(), summary.removed.size(),
                summary.nUnchanged);
}

int Update(CHistoryStore& store, bool bTell)
{
    const std::atomic<bool> bStop{false};
    const int nThreads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const CIndexSummary summary = CHistoryIndexer(store).Update(nThreads, bStop);
    if (!summary.bOk)
        return Complain(kExitNoData, "履歴を書けません: " + summary.strError);
    if (bTell)
        PrintSummary(summary);
    return kExitDone;
}

// "4321": four digits at most, not 0.
std::optional<int> ParseRegNo(const std::string& s)
{
    if (s.empty() || s.size() > 4 || s.find_first_not_of("0123456789") != std::string::npos || std::stoi(s) == 0)
        return std::nullopt;
    return std::stoi(s);
}

int PrintRacer(CHistoryStore& store, int nRegNo)
{
    CRacerRecord record;
    if (!store.QueryRacer(nRegNo, record))
        return Complain(kExitNoData, "履歴を読めません: " + store.LastError());
    std::printf("date,venue,race,boat,course,start,place\n");
    for (auto it = record.m_races.rbegin(); it != record.m_races.rend(); ++it)
        std::printf("%s,%02d,%d,%d,%s,%s,%s\n", DateText(it->nDate).c_str(), it->nVenue, it->nRace, it->nBoat,
                    SjisToUtf8(it->strCourse.Str()).c_str(), SjisToUtf8(it->strStart.Str()).c_str(),
                    SjisToUtf8(it->strPlace.Str()).c_str());
    return kExitDone;
}

int PrintRecord(CHistoryStore& store, const CArguments& args)
{
    CRecordQuery query;
    query.nFrom = args.nFrom.value_or(query.nFrom);
    query.nTo = args.nTo.value_or(query.nTo);
    CPredictionRecord record;
    if (!store.QueryRecord(query, record))
        return Complain(kExitNoData, "履歴を読めません: " + store.LastError());
    const std::string csv = CRecordCsv::Write(record);
    std::fwrite(csv.data(), 1, csv.size(), stdout);
    return kExitDone;
}

// An error message for arguments the command does not take, or the empty string.
std::string CheckCommand(const CArguments& args)
{
    const size_t nOperands = args.strCommand == "racer" ? 1 : 0;
    if (args.strCommand != "update" && args.strCommand != "racer" && args.strCommand != "record")
        return args.strCommand.empty() ? kUsage : "知らないコマンドです: " + args.strCommand;
    if (args.operands.size() != nOperands)
        return kUsage;
    if ((args.nFrom || args.nTo) && args.strCommand != "record")
        return "--from と --to は record のものです";
    if (args.nFrom && args.nTo && *args.nFrom > *args.nTo)
        return "期間の始まりが終わりより後です";
    if (args.strCommand == "racer" && !ParseRegNo(args.operands[0]))
        return "登録番号は 4 桁までの数字で指定してください: " + args.operands[0];
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    CArguments args;
    std::string strError = ParseArguments(argc, argv, args);
    if (strError.empty())
        strError = CheckCommand(args);
    if (!strError.empty())
        return Complain(kExitBadArgument, strError);

    CDataFolder folder;
    if (!folder.Enter(args.strData, strError))
        return Complain(kExitNoData, strError);
    CHistoryStore store;
    if (!store.Open())
        return Complain(kExitNoData, "履歴 " + args.strData + "/history.sqlite を開けません: " + store.LastError());
    if (const int nStatus = Update(store, args.strCommand == "update"); nStatus != kExitDone)
        return nStatus;
    if (args.strCommand == "racer")
        return PrintRacer(store, *ParseRegNo(args.operands[0]));
    if (args.strCommand == "record")
        return PrintRecord(store, args);
    return kExitDone;
}
