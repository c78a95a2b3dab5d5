// Quitting the real program while it plays, by signal (see QuitRuns.h). The Quit command's key needs
// the display to itself: tests/serial/QuitByKeyTest.cpp.
#include "support/QuitRuns.h"

#include <gtest/gtest.h>

TEST(QuitWhilePlaying, OffscreenEverySignalEndsTheProgramAndKeepsThePlaylist) {
    quitRepeatedly(QStringLiteral(ORVANTA_APP_BINARY), true, QuitSignals);
}

TEST(QuitWhilePlaying, WithOpenGLEverySignalEndsTheProgramAndKeepsThePlaylist) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X server (the test command runs the tests under Xvfb)";
    quitRepeatedly(QStringLiteral(ORVANTA_APP_BINARY), false, QuitSignals);
}
