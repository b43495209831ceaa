// Template 100: the about box.
#include "res/Templates.h"
#include "res/resource.h"

const CDialogTemplate kAboutBoxTemplate{
    IDD_ABOUTBOX, "バージョン情報", 171, 125, "ＭＳ Ｐゴシック", 9,
    {
        {-1, DlgKind::Icon, 14, 14, 21, 20, ""},
        {-1, DlgKind::Static, 46, 20, 116, 8, "Kelu Version 2.02"},
        {-1, DlgKind::EtchedLine, 7, 90, 157, 2, ""},
        {IDOK, DlgKind::DefButton, 60, 101, 50, 14, "OK"},
    },
};
