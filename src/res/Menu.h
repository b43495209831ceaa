#pragma once
// Menu 128, toolbar 128 and accelerators 128 as tables. The main frame builds its bars from
// them; texts are UTF-8 and reach the screen through Utf8().

#include <span>

using UINT = unsigned int;

// One entry of a popup: a command with its text, or a separator (nID 0).
struct CMenuItemDef {
    UINT nID;
    const char* pszText;
};

struct CPopupDef {
    const char* pszText;
    std::span<const CMenuItemDef> items;
};

// The popups of the menu bar, left to right.
std::span<const CPopupDef> MainMenu();
// Index of the "注目選手(&A)" popup in MainMenu(), and the number of its fixed entries (add,
// organize, separator); the watched racers' submenus are appended after them.
inline constexpr int kFavoritesPopup = 1;
inline constexpr int kFavoritesFixedItems = 4;
// Index of the "表示(&V)" popup (the zoom) and of the "ﾍﾙﾌﾟ(&H)" popup.
inline constexpr int kViewPopup = 2;
inline constexpr int kHelpPopup = 3;

// One slot of the toolbar: a button with its picture (a resource path), or a separator
// (nID 0, no picture).
struct CToolbarButtonDef {
    UINT nID;
    const char* pszImage;
};
std::span<const CToolbarButtonDef> MainToolbar();
// The toolbar's button pictures are this size, in pixels.
inline constexpr int kToolbarImageWidth = 16;
inline constexpr int kToolbarImageHeight = 15;

// One accelerator: the keys in Qt's portable notation ("Ctrl+N", "Shift+Del") and the command.
struct CAccelDef {
    const char* pszKeys;
    UINT nID;
};
std::span<const CAccelDef> MainAccelerators();

// The program's icon (icon 128).
inline constexpr const char* kProgramIcon = ":/res/icons/kelu.xpm";

// Registers the pictures of res/kelu.qrc; safe to call more than once.
void LoadKeluResources();
