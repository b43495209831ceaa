// The string table. Texts are written in UTF-8 and handed out in Shift-JIS.
#include "res/Strings.h"

#include "platform/Sjis.h"
#include "res/StringIds.h"
#include "res/resource.h"

#include <map>

namespace {

struct Entry {
    unsigned nID;
    const char* pszText;
};

const Entry kTable[] = {
    // The document string: window title, no document name, new-document name "Kelu", no file
    // type of its own.
    {IDR_MAINFRAME, "kelu\n\nKelu\n\n\nKelu.Document\nKelu Document"},
    {IDS_APP_TITLE, "kelu"},
    {IDP_SOCKETS_INIT_FAILED, "Windows ｿｹｯﾄの初期化に失敗しました。"},

    // Kelu's own commands.
    {ID_FILE_DOWNLOAD_TODAY, "番組と結果のﾀﾞｳﾝﾛｰﾄﾞ(当日)\n番組と結果"},
    {ID_FILE_DOWNLOAD_WEEK, "番組と結果のﾀﾞｳﾝﾛｰﾄﾞ(一週間)\n番組と結果（週）"},
    {ID_FILE_DOWNLOAD_PERIOD, "開始日から終了日までの番組と結果をまとめてﾀﾞｳﾝﾛｰﾄﾞ\n期間を指定してﾀﾞｳﾝﾛｰﾄﾞ"},
    {ID_FILE_PREDICTION_RECORD, "手元の全ての日の予想の的中率と回収率を集計\n予想の成績"},
    {ID_FILE_SETTINGS, "データのサーバーとあっせん予定のページのアドレスを設定\n設定"},
    {ID_FAVORITE_RACER_RECORD, "登録番号で選ぶ選手の、手元の全ての日の成績\n選手の成績"},
    {ID_FILE_FIT_FORECAST, "予測ページの予測のモデルを、履歴の決着したレースから学習し直す\n予想の学習"},
    {ID_FILE_UPDATE_HISTORY, "履歴 (data/history.sqlite) を番組表と結果表のファイルに合わせて更新\n履歴の更新"},
    {ID_FAVORITE_ADD, "注目選手リストに追加します\n注目選手の追加"},
    {ID_FAVORITE_ORGANIZE, "注目選手リストの並び替えや削除\n注目選手の整理"},
    {ID_FILE_PRINT_ALL, "全てのレースを印刷\n全レース印刷"},
    {ID_FILE_PRINT_RACE, "選択されているレースを印刷\n印刷"},
    {ID_FILE_PREVIEW_ALL, "全レースの印刷イメージの表示\n全ﾚｰｽﾌﾟﾚﾋﾞｭｰ"},
    {ID_FILE_PREVIEW_RACE, "選択されているレースの印刷イメージを表示\n印刷ﾌﾟﾚﾋﾞｭｰ"},
    {ID_FILE_PRINT_SETUP, "ﾌﾟﾘﾝﾀ/印刷ｵﾌﾟｼｮﾝの変更\n印刷設定"},
    {ID_FILE_PRINT, "全レースを印刷\n印刷"},
    {ID_FILE_PRINT_PREVIEW, "印刷ｲﾒｰｼﾞを表示\n印刷ﾌﾟﾚﾋﾞｭｰ"},
    {ID_VIEW_ZOOM_IN, "ｳｨﾝﾄﾞｳと表示を一段階大きくする\n拡大"},
    {ID_VIEW_ZOOM_OUT, "ｳｨﾝﾄﾞｳと表示を一段階小さくする\n縮小"},
    {ID_VIEW_ZOOM_RESET, "ｳｨﾝﾄﾞｳと表示を標準の大きさに戻す\n標準の大きさ"},
    {IDHELP, "ﾍﾙﾌﾟを表示\nﾍﾙﾌﾟ"},
    {ID_APP_ABOUT, "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"},
    {ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了"},
    // The first and last ids of the watched-racer items' three ranges.
    {ID_FAVORITE_SCHEDULE_FIRST, " "},
    {ID_FAVORITE_SCHEDULE_FIRST + 256, " "},
    {ID_FAVORITE_RACE1_FIRST, " "},
    {ID_FAVORITE_RACE1_FIRST + 256, " "},
    {ID_FAVORITE_RACE2_FIRST, " "},
    {ID_FAVORITE_LAST, " "},

    // The standard commands.
    {ID_FILE_NEW, "新規にﾌｧｲﾙを作成\n新規ﾌｧｲﾙ"},
    {ID_FILE_OPEN, "既存のﾌｧｲﾙを開く\n開く"},
    {ID_FILE_CLOSE, "作業中のﾌｧｲﾙを閉じる\n閉じる"},
    {ID_FILE_SAVE, "作業中のﾌｧｲﾙを上書きして保存\n保存"},
    {ID_FILE_SAVE_AS, "作業中のﾌｧｲﾙを新しい名前で保存\n名前を付けて保存"},
    {ID_FILE_PAGE_SETUP, "印刷ｵﾌﾟｼｮﾝの変更\nﾍﾟｰｼﾞ ﾚｲｱｳﾄ"},
    {ID_FILE_PRINT_DIRECT, "現在の設定で印刷\n印刷"},
    {ID_EDIT_CLEAR, "選択範囲を消去\n消去"},
    {ID_EDIT_COPY, "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存\nｺﾋﾟｰ"},
    {ID_EDIT_CUT, "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存\n切り取り"},
    {ID_EDIT_PASTE, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け\n貼り付け"},
    {ID_EDIT_SELECT_ALL, "ﾌｧｲﾙ内のすべてを選択\nすべて選択"},
    {ID_EDIT_UNDO, "直前に行った動作を元に戻す\n元に戻す"},
    {ID_EDIT_REDO, "直前に行った動作を繰り返す\nやり直し"},
    {ID_NEXT_PANE, "次のｳｨﾝﾄﾞｳ ﾍﾟｲﾝに切り替え\n次のﾍﾟｲﾝ"},
    {ID_PREV_PANE, "前のｳｨﾝﾄﾞｳ ﾍﾟｲﾝに切り替え\n前のﾍﾟｲﾝ"},

    // The status bar.
    {AFX_IDS_IDLEMESSAGE, "ﾚﾃﾞｨ"},
    {ID_INDICATOR_EXT, "EXT"},
    {ID_INDICATOR_CAPS, "CAP"},
    {ID_INDICATOR_NUM, "NUM"},
    {ID_INDICATOR_SCRL, "SCRL"},
    {ID_INDICATOR_OVR, "OVR"},
    {ID_INDICATOR_REC, "REC"},
    {ID_INDICATOR_KANA, "ｶﾅ"},

    // The document commands' dialogs and messages.
    {AFX_IDS_OPENFILE, "開く"},
    {AFX_IDS_SAVEFILE, "名前を付けて保存"},
    {AFX_IDS_ALLFILTER, "すべてのﾌｧｲﾙ (*)"},
    {AFX_IDS_UNTITLED, "無題"},
    {AFX_IDP_FAILED_TO_OPEN_DOC, "ﾌｧｲﾙを開けませんでした。"},
    {AFX_IDP_FAILED_TO_SAVE_DOC, "ﾌｧｲﾙを保存できませんでした。"},
};

} // namespace

CString LoadKeluString(unsigned nID)
{
    static const std::map<unsigned, CString> table = [] {
        std::map<unsigned, CString> m;
        for (const Entry& e : kTable)
            m.emplace(e.nID, Sjis(e.pszText));
        return m;
    }();
    auto it = table.find(nID);
    return it == table.end() ? CString() : it->second;
}

CString StatusPrompt(unsigned nID)
{
    const CString s = LoadKeluString(nID);
    const int n = s.Find('\n');
    return n < 0 ? s : s.Left(n);
}

CString TooltipText(unsigned nID)
{
    const CString s = LoadKeluString(nID);
    const int n = s.Find('\n');
    return n < 0 ? CString() : s.Mid(n + 1);
}
