#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

// SIGTERM, SIGINT and SIGHUP as a request to quit, from the first line of main() on.
//
// install() sets the handlers before anything else runs, so that a signal that comes while the
// program starts (before the event loop, during the start-up import or the demo's clip making) is not
// lost: requested() answers it at once, from any thread. Once the application object exists, a
// TerminationSignals object turns each signal into terminationRequested() on the main thread.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Once, first thing in main(). Later calls do nothing.
    static void install();
    // A signal has come since install().
    static bool requested();

    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};
