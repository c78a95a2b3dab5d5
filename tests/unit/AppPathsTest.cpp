#include "platform/AppPaths.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

TEST(AppPaths, AreOneLowercaseFolderPerApplicationAndAdoptTheEarlierOnesOnce) {
    QTemporaryDir home;
    ScopedEnvironment data("XDG_DATA_HOME", home.filePath("data").toUtf8());
    ScopedEnvironment config("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    EXPECT_EQ(AppPaths::dataFolder(), home.filePath("data/orvanta"));
    EXPECT_EQ(AppPaths::settingsFile(), home.filePath("config/orvanta/orvanta.conf"));

    write(home.filePath("data/Orvanta/Orvanta/Demo/Clips/a.mp4"), "clip");
    write(home.filePath("config/Orvanta/Orvanta.conf"), "[General]\nimportLocation=file:///srv\n");
    EXPECT_TRUE(AppPaths::adoptEarlierLocations().isEmpty());
    EXPECT_EQ(read(home.filePath("data/orvanta/Demo/Clips/a.mp4")), "clip");
    EXPECT_EQ(read(AppPaths::settingsFile()), "[General]\nimportLocation=file:///srv\n");
    EXPECT_FALSE(QFileInfo::exists(home.filePath("data/Orvanta")));
    EXPECT_FALSE(QFileInfo::exists(home.filePath("config/Orvanta")));

    // Once the current places exist, an earlier one (another version run since) is left alone.
    write(home.filePath("config/Orvanta/Orvanta.conf"), "[General]\n");
    EXPECT_TRUE(AppPaths::adoptEarlierLocations().isEmpty());
    EXPECT_EQ(read(AppPaths::settingsFile()), "[General]\nimportLocation=file:///srv\n");
    EXPECT_EQ(read(home.filePath("config/Orvanta/Orvanta.conf")), "[General]\n");
}
