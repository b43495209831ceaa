#pragma once
// The dialog templates of Kelu, by id (res/resource.h).

#include "platform/gui/DialogTemplate.h"

extern const CDialogTemplate kAboutBoxTemplate; // IDD_ABOUTBOX, res/AboutBox.cpp
extern const CDialogTemplate kKeluFormTemplate; // IDD_KELU_FORM, res/KeluForm.cpp
extern const CDialogTemplate kAddFavoriteTemplate;       // IDD_ADD_FAVORITE, res/FavoriteBoxes.cpp
extern const CDialogTemplate kOrganizeFavoritesTemplate; // IDD_ORGANIZE_FAVORITES, res/FavoriteBoxes.cpp
extern const CDialogTemplate kDownloadTemplate; // IDD_DOWNLOAD, res/DownloadBox.cpp

// The template with the id, or nullptr.
const CDialogTemplate* FindDialogTemplate(int nID);
