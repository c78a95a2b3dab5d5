// The menus through real playlist windows and the real clipboard: the items per playlist kind, copy in
// one window and paste in another, paste of a file manager's files, cut and undo, a slider drag as one
// step, a dynamic playlist's new source folder undone; and the File menu's Locate
// Missing Files, export and import of lists (what lists hold and how relinking chooses:
// PlaylistExchangeTest).
#include "document/ClipPasteboard.h"
#include "platform/defaults/UserDefaults.h"
#include "support/PlaylistWindows.h"
#include "window/PlaylistEditMenu.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>

namespace {

using EditMenuTest = PlaylistWindowTest;

QAction* item(OrvantaWindowController* wc, const QString& name) {
    return wc->window()->findChild<QAction*>(name);
}

QLabel* label(OrvantaWindowController* wc, const char* name) {
    return wc->window()->findChild<QLabel*>(name);
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
    media("clip-1s.mp4", "dyn/b.mp4");
    OrvantaWindowController* standard = open("s", {"clip-1s.mp4"});
    OrvantaWindowController* dynamic = openDynamic("d", "dyn");
    // A dynamic playlist's table removes nothing, by key either, and offers no row action; asked to
    // take a source folder anyway, a standard playlist keeps its clips. Both beep.
    dynamic->clipsController()->setSelectionIndexes({0, 1});
    QTest::keyClick(dynamic->clipsTable(), Qt::Key_Backspace);
    EXPECT_EQ(names(dynamic), (QStringList{"a.mp4", "b.mp4"}));
    EXPECT_TRUE(dynamic->tableViewRowActionsForRow(0, OrvantaWindowController::TrailingEdge).isEmpty());
    standard->setSourceFolder();
    EXPECT_EQ(names(standard), QStringList{"s-c0.mp4"});
    EXPECT_EQ(presenter.beeps, 2);

    // Menu items by their action, toolbar items by their tag (0 and 1; 2, -1 and none are no one's): which
    // each window takes.
    const QStringList standardMenus = {"addNewClips", "removeClips", "switchSettingsPane", "anythingElse"};
    const QStringList dynamicMenus = {"setSourceFolder", "switchSettingsPane", "anythingElse"};
    QAction probe;
    for (const QString& action : standardMenus + dynamicMenus) {
        probe.setObjectName(action);
        EXPECT_EQ(standard->validateMenuItem(&probe), standardMenus.contains(action)) << action.toStdString();
        EXPECT_EQ(dynamic->validateMenuItem(&probe), dynamicMenus.contains(action)) << action.toStdString();
    }
    probe.setObjectName({});
    for (const QVariant& tag : {QVariant(0), QVariant(1), QVariant(2), QVariant(-1), QVariant()}) {
        probe.setData(tag);
        EXPECT_EQ(standard->validateToolbarItem(&probe), tag == QVariant(0)) << tag.toString().toStdString();
        EXPECT_EQ(dynamic->validateToolbarItem(&probe), tag == QVariant(1)) << tag.toString().toStdString();
    }
    // The windows' own items, the Edit menu's with an empty clipboard and nothing done yet: which each
    // window takes; neither takes undo, redo or paste.
    QGuiApplication::clipboard()->clear();
    const QStringList standardTakes =
        QString("addNewClipsItem removeClipsItem addNewClips removeClips cut copy delete selectAll")
            .split(' ');
    const QStringList dynamicTakes = {"setSourceFolderItem", "copy", "selectAll"};
    for (OrvantaWindowController* wc : {standard, dynamic})
        wc->validateUserInterfaceItems();
    for (const QString& name : standardTakes + dynamicTakes + QStringList{"undo", "redo", "paste"}) {
        EXPECT_EQ(item(standard, name)->isEnabled(), standardTakes.contains(name)) << name.toStdString();
        EXPECT_EQ(item(dynamic, name)->isEnabled(), dynamicTakes.contains(name)) << name.toStdString();
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

// A dynamic playlist is rebuilt from its folder, with or without its subfolders, when it opens and when
// its folder is changed; the change, as a slider's drag, is one step.
TEST_F(EditMenuTest, ADynamicPlaylistIsRebuiltFromANewFolderWhichIsRememberedAndASliderDragIsOneStep) {
    media("clip-1s.mp4", "first/a.mp4");
    media("clip-1s.mp4", "first/sub/b.mp4");
    media("notes.txt", "first/c.txt");
    media("clip-1s.mp4", "second/c.mp4");
    media("clip-1s.mp4", "second/sub/d.mp4");
    OrvantaWindowController* wc = openDynamic("d", "first", true);
    OrvantaDocument* document = wc->datasource();
    ASSERT_EQ(names(wc), (QStringList{"a.mp4", "b.mp4"}));
    EXPECT_EQ(document->changeCount(), 0); // the clips built from the folder are not saved: no change
    EXPECT_EQ(wc->infoTab()->currentIndex(), 0);
    EXPECT_EQ(label(wc, "subdirectoriesText")->text(), QStringLiteral("included"));
    EXPECT_EQ(wc->openAccessoryViewController(), nullptr); // the add panel's check box plays no part
    const auto oldMovie = document->clips()[0]->movie;

    auto* speed = wc->window()->findChild<QSlider*>("speed");
    speed->setSliderDown(true);
    for (int value : {120, 150, 200})
        speed->setValue(value);
    speed->setSliderDown(false);
    EXPECT_EQ(item(wc, "undo")->text(), "Undo Speed");
    choose(wc, "undo");
    EXPECT_EQ(document->settings()->speed(), 1.0f);
    EXPECT_EQ(speed->value(), 100);

    wc->setSourceFolder(); // cancelled
    imported(wc);
    EXPECT_EQ(document->dynamicSourceFolder(), url("first"));
    const Presenter::OpenPanelRequest& request = presenter.openPanelRequests.last();
    EXPECT_FALSE(request.canChooseFiles || request.allowsMultipleSelection);
    EXPECT_TRUE(request.canChooseDirectories);
    EXPECT_EQ(request.includeSubdirectoriesBox, std::optional<bool>(true));

    presenter.openPanelAnswers.push_back(RecordingPresenter::chosen({url("second")}, url(""), false));
    wc->setSourceFolder();
    imported(wc);
    EXPECT_EQ(names(wc), QStringList{"c.mp4"});
    EXPECT_NE(document->clips()[0]->movie, oldMovie);
    EXPECT_EQ(document->dynamicSourceFolder(), url("second"));
    EXPECT_FALSE(document->includeSubdirectories());
    EXPECT_TRUE(wc->window()->isWindowModified());
    EXPECT_EQ(UserDefaults::standardUserDefaults().URLForKey("dynamicFolderLocation"), url(""));
    EXPECT_EQ(label(wc, "sourceFolderText")->text(), path("second"));
    EXPECT_EQ(label(wc, "subdirectoriesText")->text(), QStringLiteral("not included"));
    EXPECT_EQ(item(wc, "undo")->text(), "Undo Choose Source Folder");
    choose(wc, "undo");
    EXPECT_EQ(names(wc), (QStringList{"a.mp4", "b.mp4"}));
    EXPECT_EQ(document->dynamicSourceFolder(), url("first"));
    EXPECT_TRUE(document->includeSubdirectories());
    EXPECT_FALSE(wc->window()->isWindowModified());
    choose(wc, "redo");
    EXPECT_EQ(names(wc), QStringList{"c.mp4"});
    EXPECT_FALSE(document->includeSubdirectories());

    // The next dynamic playlist's panel starts where this one was.
    controller.newDynamicPlaylistDocument();
    EXPECT_EQ(presenter.openPanelRequests.last().directoryURL, url(""));
}

TEST_F(EditMenuTest, MovedClipsAreRelinkedInPlaceThenExportedAndImported) {
    ASSERT_FALSE(
        writeTestPlaylist(path("old"), "show", {"clip-1s.mp4", "clip-2s.mp4", "clip-1s.mp4"}).isEmpty());
    ASSERT_TRUE(QDir().rename(path("old"), path("moved")));
    ASSERT_TRUE(QFile::remove(path("moved/show-c2.mp4")));
    OrvantaWindowController* wc = openURL(url("moved/show.orvplaylist"));
    ASSERT_TRUE(wc);
    presenter.alerts.clear();
    EXPECT_TRUE(wc->validateMenuItem(item(wc, "locateMissingFiles")));
    const QList<ClipRecordPtr> before = wc->datasource()->clips();

    presenter.openPanelAnswers.push_back(RecordingPresenter::chosen({url("moved")}, url("moved"), true));
    item(wc, "locateMissingFiles")->trigger();
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
    item(wc, "exportPlaylist")->trigger(); // what the list holds: M3uList's tests; here, read back
    OrvantaWindowController* other = openUntitled();
    ASSERT_TRUE(other);
    presenter.alerts.clear();
    presenter.openPanelAnswers.push_back(
        RecordingPresenter::chosen({url("moved/out.m3u8")}, url("moved"), true));
    item(other, "importPlaylist")->trigger();
    imported(other);
    EXPECT_EQ(names(other), QStringList({"show-c0.mp4", "show-c1.mp4"}));
    ASSERT_EQ(presenter.alerts.size(), 1);
    EXPECT_TRUE(presenter.alerts[0].second.contains(path("old/show-c2.mp4")));
}
