// The GUI tests run under the offscreen platform, on a screen of 1920 x 1080 pixels at 96 dpi,
// unless a display is asked for, each in its own empty temporary working directory, with message
// boxes and the shell captured.

#include "TestDir.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/Japanese.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", KELU_GUI_TEST_PLATFORM, 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    InstallJapanese();
    ::testing::UnitTest::GetInstance()->listeners().Append(new testsupport::CTempDirListener);
    return RUN_ALL_TESTS();
}
