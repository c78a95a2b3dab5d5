// A playlist's settings: the typed numbers they are, the defaults of a new playlist, and the KEY=VALUE
// texts the playlist tool reads.
#include "document/PlaylistSettings.h"
#include "cli/SettingAssignment.h"
#include "platform/TypedNumber.h"
#include "support/QtPrinters.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <limits>

TEST(TypedNumber, KeepsItsKindAndConvertsLikeANumberObject) {
    EXPECT_NE(TypedNumber::float32(1.0f), TypedNumber::float64(1.0));
    EXPECT_NE(TypedNumber::boolean(true), TypedNumber::integer(1));
    EXPECT_EQ(TypedNumber::float32(2.9f).intValue(), 2);
    EXPECT_EQ(TypedNumber::float32(-2.9f).intValue(), -2);
    EXPECT_TRUE(TypedNumber::float32(0.5f).boolValue());
    EXPECT_FALSE(TypedNumber::integer(0).boolValue());
    EXPECT_EQ(TypedNumber::integer(qint64(1) << 40).intValue(), std::numeric_limits<qint32>::max());
    EXPECT_EQ(TypedNumber::float64(1e300).integerValue(), std::numeric_limits<qint64>::max());
    EXPECT_EQ(TypedNumber::float64(std::numeric_limits<double>::quiet_NaN()).integerValue(), 0);
}

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

TEST(SettingAssignment, MakesEachSettingAsItsKind) {
    const struct {
        const char* text;
        const char* key;
        TypedNumber value;
    } table[] = {
        {"autoplay=true", "autoplay", TypedNumber::boolean(true)},
        {"autoplay=false", "autoplay", TypedNumber::boolean(false)},
        {"muted=1", "muted", TypedNumber::boolean(true)},
        {"closeWhenFinished=0", "closeWhenFinished", TypedNumber::boolean(false)},
        {"speed=1.5", "speed", TypedNumber::float32(1.5f)},
        {"speed=2", "speed", TypedNumber::float32(2.0f)},
        {"volume=.25", "volume", TypedNumber::float32(0.25f)},
        {"volume=-0.1", "volume", TypedNumber::float32(-0.1f)},
        {"speed=1e-3", "speed", TypedNumber::float32(0.001f)},
        {"looping=1", "looping", TypedNumber::integer(1)},
        {"fullScreenType=+3", "fullScreenType", TypedNumber::integer(3)},
        {"customFrameX=-2147483648", "customFrameX", TypedNumber::integer(-2147483648LL)},
        {"customFrameHeight=2147483647", "customFrameHeight", TypedNumber::integer(2147483647)},
    };
    for (const auto& row : table) {
        QString error;
        const auto assignment = SettingAssignment::parse(QString::fromUtf8(row.text), &error);
        ASSERT_TRUE(assignment) << row.text << ": " << error.toStdString();
        EXPECT_EQ(assignment->key(), QString::fromUtf8(row.key)) << row.text;
        EXPECT_EQ(assignment->value(), row.value) << row.text; // numbers compare with their kinds
    }
}

TEST(SettingAssignment, RefusesUnknownKeysAndValuesOfTheWrongKind) {
    const struct {
        const char* text;
        const char* complaint; // a part of the message
    } table[] = {
        {"speed", "is not a KEY=VALUE assignment"},
        {"=1", "is not a playlist setting"},
        {"Speed=1.0", "is not a playlist setting"},
        {"dynamicSourceFolder=/tmp", "is not a playlist setting"},
        {"autoplay=yes", "autoplay takes true, false, 1 or 0, not “yes”"},
        {"autoplay=TRUE", "autoplay takes true, false"},
        {"muted=2", "muted takes true, false"},
        {"muted=", "muted takes true, false"},
        {"looping=1.5", "looping takes a whole number"},
        {"looping=true", "looping takes a whole number"},
        {"customFrameX=2147483648", "customFrameX takes a whole number from -2147483648 to 2147483647"},
        {"customFrameY=-2147483649", "customFrameY takes a whole number"},
        {"customFrameWidth=99999999999999999999999", "customFrameWidth takes a whole number"},
        {"fullScreenType=0x3", "fullScreenType takes a whole number"},
        {"speed=fast", "speed takes a decimal number, not “fast”"},
        {"speed=", "speed takes a decimal number"},
        {"speed=nan", "speed takes a decimal number"},
        {"volume=inf", "volume takes a decimal number"},
        {"volume=1e39", "volume takes a decimal number"},
        {"speed=1,5", "speed takes a decimal number"},
        {"speed=0x1p3", "speed takes a decimal number"},
        {"speed= 1", "speed takes a decimal number"},
    };
    for (const auto& row : table) {
        QString error;
        EXPECT_FALSE(SettingAssignment::parse(QString::fromUtf8(row.text), &error)) << row.text;
        EXPECT_TRUE(error.contains(QString::fromUtf8(row.complaint)))
            << row.text << " gave: " << error.toStdString();
    }
}
