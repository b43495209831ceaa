// Template 100: the about box. (Laid out with the main frame.)
#include "res/Templates.h"
#include "res/resource.h"

const CDialogTemplate kAboutBoxTemplate{IDD_ABOUTBOX, "バージョン情報", 171, 125, "ＭＳ Ｐゴシック", 9, {}};
