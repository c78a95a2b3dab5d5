#include "platform/AppPaths.h"

#include "UnitFiles.h"
#include "support/TestEnvironment.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(AppPaths, AreOneLowercaseFolderPerApplicationAndAdoptTheEarlierOnesOnce) {
    QTemporaryDir home;
    ScopedEnvironment data("XDG_DATA_HOME", home.filePath("data").toUtf8());
    ScopedEnvironment config("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    EXPECT_EQ(AppPaths::dataFolder(), home.filePath("data/orvanta"));
    EXPECT_EQ(AppPaths::settingsFile(), home.filePath("config/orvanta/orvanta.conf"));

    ASSERT_TRUE(writeFile(home.filePath("data/Orvanta/Orvanta/Demo/Clips/a.mp4"), "clip"));
    ASSERT_TRUE(
        writeFile(home.filePath("config/Orvanta/Orvanta.conf"), "[General]\nimportLocation=file:///srv\n"));
    EXPECT_TRUE(AppPaths::adoptEarlierLocations().isEmpty());
    EXPECT_EQ(fileContents(home.filePath("data/orvanta/Demo/Clips/a.mp4")), "clip");
    EXPECT_EQ(fileContents(AppPaths::settingsFile()), "[General]\nimportLocation=file:///srv\n");
    EXPECT_FALSE(QFileInfo::exists(home.filePath("data/Orvanta")));
    EXPECT_FALSE(QFileInfo::exists(home.filePath("config/Orvanta")));

    // Once the current places exist, an earlier one (another version run since) is left alone.
    ASSERT_TRUE(writeFile(home.filePath("config/Orvanta/Orvanta.conf"), "[General]\n"));
    EXPECT_TRUE(AppPaths::adoptEarlierLocations().isEmpty());
    EXPECT_EQ(fileContents(AppPaths::settingsFile()), "[General]\nimportLocation=file:///srv\n");
    EXPECT_EQ(fileContents(home.filePath("config/Orvanta/Orvanta.conf")), "[General]\n");
}
