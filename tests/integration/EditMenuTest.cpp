// The Edit menu through real playlist windows and the real clipboard: its items per playlist kind, copy
// in one window and paste in another, paste of a file manager's files, cut and undo, a slider drag as
// one step, a new source folder undone, and a 1,000-clip import undone in one step.
#include "document/ClipPasteboard.h"
#include "support/PlaylistWindows.h"
#include "window/PlaylistEditMenu.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QSlider>

namespace {

using EditMenuTest = PlaylistWindowTest;

QAction* item(OrvantaWindowController* wc, const char* name) {
    return wc->window()->findChild<QAction*>(name);
}

// Chooses the item as the user does: only when it is enabled.
void choose(OrvantaWindowController* wc, const char* name) {
    wc->validateUserInterfaceItems();
    ASSERT_TRUE(item(wc, name)->isEnabled()) << name;
    item(wc, name)->trigger();
}

} // namespace

TEST_F(EditMenuTest, TheItemsAreEnabledPerPlaylistKindSelectionStackAndClipboard) {
    // What the windows below do not reach: a running import, a redo.
    EXPECT_EQ(PlaylistEditMenu::validate("undo", {.importing = true, .canUndo = true}), false);
    EXPECT_EQ(PlaylistEditMenu::validate("paste", {.importing = true, .clipboardHasFiles = true}), false);
    EXPECT_EQ(PlaylistEditMenu::validate("redo", {.canRedo = true}), true);
    EXPECT_EQ(PlaylistEditMenu::validate("addNewClips", {}), std::nullopt);

    media("clip-1s.mp4", "dyn/a.mp4");
    OrvantaWindowController* standard = open("s", {"clip-1s.mp4"});
    OrvantaWindowController* dynamic = openDynamic("d", "dyn");
    QGuiApplication::clipboard()->clear();
    const struct {
        const char* name;
        bool standard, dynamic;
    } own[] = {{"undo", false, false},   {"redo", false, false},  {"cut", true, false},
               {"copy", true, true},     {"paste", false, false}, {"delete", true, false},
               {"selectAll", true, true}};
    for (OrvantaWindowController* wc : {standard, dynamic})
        wc->validateUserInterfaceItems();
    for (const auto& o : own) {
        EXPECT_EQ(item(standard, o.name)->isEnabled(), o.standard) << o.name;
        EXPECT_EQ(standard->validateMenuItem(item(standard, o.name)), o.standard) << o.name;
        EXPECT_EQ(item(dynamic, o.name)->isEnabled(), o.dynamic) << o.name;
    }
    // Copied clips can be pasted into the standard playlist only.
    choose(dynamic, "copy");
    EXPECT_TRUE(item(standard, "paste")->isEnabled());
    EXPECT_FALSE(item(dynamic, "paste")->isEnabled());
}

TEST_F(EditMenuTest, CopyInOneWindowPastesInAnotherAndCutAndPasteOfFilesUndo) {
    OrvantaWindowController* from = open("a", {"clip-1s.mp4", "clip-2s.mp4"});
    OrvantaWindowController* to = open("b", {"clip-1s.mp4"});
    from->clipsController()->setSelectionIndexes({0, 1});
    choose(from, "copy");
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    EXPECT_TRUE(copied->hasFormat(ClipPasteboard::PrivateClipsType));
    EXPECT_EQ(copied->urls(), (QList<QUrl>{url("a-c0.mp4"), url("a-c1.mp4")}));
    EXPECT_EQ(copied->text(), path("a-c0.mp4") + '\n' + path("a-c1.mp4"));

    to->clipsController()->setSelectionIndexes({0});
    choose(to, "paste");
    imported(to);
    EXPECT_EQ(names(to), (QStringList{"b-c0.mp4", "a-c0.mp4", "a-c1.mp4"}));
    EXPECT_EQ(item(to, "undo")->text(), "Undo Paste 2 Clips");
    EXPECT_TRUE(to->window()->isWindowModified());
    choose(to, "undo");
    EXPECT_EQ(names(to), QStringList{"b-c0.mp4"});
    EXPECT_FALSE(to->window()->isWindowModified());
    choose(to, "redo");

    // Cut, then undone: the clips come back in their places, selected, and the playlist is clean again.
    const QList<ClipRecordPtr> clips = from->datasource()->clips();
    choose(from, "cut");
    EXPECT_TRUE(names(from).isEmpty());
    choose(from, "undo");
    EXPECT_EQ(from->datasource()->clips(), clips);
    EXPECT_EQ(from->clipsController()->selectionIndexes(), (QList<int>{0, 1}));
    EXPECT_FALSE(from->window()->isWindowModified());
    // A file manager's copy: its movie files are pasted at the end, other files and folders are not.
    auto* files = new QMimeData;
    files->setUrls({QUrl::fromLocalFile(testMediaPath("notes.txt")), url("a-c1.mp4"), url(""),
                    QUrl::fromLocalFile(testMediaPath("protected-audio.mp4"))});
    QGuiApplication::clipboard()->setMimeData(files);
    to->clipsController()->setSelectionIndexes({});
    choose(to, "paste");
    imported(to);
    EXPECT_EQ(names(to), (QStringList{"b-c0.mp4", "a-c0.mp4", "a-c1.mp4", "a-c1.mp4"}));
    EXPECT_EQ(presenter.alerts.size(), 1); // the protected file is refused as in any import
    EXPECT_EQ(item(to, "undo")->text(), "Undo Paste Clip");
}

TEST_F(EditMenuTest, ASliderDragANewSourceFolderAndAThousandClipImportAreOneStepEach) {
    OrvantaWindowController* wc = open("s", {"clip-1s.mp4"});
    auto* speed = wc->window()->findChild<QSlider*>("speed");
    speed->setSliderDown(true);
    for (int value : {120, 150, 200})
        speed->setValue(value);
    speed->setSliderDown(false);
    EXPECT_EQ(item(wc, "undo")->text(), "Undo Speed");
    choose(wc, "undo");
    EXPECT_EQ(wc->datasource()->settings()->speed(), 1.0f);
    EXPECT_EQ(speed->value(), 100);

    ASSERT_TRUE(QDir().mkpath(path("many")));
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(QFile::link(testMediaPath("clip-0.5s.mp4"), path(QStringLiteral("many/c%1.mp4").arg(i))));
    const QList<ClipRecordPtr> before = wc->datasource()->clips();
    wc->addClipsWithURLs({url("many")});
    imported(wc);
    ASSERT_EQ(names(wc).size(), 1001);
    EXPECT_EQ(item(wc, "undo")->text(), "Undo Add 1000 Clips");
    QElapsedTimer timer;
    timer.start();
    choose(wc, "undo");
    std::cout << "undoing the 1,000-clip import: " << timer.nsecsElapsed() / 1000 << " us\n";
    EXPECT_EQ(wc->datasource()->clips(), before);
    EXPECT_EQ(wc->clipsTable()->model()->rowCount(), 1);

    media("clip-1s.mp4", "first/a.mp4");
    media("clip-1s.mp4", "second/c.mp4");
    OrvantaWindowController* dynamic = openDynamic("d", "first");
    presenter.openPanelAnswers.push_back(RecordingPresenter::chosen({url("second")}, url(""), true));
    dynamic->setSourceFolder();
    imported(dynamic);
    EXPECT_EQ(names(dynamic), QStringList{"c.mp4"});
    EXPECT_EQ(item(dynamic, "undo")->text(), "Undo Choose Source Folder");
    choose(dynamic, "undo");
    EXPECT_EQ(names(dynamic), QStringList{"a.mp4"});
    EXPECT_EQ(dynamic->datasource()->dynamicSourceFolder(), url("first"));
    EXPECT_FALSE(dynamic->datasource()->includeSubdirectories() || dynamic->window()->isWindowModified());
    choose(dynamic, "redo");
    EXPECT_EQ(names(dynamic), QStringList{"c.mp4"});
    EXPECT_TRUE(dynamic->datasource()->includeSubdirectories());
}
