// Through a real playlist window: Locate Missing Files after a folder was moved, then the playlist
// exported as M3U and that list imported into another playlist. What lists hold and how relinking
// chooses is tested without a window (PlaylistExchangeTest).
#include "support/PlaylistWindows.h"

#include <QAction>
#include <QDir>
#include <QFile>

namespace {

using PlaylistExchangeWindowTest = PlaylistWindowTest;

} // namespace

TEST_F(PlaylistExchangeWindowTest, MovedClipsAreRelinkedInPlaceThenExportedAndImported) {
    const QUrl written =
        writeTestPlaylist(path("old"), "show", {"clip-1s.mp4", "clip-2s.mp4", "clip-1s.mp4"});
    ASSERT_FALSE(written.isEmpty());
    ASSERT_TRUE(QDir().rename(path("old"), path("moved")));
    ASSERT_TRUE(QFile::remove(path("moved/show-c2.mp4")));
    OrvantaWindowController* wc = openURL(url("moved/show.orvplaylist"));
    ASSERT_TRUE(wc);
    presenter.alerts.clear();
    auto* locate = wc->window()->findChild<QAction*>("locateMissingFiles");
    ASSERT_TRUE(locate);
    EXPECT_TRUE(wc->validateMenuItem(locate));
    const QList<ClipRecordPtr> before = wc->datasource()->clips();

    presenter.openPanelAnswers.push_back(RecordingPresenter::chosen({url("moved")}, url("moved"), true));
    locate->trigger();
    const QList<ClipRecordPtr>& after = wc->datasource()->clips();
    ASSERT_EQ(after.size(), 3);
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(after[row]->URL, url(QStringLiteral("moved/show-c%1.mp4").arg(row)));
        EXPECT_EQ(after[row]->name, before[row]->name);
        EXPECT_FALSE(after[row]->isMissing());
        EXPECT_TRUE(after[row]->movie && after[row]->bookmark);
    }
    EXPECT_EQ(after[2], before[2]) << "the clip not found stays as it was";
    ASSERT_EQ(presenter.alerts.size(), 1);
    EXPECT_TRUE(presenter.alerts[0].second.contains(path("old/show-c2.mp4")));
    EXPECT_EQ(wc->clipsController()->arrangedObjects(), after);
    EXPECT_TRUE(wc->datasource()->isDocumentEdited());

    presenter.savePanelAnswers.push_back(url("moved/out.m3u8"));
    // The File menu's items reach the window's controller.
    auto* exportItem = wc->window()->findChild<QAction*>("exportPlaylist");
    ASSERT_TRUE(exportItem);
    exportItem->trigger();
    QFile exported(path("moved/out.m3u8"));
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const QString list = QString::fromUtf8(exported.readAll());
    EXPECT_TRUE(list.startsWith("#EXTM3U\n#EXTINF:1,show-c0.mp4\nshow-c0.mp4\n#EXTINF:2,show-c1.mp4\n"))
        << list.toStdString();

    OrvantaWindowController* other = openUntitled();
    ASSERT_TRUE(other);
    presenter.alerts.clear();
    presenter.openPanelAnswers.push_back(
        RecordingPresenter::chosen({url("moved/out.m3u8")}, url("moved"), true));
    auto* importItem = other->window()->findChild<QAction*>("importPlaylist");
    ASSERT_TRUE(importItem);
    importItem->trigger();
    imported(other);
    EXPECT_EQ(names(other), QStringList({"show-c0.mp4", "show-c1.mp4"}));
    ASSERT_EQ(presenter.alerts.size(), 1);
    EXPECT_TRUE(presenter.alerts[0].second.contains(path("old/show-c2.mp4")));
}
