#include "platform/ScreenSaverInhibitor.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString Service = QStringLiteral("org.freedesktop.ScreenSaver");
const QString Path = QStringLiteral("/org/freedesktop/ScreenSaver");
// A service that does not answer keeps no call, and no closing window, waiting longer than this.
constexpr int CallTimeoutMs = 1000;

void warnOnce(const QString& why) {
    static bool warned = false;
    if (warned)
        return;
    warned = true;
    qWarning("orvanta: cannot keep the screen awake: %s", qPrintable(why));
}

} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QDBusConnection bus, Suspension suspension, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_suspension(std::move(suspension)) {}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    if (m_suspended)
        m_suspension(false);
    if (m_pending) {
        // Its reply is taken here: the watcher goes with this object.
        QDBusPendingReply<uint> reply = *m_pending;
        delete m_pending;
        reply.waitForFinished();
        if (reply.isValid())
            m_cookie = reply.value();
    }
    unInhibit(true);
}

void ScreenSaverInhibitor::inhibit(const QString& reason) {
    if (m_held)
        return;
    m_held = true;
    m_suspended = m_suspension && m_suspension(true);
    // An Inhibit call still under way (released and held again meanwhile) serves this hold too.
    if (m_pending)
        return;
    if (!m_bus.isConnected()) {
        warnOnce(QStringLiteral("no session bus (%1)").arg(m_bus.lastError().message()));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("Inhibit"));
    call << QCoreApplication::applicationName() << reason;
    m_pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call, CallTimeoutMs), this);
    connect(m_pending, &QDBusPendingCallWatcher::finished, this, &ScreenSaverInhibitor::inhibitReplied);
}

void ScreenSaverInhibitor::release() {
    if (!m_held)
        return;
    m_held = false;
    if (m_suspended)
        m_suspension(false);
    m_suspended = false;
    unInhibit(false);
}

void ScreenSaverInhibitor::inhibitReplied(QDBusPendingCallWatcher* watcher) {
    m_pending = nullptr;
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) {
        warnOnce(reply.error().message());
        return;
    }
    m_cookie = reply.value();
    if (!m_held)
        unInhibit(false);
}

void ScreenSaverInhibitor::unInhibit(bool waitForTheService) {
    if (!m_cookie)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("UnInhibit"));
    call << *m_cookie;
    m_cookie.reset();
    if (waitForTheService)
        m_bus.call(call, QDBus::Block, CallTimeoutMs);
    else
        m_bus.send(call);
}
