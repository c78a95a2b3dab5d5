#pragma once

// Waiting for a condition inside a GoogleTest test. QtTest's QTRY_* macros report their failures to
// QtTest, which is not running here, and then just return: the test would pass. These wait the same
// way (processing events) and fail the test when the time runs out.

#include <QTest>
#include <QtGlobal>
#include <gtest/gtest.h>
#include <type_traits>

// Time allowed for a player or a window to get somewhere, in ms; never a measured time.
constexpr int PlayerWait = 15000;

namespace testwait {

// Equality as QCOMPARE judges it: floating point values compare fuzzily, zero against near-zero.
template <typename Actual, typename Expected> bool same(const Actual& actual, const Expected& expected) {
    if constexpr (std::is_floating_point_v<Actual> || std::is_floating_point_v<Expected>) {
        const double a = double(actual);
        const double e = double(expected);
        return e == 0.0 ? qFuzzyIsNull(a) : qFuzzyCompare(a, e);
    } else {
        return actual == expected;
    }
}

} // namespace testwait

// Processes events until the expression holds; fails the test (and leaves it) after timeoutMs.
#define WAIT_UNTIL(expr, timeoutMs)                                                                          \
    ASSERT_TRUE(QTest::qWaitFor([&] { return bool(expr); }, (timeoutMs)))                                    \
        << "still false after " << (timeoutMs) << " ms: " #expr

// Processes events until actual equals expected; fails the test (and leaves it) after timeoutMs.
#define WAIT_EQ(actual, expected, timeoutMs)                                                                 \
    do {                                                                                                     \
        if (!QTest::qWaitFor([&] { return testwait::same((actual), (expected)); }, (timeoutMs)))             \
            GTEST_FAIL() << #actual " is " << ::testing::PrintToString(actual) << ", not "                   \
                         << ::testing::PrintToString(expected) << ", after " << (timeoutMs) << " ms";        \
    } while (false)
