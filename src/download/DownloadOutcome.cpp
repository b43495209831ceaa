#include "download/DownloadOutcome.h"

#include "platform/Sjis.h"

CString ProgramErrorText(int nCode)
{
    return Sjis("出走表がダウンロードできません。\n(Error ") + CString::Formatted("%d)", nCode);
}

CString DownloadCaption()
{
    return Sjis("ダウンロード");
}

CString DownloadEndMessage(const CDownloadOutcome& outcome)
{
    if (outcome.end == DownloadEnd::Stopped)
        return CString();
    CString strText;
    if (outcome.end == DownloadEnd::ProgramFailed)
        strText = ProgramErrorText(outcome.nCode);
    auto add = [&strText](const char* pszHeading, const std::vector<CString>& lines) {
        if (lines.empty())
            return;
        if (!strText.IsEmpty())
            strText += "\n\n";
        strText += Sjis(pszHeading);
        for (const CString& line : lines)
            strText += "\n" + line;
    };
    add("ダウンロードできなかった日があります。", outcome.missed);
    add("書き込めなかったファイルがあります。", outcome.unwritten);
    return strText;
}
