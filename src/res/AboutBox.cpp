// Template 100: the about box.
#include "res/Templates.h"
#include "res/resource.h"

// The box holds one line beside the icon; it is only as tall as that line, the rule and OK need.
const CDialogTemplate kAboutBoxTemplate{
    IDD_ABOUTBOX, "バージョン情報", 171, 68, "ＭＳ Ｐゴシック", 9,
    {
        {-1, DlgKind::Icon, 14, 10, 21, 20, ""},
        {-1, DlgKind::Static, 46, 16, 116, 8, "kelu Version 2.02"},
        {-1, DlgKind::EtchedLine, 7, 35, 157, 2, ""},
        {IDOK, DlgKind::DefButton, 60, 44, 50, 14, "OK"},
    },
};
