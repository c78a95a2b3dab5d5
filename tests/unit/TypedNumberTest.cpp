#include "platform/TypedNumber.h"

#include <gtest/gtest.h>

#include <limits>

TEST(TypedNumber, KeepsItsKindAndConvertsLikeANumberObject) {
    EXPECT_EQ(TypedNumber::float32(1.0f).kind(), TypedNumber::Kind::Float32);
    EXPECT_EQ(TypedNumber::float64(1.0).kind(), TypedNumber::Kind::Float64);
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
