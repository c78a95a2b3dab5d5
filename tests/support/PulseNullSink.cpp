#include "support/PulseNullSink.h"

#include <QDir>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTest>

PulseNullSink::PulseNullSink(const QString& folder)
    : m_socket(QDir(folder).filePath(QStringLiteral("native"))) {
    const QString daemon = QStandardPaths::findExecutable("pulseaudio");
    if (daemon.isEmpty() || QStandardPaths::findExecutable("pactl").isEmpty())
        return;
    QDir(folder).mkpath("runtime");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QDir(folder).filePath("runtime"));
    env.insert("HOME", folder);
    m_daemon.setProcessEnvironment(env);
    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_daemon.start(daemon,
                   {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "--disable-shm=yes",
                    "--log-level=error", "--load=module-null-sink sink_name=orvanta_test",
                    "--load=module-native-protocol-unix auth-anonymous=1 socket=" + m_socket});
    m_running =
        m_daemon.waitForStarted(10000) && QTest::qWaitFor([&] { return pactl({"info"}).has_value(); }, 10000);
}

PulseNullSink::~PulseNullSink() {
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(5000)) {
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }
}

int PulseNullSink::sinkInputs() const {
    const auto listed = pactl({"list", "short", "sink-inputs"});
    return listed ? int(listed->trimmed().isEmpty() ? 0 : listed->trimmed().count('\n') + 1) : 0;
}

std::optional<QByteArray> PulseNullSink::pactl(const QStringList& arguments) const {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PULSE_SERVER", server());
    process.setProcessEnvironment(env);
    process.start("pactl", arguments);
    if (!process.waitForFinished(5000) || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}
