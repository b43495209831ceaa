// Templates 133 and 134: the watched-racer list's add and organize dialogs.
#include "res/Templates.h"
#include "res/resource.h"

const CDialogTemplate kAddFavoriteTemplate{
    IDD_ADD_FAVORITE, "注目選手の追加", 142, 77, "ＭＳ Ｐゴシック", 9,
    {
        {-1, DlgKind::Static, 28, 22, 28, 8, "登録番号"},
        {IDC_REGNO, DlgKind::NumberEdit, 61, 19, 40, 13, ""},
        {IDOK, DlgKind::DefButton, 15, 50, 50, 17, "追加"},
        {IDCANCEL, DlgKind::Button, 76, 50, 50, 17, "ｷｬﾝｾﾙ"},
    },
};

const CDialogTemplate kOrganizeFavoritesTemplate{
    IDD_ORGANIZE_FAVORITES, "注目選手の整理", 166, 151, "ＭＳ Ｐゴシック", 9,
    {
        {IDC_FAVORITE_LIST, DlgKind::ListView, 7, 7, 97, 109, ""},
        {IDC_FAVORITE_DELETE, DlgKind::Button, 114, 18, 37, 18, "削除"},
        {IDC_FAVORITE_UP, DlgKind::Button, 114, 67, 37, 18, "↑上へ"},
        {IDC_FAVORITE_DOWN, DlgKind::Button, 114, 93, 37, 18, "↓下へ"},
        {IDOK, DlgKind::DefButton, 20, 127, 37, 18, "OK"},
        {IDCANCEL, DlgKind::Button, 73, 127, 37, 18, "ｷｬﾝｾﾙ"},
    },
};
