#include "historytool/Commands.h"

#include "download/Archive.h"
#include "historytool/DataCsv.h"
#include "forecast/ModelFile.h"
#include "historytool/DataFolder.h"
#include "history/ForecastRow.h"
#include "history/ForecastTraining.h"
#include "historytool/Output.h"
#include "history/RacerCsv.h"
#include "historytool/StoreSession.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"
#include "platform/Time.h"
#include "record/RecordCsv.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <map>
#include <vector>

namespace {

namespace fs = std::filesystem;

int Complain(int nStatus, const std::string& strMessage)
{
    std::fprintf(stderr, "kelu-history: %s\n", strMessage.c_str());
    return nStatus;
}

// The output written whole, or status 1.
int Finish(COutput& out)
{
    if (!out.Finish())
        return Complain(kExitFailed, "出力を書けません: " + out.Error());
    return kExitDone;
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

std::string Rate(double d)
{
    return FixedDecimals(d, 1) + "%";
}

std::string FiguresLine(const char* pszName, const CForecastFigures& f)
{
    return std::string("  ") + pszName + ": 2連単 的中 " + Rate(f.ExactaHitRate()) + " (予想 " +
           Rate(f.ExactaExpectedRate()) + ") 回収 " + Rate(f.ExactaReturnRate()) + "、3連単 的中 " +
           Rate(f.TrifectaHitRate()) + " (予想 " + Rate(f.TrifectaExpectedRate()) + ") 回収 " +
           Rate(f.TrifectaReturnRate()) + "\n";
}

class CCommands {
public:
    CCommands(const CArguments& args, const CDataFolder& folder) : m_args(args), m_folder(folder), m_session(folder) {}

    int Run()
    {
        std::string strWarning;
        m_model = CModelFile::Current(strWarning);
        if (!strWarning.empty())
            m_session.Say(strWarning);
        if (!m_session.Open())
            return Complain(kExitFailed, m_folder.Real("履歴 data/history.sqlite を開けません: ") +
                                             m_session.Store().LastError());
        const bool bUpdate = m_args.strCommand == "update";
        std::string strReport, strError;
        if (!m_session.Update(m_model, bUpdate ? &strReport : nullptr, strError)) {
            // Updating is the update command's whole work; the others read the store as it is.
            if (bUpdate || m_args.strCommand == "fit")
                return Complain(kExitFailed, "履歴を書けません: " + strError);
            m_session.Say("履歴を更新できません（" + strError + "）。いまの履歴から読むので、ファイルより古いかもしれません");
        }
        if (bUpdate) {
            m_out.Write(strReport);
            return Finish(m_out);
        }
        if (m_args.strCommand == "racer")
            return Racer();
        if (m_args.strCommand == "record")
            return Record();
        if (m_args.strCommand == "predict")
            return Predict();
        if (m_args.strCommand == "fit")
            return Fit();
        if (m_args.strCommand == "entries" || m_args.strCommand == "payouts")
            return Rows(m_args.strCommand == "entries");
        return Complain(kExitBadArgument, kUsage);
    }

private:
    // A question to the store; status 1 when it cannot be read.
    bool Ask(const std::function<bool(CHistoryStore&)>& question)
    {
        if (m_session.Ask(m_model, question))
            return true;
        Complain(kExitFailed, "履歴を読めません: " + m_session.Store().LastError());
        return false;
    }

    int Racer()
    {
        CRacerRecord record;
        const int nRegNo = *ParseRegNo(m_args.operands[0]);
        if (!Ask([&](CHistoryStore& store) { return store.QueryRacer(nRegNo, record); }))
            return kExitFailed;
        m_out.Write(CRacerCsv::Write(record));
        return Finish(m_out);
    }

    int Record()
    {
        CRecordQuery query;
        query.nFrom = m_args.nFrom.value_or(query.nFrom);
        query.nTo = m_args.nTo.value_or(query.nTo);
        CPredictionRecord record;
        if (!Ask([&](CHistoryStore& store) { return store.QueryRecord(query, record); }))
            return kExitFailed;
        m_out.Write(CRecordCsv::Write(record));
        return Finish(m_out);
    }

    int Predict()
    {
        const int nDate = *ParseDate(m_args.operands[0]);
        const CTime day(nDate / 10000, nDate / 100 % 100, nDate % 100, 12, 0, 0);
        const std::string strProgram = CKeluDoc::ProgramFileName(day).Str();
        if (!fs::is_regular_file(strProgram))
            return Complain(kExitFailed, m_folder.Real(DateText(nDate, '-') + " の番組表ファイル " + strProgram + " がありません"));
        std::vector<CForecastRow> rows;
        if (!Ask([&](CHistoryStore& store) { return store.ReadForecasts(nDate, 0, 0, rows); }))
            return kExitFailed;
        if (rows.empty())
            return Complain(kExitFailed, DateText(nDate, '-') + " の番組表からレースを読めません");
        m_out.Write("date,venue,race,p1,p2,p3,p4,p5,p6,exacta,trifecta\n");
        for (const CForecastRow& row : rows) {
            std::string line = DateText(nDate, '-') + "," + std::to_string(row.nVenue) + "," + std::to_string(row.nRace);
            for (size_t b = 0; b < 6; ++b)
                line += "," + (row.forecast.present[b] ? FixedDecimals(row.forecast.win[b], 3) : std::string());
            line += "," + PickList(row.forecast.exacta, 2) + "," + PickList(row.forecast.trifecta, 3) + "\n";
            m_out.Write(line);
        }
        return Finish(m_out);
    }

    int Fit()
    {
        std::vector<int> dates;
        if (!Ask([&](CHistoryStore& store) {
                return store.ReadDates(m_args.nFrom.value_or(0), m_args.nTo.value_or(99991231), dates);
            }))
            return kExitFailed;
        if (dates.empty())
            return Complain(kExitFailed, "期間に読める日がありません");
        const std::atomic<bool> bStop{false};
        CForecastTraining::COptions options;
        options.nThreads = Threads();
        const CFitOutcome outcome = CForecastTraining::Fit(m_session.Store(), m_args.nFrom.value_or(dates.front()),
                                                           m_args.nTo.value_or(dates.back()), m_model, options, bStop);
        if (!outcome.bOk)
            return Complain(kExitFailed, "学習できません: " + outcome.strError);
        std::string strError;
        if (!CModelFile::Save(CModelFile::kPath, outcome.model, strError))
            return Complain(kExitFailed, m_folder.Real(strError));
        std::string text = "学習期間: " + DateText(outcome.model.m_nFrom, '-') + " から " + DateText(outcome.model.m_nTo, '-') + "\n";
        text += "レース数: " + std::to_string(outcome.nProgramRaces) + "（履歴を使う係数は " +
                std::to_string(outcome.nHistoryRaces) + "）\n";
        text += "時間: " + FixedDecimals(outcome.dSeconds, 1) + " 秒\n";
        if (outcome.nHeldOutFrom != 0) {
            text += "最後の1か月（" + DateText(outcome.nHeldOutFrom, '-') + " から " + DateText(outcome.nHeldOutTo, '-') + "、" +
                    std::to_string(outcome.heldOut.nRaces) + " レース）を除いて学習したモデルの成績:\n";
            text += FiguresLine("新しいモデル", outcome.heldOut) + FiguresLine("これまでのモデル", outcome.current);
        }
        text += m_folder.Real(std::string(" ") + CModelFile::kPath).substr(1) + " に書きました\n";
        m_out.Write(text);
        // The stored forecasts follow the new model.
        if (!m_session.Update(outcome.model, nullptr, strError))
            return Complain(kExitFailed, "履歴を書けません: " + strError);
        return Finish(m_out);
    }

    // The entries or the payout lines of the stored days of the period, a day at a time: a store
    // found damaged halfway is built anew and asked again for the day it failed on, never for
    // one already written.
    int Rows(bool bEntries)
    {
        std::map<int, CDayState> days;
        if (!Ask([&](CHistoryStore& store) { return store.StoredDays(days); }))
            return kExitFailed;
        m_out.Write(bEntries ? CDataCsv::EntriesHeader() : CDataCsv::PayoutsHeader());
        CDataCsv csv;
        std::string lines;
        const auto end = days.upper_bound(m_args.nTo.value_or(99991231));
        for (auto it = days.lower_bound(m_args.nFrom.value_or(0)); it != end; ++it) {
            const auto& [nDate, state] = *it;
            if (state.state != EDayState::Read) {
                m_session.Say(DateText(nDate, '-') + ": " + DayFault(state) + "この日の行は書き出しません");
                continue;
            }
            const bool bRead = Ask([&](CHistoryStore& store) {
                lines.clear();
                return bEntries ? csv.AddEntries(store, nDate, lines) : csv.AddPayouts(store, nDate, lines);
            });
            if (!bRead)
                return kExitFailed;
            m_out.Write(lines);
        }
        return Finish(m_out);
    }

    const CArguments& m_args;
    const CDataFolder& m_folder;
    CStoreSession m_session;
    CForecastModel m_model;
    COutput m_out;
};

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

} // namespace

int RunCommand(const CArguments& args, const CDataFolder& folder)
{
    return CCommands(args, folder).Run();
}

int Import(const std::string& strArchives)
{
    std::error_code ec;
    std::vector<fs::path> archives;
    for (fs::directory_iterator it(strArchives, ec), end; !ec && it != end; it.increment(ec))
        archives.push_back(it->path());
    if (ec)
        return Complain(kExitFailed, "フォルダ " + strArchives + " を読めません: " + ec.message());
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
    COutput out;
    out.Write("展開したアーカイブ: " + std::to_string(nDone) + "、できなかったもの: " + std::to_string(nFailed) + "\n");
    const int nStatus = Finish(out);
    return nFailed == 0 ? nStatus : kExitFailed;
}
