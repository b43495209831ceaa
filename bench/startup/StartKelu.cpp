// Kelu started as its main() starts it, leaving when the main window's first paint is done.
// With "--race" it first goes on as a user would, choosing the first venue that races, and
// leaves when that race has been painted: the peak memory of a day loaded and shown.

#include "FirstPaint.h"
#include "app/KeluApp.h"
#include "frame/MainFrame.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/Japanese.h"
#include "res/resource.h"
#include "view/KeluView.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <cstring>

namespace {

CKeluApp* g_pApp = nullptr;

void ShowFirstRace()
{
    CKeluView* pView = g_pApp->GetView();
    for (QPushButton* pButton : pView->m_pVenueButton)
        if (pButton->isEnabled()) {
            pButton->click();
            break;
        }
    // The race is painted at the next pass of the event loop.
    WatchFirstPaint(pView->m_gridProgram->viewport(), Done);
    pView->m_gridProgram->viewport()->update();
}

} // namespace

int main(int argc, char** argv)
{
    const bool bRace = argc > 1 && std::strcmp(argv[1], "--race") == 0;
    QApplication qapp(argc, argv);
    InstallFontSubstitutions();
    InstallJapanese();

    CKeluApp app;
    g_pApp = &app;
    if (!app.InitInstance({}))
        return 1;
    WatchFirstPaint(app.GetMainWnd(), bRace ? ShowFirstRace : Done);
    return qapp.exec();
}
