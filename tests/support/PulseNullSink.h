#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>

// A PulseAudio server of the test's own, with one null sink and no other device. Not running (and
// isRunning false) where the pulseaudio and pactl programs are missing. Players reach it through
// server() as PULSE_SERVER.
class PulseNullSink {
public:
    explicit PulseNullSink(const QString& folder);
    ~PulseNullSink();
    bool isRunning() const { return m_running && m_daemon.state() == QProcess::Running; }
    QString server() const { return QStringLiteral("unix:") + m_socket; }
    // Streams playing into the server now.
    int sinkInputs() const;

private:
    std::optional<QByteArray> pactl(const QStringList& arguments) const;

    QString m_socket;
    QProcess m_daemon;
    bool m_running = false;
};
