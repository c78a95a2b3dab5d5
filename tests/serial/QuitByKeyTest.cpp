// The program driven with keys pressed through the X server, as a person would press them. Keys go to
// the window that has the focus, which another test could take: these tests run alone on their display.
#include "document/OrvantaDocument.h"
#include "support/AppProcess.h"
#include "support/PlaylistFixture.h"
#include "support/QuitRuns.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

namespace {

bool canPressKeys() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") && !QStandardPaths::findExecutable("xdotool").isEmpty();
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(QuitWhilePlaying, WithOpenGLTheQuitCommandEndsTheProgramAndKeepsThePlaylist) {
    if (!canPressKeys())
        GTEST_SKIP() << "needs an X server and xdotool (scripts/install-deps installs it)";
    quitRepeatedly(QStringLiteral(ORVANTA_APP_BINARY), false, {QuitCommand});
}

TEST(QuitWithUnsavedEdits, EditsThatCannotBeSavedAtTheEndGoToARecoveryCopyAndTheProgramEnds) {
    // A clip removed with the Remove Clips key: an edit made as a person would make it, through X.
    if (!canPressKeys())
        GTEST_SKIP() << "needs an X server and xdotool (scripts/install-deps installs it)";
    QTemporaryDir dir;
    const QString folder = dir.filePath("read-only");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QUrl playlist = writeTestPlaylist(folder, "show", QStringList(3, "clip-1s.mp4"));
    ASSERT_FALSE(playlist.isEmpty());
    const QByteArray before = contentsOf(playlist.toLocalFile());

    AppProcess::Options options{QStringLiteral(ORVANTA_APP_BINARY), dir.filePath("home"), {}, false, {}};
    if (::geteuid() == 0) {
        // Permissions do not stop root: the folder is mounted read-only in a mount namespace of the run.
        if (QProcess::execute("unshare", {"-m", "true"}) != 0)
            GTEST_SKIP() << "running as root without mount namespaces: no folder can be made read-only";
        const char* readOnly = "mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" && exec \"$@\"";
        options.wrapper = {"unshare", "-m", "sh", "-c", readOnly, folder};
    } else {
        ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    }
    AppProcess app(options);
    ASSERT_TRUE(app.start({playlist.toLocalFile()}));
    ASSERT_TRUE(app.waitForLogged("selection", 30000)) << app.standardError().toStdString();
    const QString pressed = app.pressKeys("ctrl+BackSpace");
    ASSERT_TRUE(pressed.isEmpty()) << pressed.toStdString();
    // The autosave fails and says so; the edit stays.
    ASSERT_TRUE(QTest::qWaitFor([&] { return app.standardError().contains("could not be saved"); }, 10000))
        << app.standardError().toStdString();
    app.sendSignal(SIGTERM);
    ASSERT_TRUE(app.waitForExit(3000)) << app.backtrace().toStdString();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(app.exitCode(), 1) << "some edits went to a recovery copy";

    const QString recovery = dir.filePath("home/data/orvanta/Recovery");
    const QStringList copies = QDir(recovery).entryList({"show *.orvplaylist"}, QDir::Files);
    ASSERT_EQ(copies.size(), 1) << app.standardError().toStdString();
    const QString copy = recovery + u'/' + copies.first();
    EXPECT_TRUE(app.standardError().contains(copy.toUtf8())) << app.standardError().toStdString();
    QString logged;
    for (const QJsonObject& entry : app.logEntries()) {
        if (entry.value("event").toString() == "recoveryCopy")
            logged = entry.value("path").toString();
    }
    EXPECT_EQ(logged, copy);
    OrvantaDocument recovered;
    DocumentError error;
    ASSERT_TRUE(
        recovered.readFromURL(QUrl::fromLocalFile(copy), OrvantaDocument::StandardPlaylistType, &error))
        << error.localizedDescription.toStdString();
    EXPECT_EQ(recovered.clips().size(), 2) << "the copy holds the edit";
    EXPECT_EQ(contentsOf(playlist.toLocalFile()), before);
}
