#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

// The application's notification hub: names to subscribers. A subscriber gives an owner key (usually
// its own address) so that everything it subscribed can be withdrawn at once when it goes away; a
// single subscription can be withdrawn by its token. A subscriber withdrawn while a notification is
// being delivered is not called any more, even by that delivery.
// Main thread only.
class NotificationCenter {
public:
    using Token = quint64;
    using Handler = std::function<void(const QString& name, const QVariant& object)>;

    // The hub every part of the application posts to.
    static NotificationCenter& defaultCenter();

    // Names the system posts.
    static const QString DisplayChangeNotice; // "displayChangeNotice": the displays changed

    Token addObserver(const void* owner, const QString& name, Handler handler);
    void removeObserver(Token token);
    void removeObserver(const void* owner);
    // Delivers to the current subscribers of the name, in the order they subscribed.
    void postNotificationName(const QString& name, const QVariant& object = {});

    int observerCount(const QString& name) const;

private:
    struct Subscription {
        Token token;
        const void* owner;
        QString name;
        Handler handler;
    };
    std::vector<Subscription> m_subscriptions;
    Token m_nextToken = 1;
};
