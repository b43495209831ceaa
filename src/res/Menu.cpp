// Menu 128, toolbar 128 and accelerators 128.
#include "res/Menu.h"

#include "res/resource.h"

#include <QtGlobal>

#include <iterator>

namespace {

const CMenuItemDef kFileItems[] = {
    {ID_FILE_DOWNLOAD_TODAY, "番組と結果のﾀﾞｳﾝﾛｰﾄﾞ (当日分) ..."},
    {ID_FILE_DOWNLOAD_WEEK, "番組と結果のﾀﾞｳﾝﾛｰﾄﾞ (一週間分) ..."},
    {ID_FILE_DOWNLOAD_PERIOD, "期間を指定してﾀﾞｳﾝﾛｰﾄﾞ(&P)..."},
    {ID_FILE_PREDICTION_RECORD, "予想の成績(&R)..."},
    {ID_FILE_FIT_FORECAST, "予想の学習(&L)..."},
    {ID_FILE_UPDATE_HISTORY, "履歴の更新(&U)"},
    {0, nullptr},
    {ID_FILE_PRINT_ALL, "全ﾚｰｽ印刷(&A)..."},
    {ID_FILE_PREVIEW_ALL, "全ﾚｰｽ印刷ﾌﾟﾚﾋﾞｭｰ(&G)"},
    {0, nullptr},
    {ID_FILE_PRINT_RACE, "印刷(&P)..."},
    {ID_FILE_PREVIEW_RACE, "印刷ﾌﾟﾚﾋﾞｭｰ(&V)"},
    {ID_FILE_PRINT_SETUP, "ﾌﾟﾘﾝﾀの設定(&R)..."},
    {ID_FILE_SETTINGS, "設定(&S)..."},
    {0, nullptr},
    {ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"},
};

// The separator ends the fixed part: the watched racers follow it.
const CMenuItemDef kFavoriteItems[] = {
    {ID_FAVORITE_ADD, "注目選手の追加(&A)..."},
    {ID_FAVORITE_ORGANIZE, "注目選手の整理(&O)..."},
    {ID_FAVORITE_RACER_RECORD, "選手の成績(&H)..."},
    {0, nullptr},
};

// The window's size: the keys are those of the accelerators below.
const CMenuItemDef kViewItems[] = {
    {ID_VIEW_ZOOM_IN, "拡大(&I)"},
    {ID_VIEW_ZOOM_OUT, "縮小(&O)"},
    {ID_VIEW_ZOOM_RESET, "標準の大きさ(&N)"},
};

const CMenuItemDef kHelpItems[] = {
    {IDHELP, "ﾍﾙﾌﾟ(&H)"},
    {0, nullptr},
    {ID_APP_ABOUT, "Kelu のﾊﾞｰｼﾞｮﾝ情報(&A)..."},
};

const CPopupDef kMenu[] = {
    {"ﾌｧｲﾙ(&F)", kFileItems},
    {"注目選手(&A)", kFavoriteItems},
    {"表示(&V)", kViewItems},
    {"ﾍﾙﾌﾟ(&H)", kHelpItems},
};

static_assert(std::size(kFavoriteItems) == kFavoritesFixedItems);

const CToolbarButtonDef kToolbar[] = {
    {ID_FILE_DOWNLOAD_TODAY, ":/res/toolbar/download_today.xpm"},
    {ID_FILE_DOWNLOAD_WEEK, ":/res/toolbar/download_week.xpm"},
    {0, nullptr},
    {ID_FAVORITE_ADD, ":/res/toolbar/favorite_add.xpm"},
    {ID_FAVORITE_ORGANIZE, ":/res/toolbar/favorite_organize.xpm"},
    {0, nullptr},
    {ID_FILE_PREVIEW_RACE, ":/res/toolbar/preview_race.xpm"},
    {ID_FILE_PREVIEW_ALL, ":/res/toolbar/preview_all.xpm"},
    {ID_FILE_PRINT_RACE, ":/res/toolbar/print_race.xpm"},
    {ID_FILE_PRINT_ALL, ":/res/toolbar/print_all.xpm"},
    {0, nullptr},
    {ID_APP_ABOUT, ":/res/toolbar/about.xpm"},
};

const CAccelDef kAccelerators[] = {
    {"Ctrl+N", ID_FILE_NEW},
    {"Ctrl+O", ID_FILE_OPEN},
    {"Ctrl+S", ID_FILE_SAVE},
    {"Ctrl+P", ID_FILE_PRINT},
    {"Ctrl+Z", ID_EDIT_UNDO},
    {"Alt+Backspace", ID_EDIT_UNDO},
    {"Ctrl+X", ID_EDIT_CUT},
    {"Shift+Del", ID_EDIT_CUT},
    {"Ctrl+C", ID_EDIT_COPY},
    {"Ctrl+Ins", ID_EDIT_COPY},
    {"Ctrl+V", ID_EDIT_PASTE},
    {"Shift+Ins", ID_EDIT_PASTE},
    {"F6", ID_NEXT_PANE},
    {"Shift+F6", ID_PREV_PANE},
    // The zoom keys of every desktop program; "Ctrl+=" and "Ctrl+;" are the plus key without
    // Shift on the US and the Japanese keyboard.
    {"Ctrl++", ID_VIEW_ZOOM_IN},
    {"Ctrl+=", ID_VIEW_ZOOM_IN},
    {"Ctrl+;", ID_VIEW_ZOOM_IN},
    {"Ctrl+-", ID_VIEW_ZOOM_OUT},
    {"Ctrl+0", ID_VIEW_ZOOM_RESET},
};

} // namespace

std::span<const CPopupDef> MainMenu()
{
    return kMenu;
}

std::span<const CToolbarButtonDef> MainToolbar()
{
    return kToolbar;
}

std::span<const CAccelDef> MainAccelerators()
{
    return kAccelerators;
}

// The pictures live in the library's resource file; a static library's resources must be
// registered by name, from outside any namespace.
void LoadKeluResources()
{
    static const bool bLoaded = [] {
        Q_INIT_RESOURCE(kelu);
        return true;
    }();
    (void)bLoaded;
}
