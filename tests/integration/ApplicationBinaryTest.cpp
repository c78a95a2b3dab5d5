#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

// The real program, started as a user starts it.
TEST(ApplicationBinary, StartsRefusesANonPlaylistByNameAndStopsCleanlyOnSigterm) {
    QTemporaryDir dir;
    QFile notAPlaylist(dir.filePath("shopping list.orvplaylist"));
    ASSERT_TRUE(notAPlaylist.open(QIODevice::WriteOnly));
    notAPlaylist.write("eggs, milk\n");
    notAPlaylist.close();

    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    // In the sanitizer build the OpenGL driver, unloaded at exit, leaves an allocation that LeakSanitizer
    // cannot name; leaks of our own code are checked by the in-process tests.
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(ORVANTA_APP_BINARY), {"--unattended", notAPlaylist.fileName()});
    ASSERT_TRUE(app.waitForStarted(10000));
    QByteArray errors;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            errors += app.readAllStandardError();
            return errors.contains("shopping list.orvplaylist");
        },
        20000))
        << errors.toStdString();
    QTest::qWait(300);
    EXPECT_EQ(app.state(), QProcess::Running) << "a refused file must not stop the application";

    ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(20000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
}
