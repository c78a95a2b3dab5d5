// Whole runs of the real program: the play log's lines and an unattended run read through it, quitting
// while it plays by signal (see QuitRuns.h; the Quit command's key: tests/serial/QuitByKeyTest.cpp); and
// the built-in demo, whose clips are made once with the real ffmpeg program and whose playlist opens as
// a looping, autoplaying dynamic playlist over them.
#include "platform/PlayLog.h"
#include "app/DemoPlaylist.h"
#include "app/OrvantaDocumentController.h"
#include "document/OrvantaDocument.h"
#include "platform/AppPaths.h"
#include "platform/HeadlessPresenter.h"
#include "platform/TypedNumber.h"
#include "support/AppProcess.h"
#include "support/PlaylistFixture.h"
#include "support/QuitRuns.h"
#include "support/RecordingPresenter.h"
#include "support/TestEnvironment.h"
#include "support/Wait.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QJsonObject parse(const QByteArray& line) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
    return document.object();
}

QStringList eventsOf(const QList<QJsonObject>& entries) {
    QStringList events;
    for (const QJsonObject& entry : entries)
        events.append(entry.value("event").toString());
    return events;
}

} // namespace

// One line of JSON, its time exact and in UTC, with only the fields the entry has (the fields of each
// event: PlayLogRun).
TEST(PlayLogLine, IsOneLineWithAnExactUtcTimeAndOnlyTheFieldsItHas) {
    PlayLog::Entry alert;
    alert.playlist = QStringLiteral("Lobby \"A\"");
    alert.event = QStringLiteral("alert");
    alert.message = QStringLiteral("Missing Items");
    alert.informative = QStringLiteral("line one\nline two");
    const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7, 89), Qt::UTC);
    EXPECT_FALSE(PlayLog::line(alert, when).contains('\n'));
    const QJsonObject line = parse(PlayLog::line(alert, when));
    EXPECT_EQ(line.value("ts").toString(), QStringLiteral("2026-03-04T05:06:07.089Z"));
    EXPECT_EQ(line.value("playlist").toString(), QStringLiteral("Lobby \"A\""));
    EXPECT_EQ(line.value("informative").toString(), QStringLiteral("line one\nline two"));
    EXPECT_FALSE(line.contains("row") || line.contains("clip") || line.contains("path"));
}

TEST(PlayLogLine, UnattendedSaveQuestionsKeepFilesAndLetUntitledDocumentsGo) {
    HeadlessPresenter presenter;
    EXPECT_EQ(presenter.askSaveChangesForDocument("a", true), Presenter::SaveChangesAnswer::Save);
    EXPECT_EQ(presenter.askSaveChangesForDocument("Untitled", false), Presenter::SaveChangesAnswer::DontSave);
    EXPECT_FALSE(presenter.runOpenPanel({}).accepted);
    EXPECT_FALSE(presenter.runSavePanel({}).has_value());
}

TEST(PlayLogRun, APlaylistThatClosesWhenFinishedLogsEachClipOnceAndTheProgramQuits) {
    QTemporaryDir dir;
    const QUrl playlist =
        writeTestPlaylist(dir.path(), "show", {"clip-0.5s.mp4", "clip-1s.mp4"}, [](PlaylistSettings& s) {
            s.setValue("autoplay", TypedNumber::boolean(true));
            s.setValue("closeWhenFinished", TypedNumber::boolean(true));
        });
    // The program, offscreen and unattended, logging to standard output.
    AppProcess app({QStringLiteral(ORVANTA_APP_BINARY), dir.filePath("home"), {}, true, {}});
    ASSERT_TRUE(app.start({"--quit-when-done", playlist.toLocalFile()}));
    const bool finished = app.waitForExit(60000);
    const QList<QJsonObject> entries = app.logEntries();
    ASSERT_TRUE(finished) << eventsOf(entries).join(' ').toStdString();
    EXPECT_EQ(app.exitCode(), 0) << app.standardError().toStdString();
    EXPECT_EQ(eventsOf(entries), (QStringList{"windowDidLoad", "selection", "play", "movieDidEnd",
                                              "selection", "movieDidEnd", "stop", "documentClosed"}));
    // Each line names the playlist, and the clip it is about with its row and file.
    const QList<int> rows{-1, 0, 0, 0, 1, 1, 1, 1};
    for (int i = 0; i < entries.size() && i < rows.size(); ++i) {
        const QJsonObject& entry = entries[i];
        EXPECT_EQ(entry.value("playlist").toString(), QStringLiteral("show"));
        EXPECT_TRUE(entry.value("ts").toString().endsWith('Z'));
        EXPECT_EQ(entry.value("row").toInt(-1), rows[i]) << i;
        if (rows[i] >= 0) {
            EXPECT_EQ(entry.value("clip").toString(), QStringLiteral("show-c%1.mp4").arg(rows[i])) << i;
            EXPECT_EQ(entry.value("path").toString(),
                      dir.filePath(QStringLiteral("show-c%1.mp4").arg(rows[i])));
        }
    }
}

TEST(QuitWhilePlaying, OffscreenEverySignalEndsTheProgramAndKeepsThePlaylist) {
    quitRepeatedly(QStringLiteral(ORVANTA_APP_BINARY), true, QuitSignals);
}

TEST(QuitWhilePlaying, WithOpenGLEverySignalEndsTheProgramAndKeepsThePlaylist) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X server (the test command runs the tests under Xvfb)";
    quitRepeatedly(QStringLiteral(ORVANTA_APP_BINARY), false, QuitSignals);
}

TEST(WindowDemoPlaylist, WithoutFfmpegItSaysSoAndMakesNoPlaylist) {
    QTemporaryDir data;
    ScopedEnvironment home("XDG_DATA_HOME", data.path().toUtf8());
    ScopedEnvironment path("PATH", data.filePath("nothing-here").toUtf8());
    const DemoPlaylist::Result result = DemoPlaylist::prepare();
    EXPECT_FALSE(result);
    EXPECT_TRUE(result.error.contains("ffmpeg")) << result.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(DemoPlaylist::playlistPath()));
}

TEST(WindowDemoPlaylist, MakesItsClipsOnceAndOpensAsALoopingDynamicPlaylist) {
    QTemporaryDir data;
    ScopedEnvironment home("XDG_DATA_HOME", data.path().toUtf8());
    QList<int> progress;
    const DemoPlaylist::Result made = DemoPlaylist::prepare([&](int done, int) {
        if (progress.isEmpty() || progress.last() != done)
            progress.append(done);
    });
    ASSERT_TRUE(made) << made.error.toStdString();
    EXPECT_TRUE(made.playlist.toLocalFile().startsWith(data.path()));
    EXPECT_EQ(progress.first(), 0);
    EXPECT_EQ(progress.last(), DemoPlaylist::clipCount());
    const QFileInfoList clips = QDir(DemoPlaylist::demoFolder() + "/Clips").entryInfoList(QDir::Files);
    ASSERT_EQ(clips.size(), DemoPlaylist::clipCount());
    const QDateTime firstMade = clips.first().lastModified();

    // The second time nothing is made again.
    const DemoPlaylist::Result again = DemoPlaylist::prepare();
    ASSERT_TRUE(again);
    EXPECT_EQ(QFileInfo(clips.first().filePath()).lastModified(), firstMade);

    RecordingPresenter presenter;
    OrvantaDocumentController controller;
    DocumentError error;
    auto* document =
        qobject_cast<OrvantaDocument*>(controller.openDocumentWithContentsOfURL(made.playlist, true, &error));
    ASSERT_NE(document, nullptr) << error.localizedDescription.toStdString();
    EXPECT_TRUE(document->isDynamicPlaylist());
    WAIT_EQ(document->clips().size(), DemoPlaylist::clipCount(), 30000);
    EXPECT_EQ(document->settings()->looping(), 1);
    EXPECT_TRUE(document->settings()->autoplay());
    EXPECT_EQ(controller.documents().size(), 1); // the demo and nothing untitled
    EXPECT_TRUE(presenter.alerts.isEmpty());
    document->settings()->setValue(QStringLiteral("volume"), TypedNumber::float32(0.25f));
    controller.closeAllDocuments();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // A demo left by an earlier version in its "Orvanta/Orvanta" folder moves to the current place
    // and is pointed at its moved clips, keeping its settings; no clip is made again.
    ASSERT_TRUE(QDir().mkpath(data.filePath("Orvanta")));
    ASSERT_TRUE(QDir().rename(AppPaths::dataFolder(), data.filePath("Orvanta/Orvanta")));
    ASSERT_TRUE(AppPaths::adoptEarlierLocations().isEmpty()); // what it moves: AppPathsTest
    const DemoPlaylist::Result moved = DemoPlaylist::prepare();
    ASSERT_TRUE(moved) << moved.error.toStdString();
    EXPECT_EQ(QFileInfo(clips.first().filePath()).lastModified(), firstMade);
    OrvantaDocument reread;
    ASSERT_TRUE(reread.readFromURL(moved.playlist, OrvantaDocument::DynamicPlaylistType, &error));
    EXPECT_EQ(reread.dynamicSourceFolder().toLocalFile(), DemoPlaylist::demoFolder() + "/Clips");
    EXPECT_EQ(reread.settings()->volume(), 0.25f);
}
