#include "download/DayArchive.h"

#include "download/Archive.h"
#include "download/Fetch.h"
#include "download/lha32/Lha32.h"
#include "model/KeluDoc.h"
#include "platform/AsciiCase.h"
#include "platform/Number.h"
#include "platform/Sjis.h"
#include "platform/TextFile.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The name of a path: "B200101.TXT" of "data/prog/B200101.TXT".
CString BaseNameOf(const CString& strPath)
{
    const size_t n = strPath.Str().rfind('/');
    return n == std::string::npos ? strPath : strPath.Mid(static_cast<int>(n) + 1);
}

// The fields of one line of the archive library's report: kind, name, detail.
struct CReportLine {
    CString strKind, strName, strDetail;
};

std::vector<CReportLine> ReportLines(const std::string& report)
{
    std::vector<CReportLine> lines;
    size_t nStart = 0;
    while (nStart < report.size()) {
        size_t nEnd = report.find('\n', nStart);
        if (nEnd == std::string::npos)
            nEnd = report.size();
        const std::string line = report.substr(nStart, nEnd - nStart);
        nStart = nEnd + 1;
        const size_t nTab1 = line.find('\t');
        const size_t nTab2 = nTab1 == std::string::npos ? nTab1 : line.find('\t', nTab1 + 1);
        if (nTab2 == std::string::npos)
            continue;
        lines.push_back({CString(line.substr(0, nTab1)), CString(line.substr(nTab1 + 1, nTab2 - nTab1 - 1)),
                         CString(line.substr(nTab2 + 1))});
    }
    return lines;
}

CString SkipReason(const CString& strDetail)
{
    static const struct {
        const char* pszDetail;
        const char* pszReason;
    } kReasons[] = {
        {"not asked", "この日のファイルではありません"},
        {"unsafe name", "名前にフォルダが含まれているか、安全でない名前です"},
        {"not a file", "ファイルではありません"},
        {"too large", "16 MB を超えています"},
        {"too many", "書庫のファイルが多すぎます"},
    };
    for (const auto& r : kReasons)
        if (strDetail == r.pszDetail)
            return Sjis(r.pszReason);
    return strDetail;
}

// What one unpacking tells: the log, and the end message's lists.
class CUnpackNotes {
public:
    CUnpackNotes(const CString& strDate, const CString& strArchive, IDownloadProgress& progress,
                 CDownloadOutcome& outcome)
        : m_strDate(strDate)
        , m_strArchive(strArchive)
        , m_progress(progress)
        , m_outcome(outcome)
    {
    }

    void TellOf(const CReportLine& line, const CString& strFolder, const CString& strMember)
    {
        if (line.strKind == "failed" && line.strDetail.Left(6) == "write ") {
            Unwritten(strFolder + "/" + line.strName + ": " + ErrnoText(AtoI(line.strDetail.Mid(6))));
        } else if (line.strKind == "folder") {
            Unwritten(line.strName + ": " + ErrnoText(AtoI(line.strDetail)));
        } else if (line.strKind == "failed") {
            Missed(Sjis("(書庫の ") + line.strName + Sjis(" が壊れています)"));
        } else if (line.strKind == "missing") {
            Missed(Sjis("(書庫に ") + line.strName + Sjis(" がありません)"));
        } else if (line.strKind == "skipped") {
            const CString strWhy = SkipReason(line.strDetail);
            Log(Sjis("書庫の ") + line.strName + Sjis(" は解凍しません: ") + strWhy);
            if (SameNameAnyCase(line.strName.Str(), strMember.Str()))
                m_outcome.missed.push_back(m_strArchive + "(" + line.strName + ": " + strWhy + ")");
        }
    }

    void Log(const CString& strText) { m_progress.AppendText(m_strDate + " " + strText + "\r\n"); }

    void Unwritten(const CString& strWhy)
    {
        Log(strWhy);
        m_outcome.unwritten.push_back(strWhy);
    }

    void Missed(const CString& strWhy)
    {
        Log(strWhy);
        m_outcome.missed.push_back(m_strArchive + strWhy);
    }

private:
    CString m_strDate;
    CString m_strArchive;
    IDownloadProgress& m_progress;
    CDownloadOutcome& m_outcome;
};

} // namespace

CString DayFileOf(const CArchiveKind& kind, const CTime& day)
{
    return kind.chKind == 'B' ? CKeluDoc::ProgramFileName(day) : CKeluDoc::ResultFileName(day);
}

bool UnpackDayArchive(const CArchiveKind& kind, const CTime& day, const char* pszWorkFile, IDownloadProgress& progress,
                      CDownloadOutcome& outcome)
{
    const CString strDayFile = DayFileOf(kind, day);
    const CString strMember = BaseNameOf(strDayFile);
    const CString strFolder(FolderOf(strDayFile.Str()));
    const CString strCommand = CString::Formatted("efw=%s %s %s", kind.pszFolder, pszWorkFile, strMember.GetString());
    const CExtractResult result = ExtractArchive(strCommand.GetString());
    std::remove(pszWorkFile);
    const CString strDate = day.Format("%Y/%m/%d");
    const CString strArchive = strDate + " " + Sjis(kind.pszName) + " ";
    CUnpackNotes notes(strDate, strArchive, progress, outcome);
    if (result.nCode == kExtractNoLibrary || result.nCode == kExtractNoEntryPoint) {
        const CString strWhy = Sjis("liblha32.so を読み込めないため解凍できません");
        notes.Log(strDayFile + ": " + strWhy + " (" + CString(result.strReport) + ")");
        outcome.unwritten.push_back(strDayFile + ": " + strWhy);
        return false;
    }
    for (const CReportLine& line : ReportLines(result.strReport))
        notes.TellOf(line, strFolder, strMember);
    if (result.strReport.empty() && result.nCode != LHA32_OK) {
        const CString strWhy = Sjis("(書庫が壊れているか、LZH 書庫ではありません)");
        notes.Log(Sjis(kind.pszLogName) + " " + strWhy);
        outcome.missed.push_back(strArchive + strWhy);
    }
    return result.nCode == LHA32_OK;
}
