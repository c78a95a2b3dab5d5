#include "document/PlaylistSettings.h"
#include "support/QtPrinters.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

// The twelve settings of a new playlist, in the order files hold them, each of the kind files store.
TEST(PlaylistSettings, NewPlaylistsHoldTheTwelveDefaultsInOrderWithTheirKinds) {
    PlaylistSettings settings;
    settings.setDefaults();
    const TypedNumber no = TypedNumber::boolean(false), one = TypedNumber::float32(1.0f),
                      zero = TypedNumber::integer(0);
    EXPECT_EQ(settings.keys(), (QStringList{"autoplay", "closeOthersAtStartup", "closeWhenFinished", "speed",
                                            "volume", "muted", "looping", "fullScreenType", "customFrameX",
                                            "customFrameY", "customFrameWidth", "customFrameHeight"}));
    QList<TypedNumber> values;
    for (const auto& entry : settings.entries())
        values.append(entry.second);
    EXPECT_EQ(values, (QList<TypedNumber>{no, no, no, one, one, no, zero, zero, zero, zero, zero, zero}));
}

TEST(PlaylistSettings, SignalsRealChangesPerKeyAndKeepsUnknownKeys) {
    PlaylistSettings settings;
    EXPECT_TRUE(!settings.autoplay() && settings.speed() == 0.0f); // missing keys read as false or zero
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
