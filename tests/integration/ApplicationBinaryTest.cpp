#include "document/OrvantaDocument.h"
#include "platform/TypedNumber.h"
#include "support/AppProcess.h"
#include "support/PlaylistFixture.h"
#include "support/TestMedia.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

AppProcess::Options appOptions(const QTemporaryDir& dir) {
    return {QStringLiteral(ORVANTA_APP_BINARY), dir.filePath("home"), {}, true, {}};
}

} // namespace

// The real program, started as a user starts it, given a file that is no playlist: unattended it says so
// on standard error and runs on; attended, the alert waits for a person. SIGTERM ends it cleanly either
// way.
TEST(ApplicationBinary, ARefusedFileLeavesItRunningAndSigtermEndsItEvenWhileAnAlertWaits) {
    QTemporaryDir dir;
    QFile notAPlaylist(dir.filePath("shopping list.orvplaylist"));
    ASSERT_TRUE(notAPlaylist.open(QIODevice::WriteOnly));
    notAPlaylist.write("eggs, milk\n");
    notAPlaylist.close();
    for (const bool unattended : {true, false}) {
        SCOPED_TRACE(unattended ? "unattended, under X" : "attended, offscreen");
        AppProcess::Options options = appOptions(dir);
        options.unattended = unattended;
        options.offscreen = !unattended;
        AppProcess app(options);
        ASSERT_TRUE(app.start({notAPlaylist.fileName()}));
        // Attended, the refusal is an alert that waits for its button before the event loop runs.
        ASSERT_TRUE(app.waitForLogged("alert", 30000)) << app.standardError().toStdString();
        if (unattended) {
            EXPECT_TRUE(app.standardError().contains("shopping list.orvplaylist"));
            QTest::qWait(300);
            EXPECT_TRUE(app.isRunning()) << "a refused file must not stop the application";
        }
        app.sendSignal(SIGTERM);
        ASSERT_TRUE(app.waitForExit(3000)) << app.backtrace().toStdString();
        EXPECT_EQ(app.exitCode(), 0) << app.standardError().toStdString();
    }
}

TEST(ApplicationQuitWhileStarting, SigtermDuringTheStartUpImportEndsTheProgramAndLeavesThePlaylist) {
    QTemporaryDir dir;
    // Two thousand small movies (links to one file: each is still opened and probed).
    const QString folder = dir.filePath("many");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QByteArray clip = QFile::encodeName(testMediaPath("clip-0.5s.mp4"));
    for (int i = 0; i < 2000; ++i) {
        const QByteArray link = QFile::encodeName(folder + QString("/clip%1.mp4").arg(i, 4, 10, QChar(u'0')));
        ASSERT_EQ(::link(clip.constData(), link.constData()), 0) << std::strerror(errno);
    }
    const QUrl playlist = writeDynamicTestPlaylist(
        dir.filePath("many.orvdynamic"), folder, false,
        [](PlaylistSettings& settings) { settings.setValue("autoplay", TypedNumber::boolean(true)); });
    ASSERT_FALSE(playlist.isEmpty());
    const QByteArray before = contentsOf(playlist.toLocalFile());

    AppProcess app(appOptions(dir));
    ASSERT_TRUE(app.start({playlist.toLocalFile()}));
    // The window loads, then imports the folder before anything else happens.
    ASSERT_TRUE(app.waitForLogged("windowDidLoad", 30000)) << app.standardError().toStdString();
    QTest::qWait(200);
    ASSERT_FALSE(app.hasLogged("selection")) << "the import ended before the signal";
    app.sendSignal(SIGTERM);
    ASSERT_TRUE(app.waitForExit(3000)) << app.backtrace().toStdString();
    EXPECT_EQ(app.exitCode(), 0) << app.standardError().toStdString();
    // Nothing of the cancelled import reached the playlist, nor its file.
    EXPECT_FALSE(app.hasLogged("selection"));
    EXPECT_EQ(contentsOf(playlist.toLocalFile()), before);
}

TEST(ApplicationQuitWhileStarting, SigtermWhileTheDemoMakesItsClipsEndsTheProgram) {
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        GTEST_SKIP() << "the demo makes its clips with the ffmpeg program, which is not installed";
    QTemporaryDir dir;
    AppProcess app(appOptions(dir));
    const QDir clips(dir.filePath("home/data/orvanta/Demo/Clips"));
    ASSERT_TRUE(app.start({"--demo"}));
    // ffmpeg is at work on the first clip.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !clips.entryList({"*.part.mp4"}, QDir::Files).isEmpty(); }, 30000));
    app.sendSignal(SIGTERM);
    ASSERT_TRUE(app.waitForExit(3000)) << app.backtrace().toStdString();
    EXPECT_EQ(app.exitCode(), 0) << app.standardError().toStdString();
    EXPECT_FALSE(app.hasLogged("windowDidLoad")) << "the demo played after all";
    EXPECT_EQ(clips.entryList({"*.part.mp4"}, QDir::Files), QStringList());
    EXPECT_FALSE(app.standardError().contains("could not be prepared")) << app.standardError().toStdString();
}
