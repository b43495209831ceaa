#include "download/DownloadOutcome.h"

#include "platform/Sjis.h"

CString ProgramErrorText(int nCode)
{
    return Sjis("出走表がダウンロードできません。\n(Error ") + CString::Formatted("%d)", nCode);
}

CString FailureInWords(int nCode, const CString& strReason)
{
    // The codes below 100 are the program's own: 2 for a transfer without an answer.
    constexpr int kFirstHttpStatus = 100;
    if (nCode == 404)
        return Sjis("サーバーにファイルがありません (404)。まだ発表されていない日か、サーバーのアドレスが違うのかもしれません。");
    if (nCode >= kFirstHttpStatus)
        return Sjis("サーバーが ") + CString::Formatted("%d", nCode) + Sjis(" を返しました。");
    if (!strReason.IsEmpty())
        return strReason + Sjis("。");
    return CString();
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
    if (outcome.end == DownloadEnd::ProgramFailed) {
        strText = ProgramErrorText(outcome.nCode);
        if (const CString strWords = FailureInWords(outcome.nCode, outcome.strReason); !strWords.IsEmpty())
            strText += "\n" + strWords;
    }
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
