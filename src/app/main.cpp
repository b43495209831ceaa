// Kelu's entry point: the Qt application, the font stand-ins, then the start-up sequence and
// the message loop.
#include "app/KeluApp.h"
#include "frame/MainFrame.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/Japanese.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    InstallFontSubstitutions();
    InstallJapanese();

    CKeluApp app;
    QStringList args = QCoreApplication::arguments();
    if (!args.isEmpty())
        args.removeFirst();
    if (!app.InitInstance(args))
        return 1;
    // Started embedded: Kelu serves no automation, so there is nothing to wait for.
    if (!app.GetMainWnd())
        return 0;
    return qapp.exec();
}
