#include "res/Icons.h"

#include "platform/gui/QtText.h"

#include <QPixmap>

#include <cstring>

namespace {

// The XPM files are C: each defines one array named after its file.
#include "res/icons/kelu.xpm"
#include "res/toolbar/about.xpm"
#include "res/toolbar/download_today.xpm"
#include "res/toolbar/download_week.xpm"
#include "res/toolbar/favorite_add.xpm"
#include "res/toolbar/favorite_organize.xpm"
#include "res/toolbar/preview_all.xpm"
#include "res/toolbar/preview_race.xpm"
#include "res/toolbar/print_all.xpm"
#include "res/toolbar/print_race.xpm"

struct CPicture {
    const char* pszPath;
    const char* const* ppData;
};

const CPicture kPictures[] = {
    {":/res/icons/kelu.xpm", kelu},
    {":/res/toolbar/about.xpm", about},
    {":/res/toolbar/download_today.xpm", download_today},
    {":/res/toolbar/download_week.xpm", download_week},
    {":/res/toolbar/favorite_add.xpm", favorite_add},
    {":/res/toolbar/favorite_organize.xpm", favorite_organize},
    {":/res/toolbar/preview_all.xpm", preview_all},
    {":/res/toolbar/preview_race.xpm", preview_race},
    {":/res/toolbar/print_all.xpm", print_all},
    {":/res/toolbar/print_race.xpm", print_race},
};

} // namespace

QIcon KeluIcon(const char* pszImage)
{
    for (const CPicture& picture : kPictures)
        if (std::strcmp(picture.pszPath, pszImage) == 0)
            return QIcon(QPixmap(picture.ppData));
    return QIcon(Utf8(pszImage));
}
