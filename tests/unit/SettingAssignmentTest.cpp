#include "cli/SettingAssignment.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

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
