// The built-in demo: its clips are made once with the real ffmpeg program, its playlist opens as a
// looping, autoplaying dynamic playlist over them.
#include "app/DemoPlaylist.h"
#include "app/OrvantaDocumentController.h"
#include "document/OrvantaDocument.h"
#include "platform/AppPaths.h"
#include "support/RecordingPresenter.h"
#include "support/TestEnvironment.h"
#include "support/Wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    EXPECT_TRUE(AppPaths::adoptEarlierLocations().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(data.filePath("Orvanta")));
    const DemoPlaylist::Result moved = DemoPlaylist::prepare();
    ASSERT_TRUE(moved) << moved.error.toStdString();
    EXPECT_EQ(QFileInfo(clips.first().filePath()).lastModified(), firstMade);
    OrvantaDocument reread;
    ASSERT_TRUE(reread.readFromURL(moved.playlist, OrvantaDocument::DynamicPlaylistType, &error));
    EXPECT_EQ(reread.dynamicSourceFolder().toLocalFile(), DemoPlaylist::demoFolder() + "/Clips");
    EXPECT_EQ(reread.settings()->volume(), 0.25f);
}
