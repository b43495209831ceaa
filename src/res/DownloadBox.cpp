// Template 131: the download's progress dialog, a log and a stop button.
#include "res/Templates.h"
#include "res/resource.h"

const CDialogTemplate kDownloadTemplate{
    IDD_DOWNLOAD, "データファイルのダウンロード中 ...", 187, 115, "ＭＳ Ｐゴシック", 9,
    {
        {IDC_LOG, DlgKind::MultiEdit, 8, 7, 172, 74, ""},
        {IDCANCEL, DlgKind::Button, 67, 90, 50, 18, "中止"},
    },
};
