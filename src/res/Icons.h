#pragma once
// The program's pictures (the icon and the toolbar's buttons), by their resource paths.

#include <QIcon>

// The picture at pszImage (a path of res/kelu.qrc, as the tables of res/Menu.h give it). The
// pictures are compiled in as well and made straight from their data: reading them through
// the resource file would have Qt's image reader load every image plugin on the system to ask
// each whether it knows XPM, at every start.
QIcon KeluIcon(const char* pszImage);
