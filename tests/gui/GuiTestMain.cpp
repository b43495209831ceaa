// The GUI tests run under the offscreen platform, on a screen of 1920 x 1080 pixels at 96 dpi,
// unless a display is asked for, each in its own empty temporary working directory, with message
// boxes and the shell captured.

#include "TestDir.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/Japanese.h"

#include <QApplication>
#include <QThreadPool>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

// Whether a thread of Qt's global pool is still there.
bool PooledThreadsLeft()
{
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::string strName;
        std::getline(std::ifstream(task.path() / "comm"), strName);
        if (strName == "Thread (pooled)")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", KELU_GUI_TEST_PLATFORM, 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    InstallJapanese();
    ::testing::UnitTest::GetInstance()->listeners().Append(new testsupport::CTempDirListener);
    // Some of Qt's own work runs on its global thread pool, whose idle threads would otherwise
    // end in the static destruction at exit, beside the leak checker's last look, which then now
    // and then finds a thread record of theirs without an owner. Idle threads end at once here,
    // and the last ones are waited for before main returns.
    QThreadPool::globalInstance()->setExpiryTimeout(0);
    const int nResult = RUN_ALL_TESTS();
    QThreadPool::globalInstance()->waitForDone();
    for (int i = 0; i < 2000 && PooledThreadsLeft(); ++i)
        usleep(1000);
    return nResult;
}
