#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

class QDBusPendingCallWatcher;

// Keeps the screen awake while held: asks the desktop's screen saver service (org.freedesktop.ScreenSaver
// on the session bus) to inhibit idleness, and turns on the suspension it was given for the display
// server's own screen saver (the X server's, which nothing else governs in a session without a desktop).
// Not being able to inhibit (no bus, no service) is not an error: it is logged once per process.
//
// Holding and releasing never wait for the bus; a release that comes while the Inhibit call is under
// way is sent when its cookie arrives. Destruction does wait (a bounded time) until the service has the
// release, so that it still goes out when the program quits next. Each inhibitor holds its own
// inhibition, so several held at once keep the screen awake until the last is released.
// Widget-free. Main thread only.
class ScreenSaverInhibitor : public QObject {
    Q_OBJECT
public:
    // Turns the display server's suspension on (true) or off (false); false when there is none to turn.
    using Suspension = std::function<bool(bool suspend)>;

    explicit ScreenSaverInhibitor(QDBusConnection bus = QDBusConnection::sessionBus(),
                                  Suspension suspension = {}, QObject* parent = nullptr);
    ~ScreenSaverInhibitor() override;

    // Holds the screen awake, giving the reason to the desktop; nothing more while held already.
    void inhibit(const QString& reason);
    void release();
    bool isHeld() const { return m_held; }

private:
    void inhibitReplied(QDBusPendingCallWatcher* watcher);
    void unInhibit(bool waitForTheService);

    QDBusConnection m_bus;
    Suspension m_suspension;
    bool m_held = false;
    bool m_suspended = false;
    // The Inhibit call under way, and the cookie of the inhibition the service holds for us.
    QPointer<QDBusPendingCallWatcher> m_pending;
    std::optional<uint> m_cookie;
};
