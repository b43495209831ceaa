#include "res/Templates.h"

#include "res/resource.h"

const CDialogTemplate* FindDialogTemplate(int nID)
{
    switch (nID) {
    case IDD_ABOUTBOX:
        return &kAboutBoxTemplate;
    case IDD_KELU_FORM:
        return &kKeluFormTemplate;
    case IDD_ADD_FAVORITE:
        return &kAddFavoriteTemplate;
    case IDD_ORGANIZE_FAVORITES:
        return &kOrganizeFavoritesTemplate;
    case IDD_DOWNLOAD:
        return &kDownloadTemplate;
    default:
        return nullptr;
    }
}
