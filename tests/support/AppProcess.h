#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

// The real orvanta program as a test runs it: in a folder of its own for settings, data and runtime
// files, unattended unless told otherwise, writing its play log to standard output, with the real choice
// of audio outputs (never ORVANTA_AUDIO=null): no sound server, where the null output is taken on a
// machine without a sound card, or the PulseAudio server at the given address.
class AppProcess {
public:
    struct Options {
        QString binary;
        QString home;        // an existing folder the run may fill
        QString pulseServer; // "unix:/path"; empty: no sound at all
        bool offscreen = true;
        QStringList wrapper; // a command that runs the program (it must exec it, keeping the pid)
        bool unattended = true;
    };

    explicit AppProcess(Options options);
    ~AppProcess(); // kills the program if it still runs
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    bool start(const QStringList& arguments);
    qint64 pid() const { return m_process.processId(); }
    // Until the program catches SIGTERM: its main() has begun (before that a signal kills it outright,
    // as it kills any program that is still being loaded).
    bool waitForSignalHandlers(int timeoutMs);
    void sendSignal(int signal);
    // Exited (not crashed) within the time.
    bool waitForExit(int timeoutMs);
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    int exitCode() const { return m_process.exitCode(); }

    // What it has written so far.
    const QByteArray& standardError();
    const QList<QJsonObject>& logEntries();
    bool hasLogged(const QString& event);
    bool waitForLogged(const QString& event, int timeoutMs);

    // Under X: its playlist window, found with xdotool (installed by scripts/install-deps); then keys
    // pressed in it as a person at the keyboard would ("ctrl+q"). pressKeys answers what went wrong.
    bool waitForPlaylistWindow(int timeoutMs);
    QString pressKeys(const QString& keys);

    // The stacks of its threads (gdb), for a program that does not end; empty without gdb.
    QString backtrace() const;
    void kill();

private:
    void readOutput();

    Options m_options;
    QProcess m_process;
    QByteArray m_stdout;
    QByteArray m_stderr;
    QList<QJsonObject> m_entries;
    QString m_playlistWindow;
};
