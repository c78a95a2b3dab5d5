#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

// Keeps the screen awake while held: asks the desktop's screen saver service (org.freedesktop.ScreenSaver
// on the session bus) to inhibit idleness, and turns on the suspension it was given for the display
// server's own screen saver (the X server's, which nothing else governs in a session without a desktop).
// Not being able to inhibit (no bus, no service) is not an error: it is logged once per process.
//
// The bus calls are asynchronous. A release that comes while the Inhibit call is still under way is sent
// as soon as its cookie arrives, even when this object is gone by then. Each inhibitor holds its own
// inhibition, so several held at once keep the screen awake until the last is released.
// Widget-free. Main thread only.
class ScreenSaverInhibitor : public QObject {
    Q_OBJECT
public:
    // Turns the display server's suspension on (true) or off (false); false when there is none to turn.
    using Suspension = std::function<bool(bool suspend)>;

    explicit ScreenSaverInhibitor(QDBusConnection bus = QDBusConnection::sessionBus(),
                                  Suspension suspension = {}, QObject* parent = nullptr);
    // Releases what is held.
    ~ScreenSaverInhibitor() override;

    // Holds the screen awake, giving the reason to the desktop; nothing more while held already.
    void inhibit(const QString& reason);
    void release();
    bool isHeld() const { return m_held; }

private:
    struct Request;

    QDBusConnection m_bus;
    Suspension m_suspension;
    bool m_held = false;
    bool m_suspended = false;
    // Shared with the Inhibit call under way, which may outlive this object.
    std::shared_ptr<Request> m_request;
};
