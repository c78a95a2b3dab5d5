#include <QApplication>
#include <QSurfaceFormat>
#include <clocale>
#include <cstring>
#include <gtest/gtest.h>

#include "support/PinLoadedLibraries.h"
#include "support/TestEnvironment.h"

// Widget tests need one application object for the whole run, made the way main() makes it. Listing
// the tests needs none, so test discovery works without a display.
int main(int argc, char** argv) {
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    ::testing::InitGoogleTest(&argc, argv);
    if (listing)
        return RUN_ALL_TESTS();
    isolateUserConfiguration();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const int status = RUN_ALL_TESTS();
    pinLoadedLibraries();
    return status;
}
