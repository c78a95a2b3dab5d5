#include "document/PlaylistSettings.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(PlaylistSettings, NewPlaylistsHoldTheTwelveDefaultsInOrderWithTheirKinds) {
    PlaylistSettings settings;
    settings.setDefaults();
    const QStringList expectedKeys = {"autoplay",
                                      "closeOthersAtStartup",
                                      "closeWhenFinished",
                                      "speed",
                                      "volume",
                                      "muted",
                                      "looping",
                                      "fullScreenType",
                                      "customFrameX",
                                      "customFrameY",
                                      "customFrameWidth",
                                      "customFrameHeight"};
    EXPECT_EQ(settings.keys(), expectedKeys);
    using K = TypedNumber::Kind;
    const K kinds[] = {K::Boolean, K::Boolean, K::Boolean, K::Float32, K::Float32, K::Boolean,
                       K::Integer, K::Integer, K::Integer, K::Integer, K::Integer, K::Integer};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(settings.value(expectedKeys[i])->kind(), kinds[i]) << expectedKeys[i].toStdString();
    EXPECT_EQ(*settings.value("speed"), TypedNumber::float32(1.0f));
    EXPECT_EQ(*settings.value("volume"), TypedNumber::float32(1.0f));
    for (const char* flag : {"autoplay", "closeOthersAtStartup", "closeWhenFinished", "muted"})
        EXPECT_EQ(*settings.value(flag), TypedNumber::boolean(false)) << flag;
    for (const char* number : {"looping", "fullScreenType", "customFrameX", "customFrameY",
                               "customFrameWidth", "customFrameHeight"})
        EXPECT_EQ(*settings.value(number), TypedNumber::integer(0)) << number;
}

TEST(PlaylistSettings, SignalsRealChangesPerKeyAndKeepsUnknownKeys) {
    PlaylistSettings settings;
    settings.setDefaults();
    QSignalSpy spy(&settings, &PlaylistSettings::valueChanged);
    settings.setValue("volume", TypedNumber::float32(1.0f)); // same value: no change
    EXPECT_EQ(spy.count(), 0);
    settings.setValue("volume", TypedNumber::float32(0.25f));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), QStringLiteral("volume"));
    EXPECT_FLOAT_EQ(settings.volume(), 0.25f);
    // The key keeps its place; a new key goes at the end.
    settings.setValue("somethingNewer", TypedNumber::float64(2.5));
    EXPECT_EQ(settings.keys().indexOf("volume"), 4);
    EXPECT_EQ(settings.keys().last(), QStringLiteral("somethingNewer"));
    EXPECT_EQ(settings.value("somethingNewer")->kind(), TypedNumber::Kind::Float64);
}

TEST(PlaylistSettings, MissingKeysReadAsFalseOrZero) {
    PlaylistSettings settings;
    EXPECT_FALSE(settings.autoplay());
    EXPECT_EQ(settings.speed(), 0.0f);
    EXPECT_EQ(settings.fullScreenType(), 0);
    settings.setValue("fullScreenType", TypedNumber::float32(3.7f));
    EXPECT_EQ(settings.fullScreenType(), 3); // a number read as an integer truncates
}
