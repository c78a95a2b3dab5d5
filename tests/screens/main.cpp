#include "support/PinLoadedLibraries.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <clocale>
#include <cstring>
#include <gtest/gtest.h>

// Tests that need several displays: Qt's offscreen platform, given a configuration of two screens,
// stands in for a desktop of two monitors side by side, 1920×1080 at the origin (the main display) and
// 1280×1024 to its right. One application object per run: another layout needs an executable of its own.
int main(int argc, char** argv) {
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    ::testing::InitGoogleTest(&argc, argv);
    if (listing)
        return RUN_ALL_TESTS();
    isolateUserConfiguration();

    QTemporaryDir configDir;
    const QString configPath = configDir.filePath(QStringLiteral("screens.json"));
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly))
        return 2;
    // The platform adds the screens in the order of their names, the first as the primary screen.
    config.write(R"({"windowFrameMargins": false, "screens": [
        {"name": "a-left", "x": 0, "y": 0, "width": 1920, "height": 1080,
         "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "b-right", "x": 1920, "y": 0, "width": 1280, "height": 1024,
         "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    config.close();
    // The platform's parameters come after its name, separated by colons.
    qputenv("QT_QPA_PLATFORM", QStringLiteral("offscreen:configfile=%1").arg(configPath).toLocal8Bit());
    // The plain offscreen platform, also where an X display is at hand.
    qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const int status = RUN_ALL_TESTS();
    pinLoadedLibraries();
    return status;
}
