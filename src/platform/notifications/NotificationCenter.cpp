#include "platform/notifications/NotificationCenter.h"

#include <algorithm>

const QString NotificationCenter::DisplayChangeNotice = QStringLiteral("displayChangeNotice");

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::Token NotificationCenter::addObserver(const void* owner, const QString& name,
                                                          Handler handler) {
    const Token token = m_nextToken++;
    m_subscriptions.push_back({token, owner, name, std::move(handler)});
    return token;
}

void NotificationCenter::removeObserver(Token token) {
    std::erase_if(m_subscriptions, [token](const Subscription& s) { return s.token == token; });
}

void NotificationCenter::removeObserver(const void* owner) {
    std::erase_if(m_subscriptions, [owner](const Subscription& s) { return s.owner == owner; });
}

void NotificationCenter::postNotificationName(const QString& name, const QVariant& object) {
    // Handlers may subscribe or withdraw while we deliver: walk a list of tokens, and look each one up
    // again before calling it.
    std::vector<Token> tokens;
    for (const Subscription& s : m_subscriptions) {
        if (s.name == name)
            tokens.push_back(s.token);
    }
    for (Token token : tokens) {
        auto it = std::find_if(m_subscriptions.begin(), m_subscriptions.end(),
                               [token](const Subscription& s) { return s.token == token; });
        if (it == m_subscriptions.end())
            continue;
        Handler handler = it->handler; // the subscription may go away inside the call
        handler(name, object);
    }
}

int NotificationCenter::observerCount(const QString& name) const {
    return int(std::count_if(m_subscriptions.begin(), m_subscriptions.end(),
                             [&name](const Subscription& s) { return s.name == name; }));
}
