// kelu-history [--data DIR] COMMAND
//
// The history store for scripts, on the same code as the program's windows. DIR is the data
// folder (./data by default) with prog/, res/ and the store history.sqlite.
//
//   update                        brings the store up to date and tells what it read
//   racer REGNO                   the racer's races as CSV, oldest first
//   record [--from YYYY-MM-DD] [--to YYYY-MM-DD]
//                                 the predictions' record as CSV, by venue, month and in total
//   predict YYYY-MM-DD            the forecast of every race of the day as CSV
//   fit [--from YYYY-MM-DD] [--to YYYY-MM-DD]
//                                 fits a new forecast model on the decided races of the period
//                                 and writes it to DIR/forecast.json
//   import FOLDER                 unpacks the day archives in FOLDER (bYYMMDD.lzh, kYYMMDD.lzh)
//                                 into DIR/prog and DIR/res with the program's archive library
//
// The commands that read the store bring it up to date first, quietly, forecasts included.
// Exit status: 0 done, 1 the data folder, its store or the day cannot be read or written, 2 a
// bad argument.

#include "download/Archive.h"
#include "forecast/ModelFile.h"
#include "history/DayRows.h"
#include "history/ForecastRow.h"
#include "history/ForecastTraining.h"
#include "history/HistoryIndexer.h"
#include "history/HistoryStore.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"
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
    "使い方: kelu-history [--data フォルダ] update | racer 登録番号 | record [--from YYYY-MM-DD] [--to YYYY-MM-DD] | "
    "predict YYYY-MM-DD | fit [--from YYYY-MM-DD] [--to YYYY-MM-DD] | import アーカイブのフォルダ";

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

int Threads()
{
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

int Update(CHistoryStore& store, const CForecastModel& model, bool bTell)
{
    const std::atomic<bool> bStop{false};
    const CIndexSummary summary = CHistoryIndexer(store, &model).Update(Threads(), bStop);
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

std::string CsvChance(double d)
{
    return FixedDecimals(d, 3);
}

// "1-2 1-3 ...": the picks, best first.
std::string PickList(const std::vector<CPick>& picks, int nLanes)
{
    std::string s;
    for (const CPick& pick : picks) {
        if (!s.empty())
            s += ' ';
        for (int i = 0; i < nLanes; ++i)
            s += (i > 0 ? "-" : "") + std::to_string(pick.lanes[static_cast<size_t>(i)]);
    }
    return s;
}

int PrintPredictions(CHistoryStore& store, int nDate)
{
    const CTime day(nDate / 10000, nDate / 100 % 100, nDate % 100, 12, 0, 0);
    if (!fs::is_regular_file(CKeluDoc::ProgramFileName(day).Str()))
        return Complain(kExitNoData, DateText(nDate) + " の番組表ファイル " +
                                         std::string(CKeluDoc::ProgramFileName(day).Str()) + " がありません");
    std::vector<CForecastRow> rows;
    if (!store.ReadForecasts(nDate, 0, 0, rows))
        return Complain(kExitNoData, "履歴を読めません: " + store.LastError());
    if (rows.empty())
        return Complain(kExitNoData, DateText(nDate) + " の番組表からレースを読めません");
    std::printf("date,venue,race,p1,p2,p3,p4,p5,p6,exacta,trifecta\n");
    for (const CForecastRow& row : rows) {
        std::printf("%s,%d,%d", DateText(nDate).c_str(), row.nVenue, row.nRace);
        for (int b = 0; b < 6; ++b)
            std::printf(",%s", row.forecast.present[static_cast<size_t>(b)]
                                   ? CsvChance(row.forecast.win[static_cast<size_t>(b)]).c_str()
                                   : "");
        std::printf(",%s,%s\n", PickList(row.forecast.exacta, 2).c_str(), PickList(row.forecast.trifecta, 3).c_str());
    }
    return kExitDone;
}

std::string Rate(double d)
{
    return FixedDecimals(d, 1) + "%";
}

void PrintFigures(const char* pszName, const CForecastFigures& f)
{
    std::printf("  %s: 2連単 的中 %s (予想 %s) 回収 %s、3連単 的中 %s (予想 %s) 回収 %s\n", pszName,
                Rate(f.ExactaHitRate()).c_str(), Rate(f.ExactaExpectedRate()).c_str(), Rate(f.ExactaReturnRate()).c_str(),
                Rate(f.TrifectaHitRate()).c_str(), Rate(f.TrifectaExpectedRate()).c_str(),
                Rate(f.TrifectaReturnRate()).c_str());
}

int Fit(CHistoryStore& store, const CForecastModel& current, const CArguments& args)
{
    std::vector<int> dates;
    if (!store.ReadDates(args.nFrom.value_or(0), args.nTo.value_or(99991231), dates))
        return Complain(kExitNoData, "履歴を読めません: " + store.LastError());
    if (dates.empty())
        return Complain(kExitNoData, "期間に読める日がありません");
    const std::atomic<bool> bStop{false};
    CForecastTraining::COptions options;
    options.nThreads = Threads();
    const CFitOutcome outcome = CForecastTraining::Fit(store, args.nFrom.value_or(dates.front()),
                                                       args.nTo.value_or(dates.back()), current, options, bStop);
    if (!outcome.bOk)
        return Complain(kExitNoData, "学習できません: " + outcome.strError);
    std::string strError;
    if (!CModelFile::Save(CModelFile::kPath, outcome.model, strError))
        return Complain(kExitNoData, strError);
    std::printf("学習期間: %s から %s\n", DateText(outcome.model.m_nFrom).c_str(), DateText(outcome.model.m_nTo).c_str());
    std::printf("レース数: %d（履歴を使う係数は %d）\n", outcome.nProgramRaces, outcome.nHistoryRaces);
    std::printf("時間: %s 秒\n", FixedDecimals(outcome.dSeconds, 1).c_str());
    if (outcome.nHeldOutFrom != 0) {
        std::printf("最後の1か月（%s から %s、%d レース）を除いて学習したモデルの成績:\n",
                    DateText(outcome.nHeldOutFrom).c_str(), DateText(outcome.nHeldOutTo).c_str(),
                    outcome.heldOut.nRaces);
        PrintFigures("新しいモデル", outcome.heldOut);
        PrintFigures("これまでのモデル", outcome.current);
    }
    std::printf("%s に書きました\n", CModelFile::kPath);
    // The stored forecasts follow the new model.
    return Update(store, outcome.model, false);
}

// "b200105.lzh" or "k200105.lzh": the kind's folder and the day file's name.
bool DayArchive(const std::string& name, std::string& strFolder, std::string& strMember)
{
    if (name.size() != 11 || (name[0] != 'b' && name[0] != 'k') || name.substr(7) != ".lzh" ||
        name.find_first_not_of("0123456789", 1) != 7)
        return false;
    strFolder = name[0] == 'b' ? "data/prog" : "data/res";
    strMember = std::string(1, static_cast<char>(name[0] - 'a' + 'A')) + name.substr(1, 6) + ".TXT";
    return true;
}

int Import(const std::string& strFolder)
{
    std::error_code ec;
    std::vector<fs::path> archives;
    for (fs::directory_iterator it(strFolder, ec), end; !ec && it != end; it.increment(ec))
        archives.push_back(it->path());
    if (ec)
        return Complain(kExitNoData, "フォルダ " + strFolder + " を読めません: " + ec.message());
    std::sort(archives.begin(), archives.end());
    int nDone = 0, nFailed = 0;
    for (const fs::path& path : archives) {
        std::string strInto, strMember;
        if (!DayArchive(path.filename().string(), strInto, strMember))
            continue;
        const std::string command = "efw=" + strInto + " \"" + fs::absolute(path).string() + "\" " + strMember;
        const CExtractResult result = ExtractArchive(command.c_str());
        if (result.nCode == 0) {
            ++nDone;
        } else {
            ++nFailed;
            std::fprintf(stderr, "kelu-history: %s を展開できません (%d)\n%s", path.string().c_str(), result.nCode,
                         result.strReport.c_str());
        }
    }
    std::printf("展開したアーカイブ: %d、できなかったもの: %d\n", nDone, nFailed);
    return nFailed == 0 ? kExitDone : kExitNoData;
}

// An error message for arguments the command does not take, or the empty string.
std::string CheckCommand(const CArguments& args)
{
    static const std::map<std::string, size_t> kOperands = {{"update", 0}, {"racer", 1}, {"record", 0},
                                                            {"predict", 1}, {"fit", 0},   {"import", 1}};
    const auto it = kOperands.find(args.strCommand);
    if (it == kOperands.end())
        return args.strCommand.empty() ? kUsage : "知らないコマンドです: " + args.strCommand;
    if (args.operands.size() != it->second)
        return kUsage;
    if ((args.nFrom || args.nTo) && args.strCommand != "record" && args.strCommand != "fit")
        return "--from と --to は record と fit のものです";
    if (args.nFrom && args.nTo && *args.nFrom > *args.nTo)
        return "期間の始まりが終わりより後です";
    if (args.strCommand == "racer" && !ParseRegNo(args.operands[0]))
        return "登録番号は 4 桁までの数字で指定してください: " + args.operands[0];
    if (args.strCommand == "predict" && !ParseDate(args.operands[0]))
        return "日付は YYYY-MM-DD で指定してください: " + args.operands[0];
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

    // The folder of archives is named from where the command was given.
    const std::string strArchives = args.strCommand == "import" ? fs::absolute(args.operands[0]).string() : "";
    CDataFolder folder;
    if (!folder.Enter(args.strData, strError))
        return Complain(kExitNoData, strError);
    if (args.strCommand == "import")
        return Import(strArchives);
    std::string strWarning;
    const CForecastModel model = CModelFile::Current(strWarning);
    if (!strWarning.empty())
        std::fprintf(stderr, "kelu-history: %s\n", strWarning.c_str());
    CHistoryStore store;
    if (!store.Open())
        return Complain(kExitNoData, "履歴 " + args.strData + "/history.sqlite を開けません: " + store.LastError());
    if (const int nStatus = Update(store, model, args.strCommand == "update"); nStatus != kExitDone)
        return nStatus;
    if (args.strCommand == "racer")
        return PrintRacer(store, *ParseRegNo(args.operands[0]));
    if (args.strCommand == "record")
        return PrintRecord(store, args);
    if (args.strCommand == "predict")
        return PrintPredictions(store, *ParseDate(args.operands[0]));
    if (args.strCommand == "fit")
        return Fit(store, model, args);
    return kExitDone;
}
