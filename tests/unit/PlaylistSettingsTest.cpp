#include "document/PlaylistSettings.h"
#include "support/QtPrinters.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(PlaylistSettings, NewPlaylistsHoldTheTwelveDefaultsInOrderWithTheirKinds) {
    PlaylistSettings settings;
    settings.setDefaults();
    const TypedNumber no = TypedNumber::boolean(false), one = TypedNumber::float32(1.0f),
                      zero = TypedNumber::integer(0);
    const QList<QPair<QString, TypedNumber>> expected = {{"autoplay", no},
                                                         {"closeOthersAtStartup", no},
                                                         {"closeWhenFinished", no},
                                                         {"speed", one},
                                                         {"volume", one},
                                                         {"muted", no},
                                                         {"looping", zero},
                                                         {"fullScreenType", zero},
                                                         {"customFrameX", zero},
                                                         {"customFrameY", zero},
                                                         {"customFrameWidth", zero},
                                                         {"customFrameHeight", zero}};
    EXPECT_EQ(settings.entries(), expected); // numbers compare with their kinds
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
