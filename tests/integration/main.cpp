#include <QApplication>
#include <QSurfaceFormat>
#include <clocale>
#include <gtest/gtest.h>

// Widget tests need one application object for the whole run, made the way main() makes it.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    return RUN_ALL_TESTS();
}
