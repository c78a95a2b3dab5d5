#include "support/AppProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QTest>

#include <csignal>

AppProcess::AppProcess(Options options)
    : m_options(std::move(options)) {
    const QDir home(m_options.home);
    home.mkpath("runtime");
    QFile::setPermissions(home.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("ORVANTA_AUDIO");
    env.remove("ORVANTA_DEBUG_AUDIO");
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    // Nobody's sound server is found there, and PulseAudio starts none when given an address.
    env.insert("XDG_RUNTIME_DIR", home.filePath("runtime"));
    env.insert("PULSE_SERVER",
               m_options.pulseServer.isEmpty() ? "unix:" + home.filePath("none") : m_options.pulseServer);
    if (m_options.offscreen)
        env.insert("QT_QPA_PLATFORM", "offscreen");
    else
        env.remove("QT_QPA_PLATFORM");
    // The OpenGL driver, unloaded at exit, leaves an allocation LeakSanitizer cannot name; leaks of our
    // own code are checked by the in-process tests.
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");
    m_process.setProcessEnvironment(env);
}

AppProcess::~AppProcess() {
    kill();
}

bool AppProcess::start(const QStringList& arguments) {
    QStringList command = m_options.wrapper;
    command << m_options.binary;
    if (m_options.unattended)
        command << "--unattended";
    command << "--log"
            << "-" << arguments;
    m_process.start(command.takeFirst(), command);
    return m_process.waitForStarted(10000);
}

bool AppProcess::waitForSignalHandlers(int timeoutMs) {
    const QString status = QString("/proc/%1/status").arg(pid());
    const quint64 sigterm = quint64(1) << (SIGTERM - 1);
    return QTest::qWaitFor(
        [&] {
            if (!isRunning())
                return false;
            QFile file(status);
            if (!file.open(QIODevice::ReadOnly))
                return false;
            for (const QByteArray& line : file.readAll().split('\n')) {
                if (line.startsWith("SigCgt:"))
                    return (line.mid(7).trimmed().toULongLong(nullptr, 16) & sigterm) != 0;
            }
            return false;
        },
        timeoutMs);
}

void AppProcess::sendSignal(int signal) {
    // A process that has ended has no id: kill(0) would signal the test's own process group.
    if (isRunning() && pid() > 0)
        ::kill(static_cast<pid_t>(pid()), signal);
}

bool AppProcess::waitForExit(int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (isRunning() && clock.elapsed() < timeoutMs) {
        m_process.waitForFinished(20);
        readOutput();
    }
    readOutput();
    return !isRunning() && m_process.exitStatus() == QProcess::NormalExit;
}

void AppProcess::readOutput() {
    m_stderr += m_process.readAllStandardError();
    m_stdout += m_process.readAllStandardOutput();
    qsizetype end;
    while ((end = m_stdout.indexOf('\n')) >= 0) {
        m_entries.append(QJsonDocument::fromJson(m_stdout.left(end)).object());
        m_stdout.remove(0, end + 1);
    }
}

const QByteArray& AppProcess::standardError() {
    readOutput();
    return m_stderr;
}

const QList<QJsonObject>& AppProcess::logEntries() {
    readOutput();
    return m_entries;
}

bool AppProcess::hasLogged(const QString& event) {
    for (const QJsonObject& entry : logEntries()) {
        if (entry.value("event").toString() == event)
            return true;
    }
    return false;
}

bool AppProcess::waitForLogged(const QString& event, int timeoutMs) {
    return QTest::qWaitFor([&] { return hasLogged(event) || !isRunning(); }, timeoutMs) && hasLogged(event);
}

bool AppProcess::waitForPlaylistWindow(int timeoutMs) {
    QProcess search;
    search.start("xdotool", {"search", "--sync", "--onlyvisible", "--pid", QString::number(pid()), "--name",
                             "Playlist:"});
    if (!search.waitForFinished(timeoutMs))
        return false;
    m_playlistWindow = QString::fromLatin1(search.readAllStandardOutput()).split(u'\n').value(0);
    return !m_playlistWindow.isEmpty();
}

QString AppProcess::pressKeys(const QString& keys) {
    if (m_playlistWindow.isEmpty() && !waitForPlaylistWindow(15000))
        return "its playlist window never showed";
    QProcess key;
    key.start("xdotool", {"windowfocus", "--sync", m_playlistWindow, "key", "--clearmodifiers", keys});
    if (!key.waitForFinished(10000) || key.exitCode() != 0)
        return QString("xdotool could not press %1: %2")
            .arg(keys, QString::fromLocal8Bit(key.readAllStandardError()));
    return {};
}

QString AppProcess::backtrace() const {
    const QString gdb = QStandardPaths::findExecutable("gdb");
    if (gdb.isEmpty() || !isRunning())
        return {};
    QProcess process;
    process.start(gdb, {"-p", QString::number(pid()), "-batch", "-ex", "thread apply all bt 20"});
    process.waitForFinished(30000);
    QStringList frames;
    for (const QString& line : QString::fromLocal8Bit(process.readAllStandardOutput()).split(u'\n')) {
        if (line.startsWith("Thread ") || line.startsWith(u'#'))
            frames.append(line.left(160));
    }
    return frames.join(u'\n');
}

void AppProcess::kill() {
    if (isRunning()) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}
