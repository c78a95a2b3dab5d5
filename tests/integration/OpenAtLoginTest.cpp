// File ▸ "Open at Login" of a real playlist window: it writes and removes the playlist's autostart entry
// (in the test's own XDG_CONFIG_HOME), and its check mark follows the entry on disk.
#include "platform/AutostartEntry.h"
#include "support/PlaylistWindows.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

using OpenAtLoginTest = PlaylistWindowTest;

TEST_F(OpenAtLoginTest, TheItemWritesAndRemovesTheEntryAndItsCheckMarkFollowsTheDisk) {
    OrvantaWindowController* wc = open("Lobby", {"clip-1s.mp4"});
    ASSERT_NE(wc, nullptr);
    auto* item = wc->window()->findChild<QAction*>("openAtLogin");
    ASSERT_NE(item, nullptr);
    auto* file = qobject_cast<QMenu*>(item->parent());
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(item->isEnabled());
    EXPECT_FALSE(item->isChecked());

    const QString playlist = wc->datasource()->fileURL().toLocalFile();
    item->trigger();
    const QString entry = AutostartEntry::find(playlist);
    EXPECT_EQ(QFileInfo(entry).fileName(), "orvanta-Lobby.desktop");
    EXPECT_TRUE(item->isChecked());

    // Removed by other means: unchecked the next time the menu opens; checked again, then unchecked.
    ASSERT_TRUE(QFile::remove(entry));
    emit file->aboutToShow();
    EXPECT_FALSE(item->isChecked());
    item->trigger();
    EXPECT_FALSE(AutostartEntry::find(playlist).isEmpty());
    item->trigger();
    EXPECT_TRUE(AutostartEntry::find(playlist).isEmpty());
    EXPECT_FALSE(item->isChecked());

    // An untitled playlist has no file to start.
    OrvantaWindowController* untitled = openUntitled();
    auto* none = untitled->window()->findChild<QAction*>("openAtLogin");
    ASSERT_NE(none, nullptr);
    EXPECT_FALSE(none->isEnabled());
}
