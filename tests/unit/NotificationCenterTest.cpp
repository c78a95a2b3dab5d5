#include "platform/notifications/NotificationCenter.h"

#include <QStringList>
#include <gtest/gtest.h>

TEST(NotificationCenter, DeliversByNameInSubscriptionOrderAndWithdrawsPerSubscriber) {
    NotificationCenter center;
    QStringList calls;
    int first = 0;
    int second = 0;
    center.addObserver(&first, "displayChangeNotice", [&](const QString& name, const QVariant& object) {
        calls.append("first:" + name + ":" + object.toString());
    });
    const auto token = center.addObserver(&second, "displayChangeNotice",
                                          [&](const QString&, const QVariant&) { calls.append("second"); });
    center.addObserver(&second, "other", [&](const QString&, const QVariant&) { calls.append("other"); });
    EXPECT_EQ(center.observerCount("displayChangeNotice"), 2);

    center.postNotificationName("displayChangeNotice", QStringLiteral("x"));
    EXPECT_EQ(calls, (QStringList{"first:displayChangeNotice:x", "second"}));

    calls.clear();
    center.removeObserver(token); // the one subscription only
    center.postNotificationName("displayChangeNotice");
    center.postNotificationName("other");
    EXPECT_EQ(calls, (QStringList{"first:displayChangeNotice:", "other"}));

    calls.clear();
    center.removeObserver(&first);
    center.removeObserver(&second);
    center.postNotificationName("displayChangeNotice");
    center.postNotificationName("other");
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(center.observerCount("displayChangeNotice"), 0);
}

TEST(NotificationCenter, ASubscriberWithdrawnDuringADeliveryIsNotCalledByIt) {
    NotificationCenter center;
    int a = 0;
    int b = 0;
    QStringList calls;
    center.addObserver(&a, "n", [&](const QString&, const QVariant&) {
        calls.append("a");
        center.removeObserver(&b);
        center.removeObserver(&a); // itself, while running
        center.addObserver(&a, "n", [&](const QString&, const QVariant&) { calls.append("late"); });
    });
    center.addObserver(&b, "n", [&](const QString&, const QVariant&) { calls.append("b"); });
    center.postNotificationName("n");
    EXPECT_EQ(calls, QStringList{"a"}); // b was withdrawn, the new one came after the post began
    center.postNotificationName("n");
    EXPECT_EQ(calls, (QStringList{"a", "late"}));
}
