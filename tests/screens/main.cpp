#include "screens/ScreenLayout.h"
#include "support/PinLoadedLibraries.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <clocale>
#include <cstring>
#include <gtest/gtest.h>

// Tests that need several displays: Qt's offscreen platform, given a configuration with the screens of
// screenLayout(), stands in for a desktop with that many monitors. One application object per run, so
// each layout is an executable of its own.
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
    config.write(
        QJsonDocument(QJsonObject{{"screens", screenLayout()}, {"windowFrameMargins", false}}).toJson());
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
