#include "platform/ScreenSaverInhibitor.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <optional>

namespace {

const QString Service = QStringLiteral("org.freedesktop.ScreenSaver");
const QString Path = QStringLiteral("/org/freedesktop/ScreenSaver");
// A service that does not answer must not keep a reply waiting for long.
constexpr int CallTimeoutMs = 5000;

void warnOnce(const QString& why) {
    static bool warned = false;
    if (warned)
        return;
    warned = true;
    qWarning("orvanta: cannot keep the screen awake: %s", qPrintable(why));
}

} // namespace

struct ScreenSaverInhibitor::Request {
    bool wanted = false;
    bool pending = false;
    std::optional<uint> cookie;

    void unInhibit(const QDBusConnection& bus) {
        if (!cookie)
            return;
        QDBusMessage call =
            QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("UnInhibit"));
        call << *cookie;
        bus.send(call);
        cookie.reset();
    }
};

ScreenSaverInhibitor::ScreenSaverInhibitor(QDBusConnection bus, Suspension suspension, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_suspension(std::move(suspension))
    , m_request(std::make_shared<Request>()) {}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    release();
}

void ScreenSaverInhibitor::inhibit(const QString& reason) {
    if (m_held)
        return;
    m_held = true;
    m_suspended = m_suspension && m_suspension(true);
    m_request->wanted = true;
    // An Inhibit call still under way (released and held again meanwhile) serves this hold too.
    if (m_request->pending)
        return;
    if (!m_bus.isConnected()) {
        warnOnce(QStringLiteral("no session bus (%1)").arg(m_bus.lastError().message()));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("Inhibit"));
    call << QCoreApplication::applicationName() << reason;
    m_request->pending = true;
    // The watcher belongs to the application, so that a late cookie is still given back.
    auto* watcher =
        new QDBusPendingCallWatcher(m_bus.asyncCall(call, CallTimeoutMs), QCoreApplication::instance());
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
            [watcher, request = m_request, bus = m_bus] {
                watcher->deleteLater();
                request->pending = false;
                const QDBusPendingReply<uint> reply = *watcher;
                if (reply.isError()) {
                    warnOnce(reply.error().message());
                    return;
                }
                request->cookie = reply.value();
                if (!request->wanted)
                    request->unInhibit(bus);
            });
}

void ScreenSaverInhibitor::release() {
    if (!m_held)
        return;
    m_held = false;
    if (m_suspended)
        m_suspension(false);
    m_suspended = false;
    m_request->wanted = false;
    m_request->unInhibit(m_bus);
}
