#pragma once
// The one Qt application of the benchmark run, made by the first measurement that needs the
// window system: offscreen unless a display is asked for, with Kelu's font stand-ins and its
// Japanese, as main() starts the program.

#include "platform/gui/Fonts.h"
#include "platform/gui/Japanese.h"

#include <QApplication>

#include <cstdlib>

namespace benchapp {

inline void EnsureApplication()
{
    static int argc = 1;
    static char szName[] = "kelu_bench";
    static char* argv[] = {szName, nullptr};
    if (QApplication::instance())
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    new QApplication(argc, argv);
    InstallFontSubstitutions();
    InstallJapanese();
}

} // namespace benchapp
