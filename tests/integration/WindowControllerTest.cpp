// The playlist window with real widgets and real movies: start-up, change tracking, validation, the
// settings panes, closing the other playlists and tear-down; and the background import runs: a long one
// that is cancelled (the Cancel button, Escape), or whose window goes meanwhile (closed, or closed when
// its clip has finished), adds nothing and leaves the playlist and its file as they were, and one that
// runs through is undone in one step. Other import runs: WindowImportTest.cpp; SIGTERM during a start-up
// import: ApplicationBinaryTest.
#include "document/PlaylistSettings.h"
#include "platform/TypedNumber.h"
#include "platform/notifications/NotificationCenter.h"
#include "support/PlaylistWindows.h"
#include "support/Wait.h"
#include "window/ClipTableModel.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableView>
#include <QTest>

using WindowTest = PlaylistWindowTest;

// Found by the test's printer beside TypedNumber, in the global namespace.
static void PrintTo(const TypedNumber& number, std::ostream* os) {
    *os << "kind " << int(number.kind()) << " value " << number.doubleValue();
}

TEST_F(WindowTest, ClosesTheOtherPlaylistsInReverseOrderWithoutAskingAndAClosedWindowIsReachedByNothing) {
    const int displayObservers = NotificationCenter::defaultCenter().observerCount("displayChangeNotice");
    QStringList closed;
    for (int i = 0; i < 3; ++i) {
        Document* other = controller.newStandardPlaylistDocument();
        other->updateChangeCount(Document::ChangeKind::Done); // unsaved, yet not asked about
        QObject::connect(other, &Document::documentClosed, &controller,
                         [&closed](Document* d) { closed.append(d->displayName()); });
    }
    ASSERT_NE(open("keeps"), nullptr);
    EXPECT_TRUE(closed.isEmpty());

    OrvantaWindowController* closer = open("closer", {}, [](PlaylistSettings& s) {
        s.setValue("closeOthersAtStartup", TypedNumber::boolean(true));
    });
    ASSERT_NE(closer, nullptr);
    EXPECT_EQ(closed, (QStringList{"Untitled 3", "Untitled 2", "Untitled"}));
    EXPECT_TRUE(presenter.saveChangesQuestions.isEmpty());
    processDeferredDeletes();
    ASSERT_EQ(controller.documents().size(), 1);
    EXPECT_EQ(controller.documents().first(), closer->datasource());
    EXPECT_FALSE(closer->datasource()->isClosed());
    EXPECT_EQ(NotificationCenter::defaultCenter().observerCount("displayChangeNotice"), displayObservers + 1);

    EXPECT_TRUE(closer->window()->close());
    processDeferredDeletes();
    EXPECT_TRUE(controller.documents().isEmpty());
    EXPECT_EQ(NotificationCenter::defaultCenter().observerCount("displayChangeNotice"), displayObservers);
    // These would reach freed memory if anything were left connected.
    NotificationCenter::defaultCenter().postNotificationName("displayChangeNotice");
    QMetaObject::invokeMethod(qApp, "applicationStateChanged",
                              Q_ARG(Qt::ApplicationState, Qt::ApplicationActive));
}

TEST_F(WindowTest, AStandardPlaylistOpensUnchangedAndEverySettingAndClipChangeMarksItButSelectionDoesNot) {
    OrvantaWindowController* wc = open("standard", QStringList(3, "clip-1s.mp4"));
    ASSERT_NE(wc, nullptr);
    OrvantaDocument* document = wc->datasource();
    QMainWindow* window = wc->window();
    PlaylistSettings* settings = document->settings();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Standard Playlist:  standard[*]"));
    EXPECT_FALSE(window->isWindowModified());
    ASSERT_EQ(document->changeCount(), 0);
    EXPECT_EQ(wc->infoTab()->currentIndex(), 1);
    EXPECT_TRUE(wc->isPreviewPlayback());
    EXPECT_TRUE(presenter.alerts.isEmpty());
    QAbstractItemModel* model = wc->clipsTable()->model();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->index(1, ClipTableModel::NameColumn).data().toString(), "standard-c1.mp4");
    EXPECT_EQ(model->index(1, ClipTableModel::DurationColumn).data().toString().left(8), "00:00:01");
    EXPECT_EQ(wc->clipsController()->selectionIndexes(), QList<int>{0});
    wc->clipsController()->setSelectionIndexes({2});
    EXPECT_EQ(document->changeCount(), 0);

    auto click = [window](const char* name) {
        return [=] { window->findChild<QAbstractButton*>(name)->click(); };
    };
    auto slide = [window](const char* name, int value) {
        return [=] { window->findChild<QSlider*>(name)->setValue(value); };
    };
    auto enter = [window](const char* name) {
        return [=] { window->findChild<QSpinBox*>(name)->setValue(640); };
    };
    const auto yes = TypedNumber::boolean(true);
    const struct {
        const char* key;
        std::function<void()> edit;
        TypedNumber value;
        bool displayEnabled, customEnabled; // the enabled states the two transformers give
    } edits[] = {
        {"autoplay", click("autoplay"), yes, false, false},
        {"closeOthersAtStartup", click("closeOthersAtStartup"), yes, false, false},
        {"closeWhenFinished", click("closeWhenFinished"), yes, false, false},
        {"muted", click("muted"), yes, false, false},
        {"looping", click("looping"), TypedNumber::integer(1), false, false},
        {"speed", slide("speed", 150), TypedNumber::float32(1.5f), false, false},
        {"speed", click("resetSpeed"), TypedNumber::float32(1.0f), false, false},
        {"volume", slide("volume", 40), TypedNumber::float32(0.4f), false, false},
        {"fullScreenType", click("fullScreenType1"), TypedNumber::integer(1), true, false},
        {"fullScreenType", click("fullScreenType2"), TypedNumber::integer(2), false, false},
        {"fullScreenType", click("fullScreenType3"), TypedNumber::integer(3), false, true},
        {"customFrameX", enter("customFrameX"), TypedNumber::integer(640), false, true},
        {"customFrameY", enter("customFrameY"), TypedNumber::integer(640), false, true},
        {"customFrameWidth", enter("customFrameWidth"), TypedNumber::integer(640), false, true},
        {"customFrameHeight", enter("customFrameHeight"), TypedNumber::integer(640), false, true},
    };
    // The selector and the pane show the same index, whichever is changed; the menu's pane commands
    // carry their pane as their tag.
    const auto paneItems = window->findChildren<QAction*>("switchSettingsPane");
    ASSERT_EQ(paneItems.size(), 2);
    paneItems[1]->trigger();
    EXPECT_EQ(wc->settingsSelector()->currentIndex(), 1);
    wc->settingsSelector()->setCurrentIndex(0); // the user picks a segment
    EXPECT_EQ(wc->settingsTab()->currentIndex(), 0);
    wc->switchSettingsPane(1);
    EXPECT_EQ(wc->settingsTab()->currentIndex(), 1);
    int expected = 0;
    for (const auto& e : edits) {
        SCOPED_TRACE(e.key);
        e.edit();
        EXPECT_EQ(document->changeCount(), ++expected);
        EXPECT_EQ(settings->value(e.key), e.value);
        EXPECT_EQ(wc->selectDisplayPopUp()->isEnabled(), e.displayEnabled);
        EXPECT_EQ(window->findChild<QWidget*>("customFrameFields")->isEnabled(), e.customEnabled);
    }
    EXPECT_EQ(window->findChild<QSlider*>("speed")->value(), 100); // after the reset
    // A change made elsewhere counts too, and the controls follow it; other keys are not observed.
    settings->setValue("autoplay", TypedNumber::boolean(false));
    settings->setValue("fullScreenType", TypedNumber::integer(4)); // no mode: neither part enabled
    EXPECT_EQ(document->changeCount(), expected += 2);
    EXPECT_FALSE(window->findChild<QCheckBox*>("autoplay")->isChecked());
    EXPECT_FALSE(wc->selectDisplayPopUp()->isEnabled() ||
                 window->findChild<QWidget*>("customFrameFields")->isEnabled());
    settings->setValue("someOtherKey", TypedNumber::integer(3));
    EXPECT_EQ(document->changeCount(), expected);

    wc->clipsController()->moveObjectsAtArrangedObjectIndexes({0}, 3);
    EXPECT_EQ(document->changeCount(), ++expected);
    EXPECT_TRUE(window->isWindowModified());
}

namespace {

QByteArray contentsOf(const QUrl& url) {
    QFile file(url.toLocalFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ImportJobTest : public PlaylistWindowTest {
protected:
    void SetUp() override {
        // A long run: many names of one small movie, each opened and probed.
        ASSERT_TRUE(QDir().mkpath(path("many")));
        const QString clip = testMediaPath(QStringLiteral("clip-0.5s.mp4"));
        for (int i = 0; i < 1500; ++i)
            ASSERT_TRUE(QFile::link(clip, path(QStringLiteral("many/clip%1.mp4").arg(i))));
    }

    // The playlist's window, active so that it takes the keys.
    OrvantaWindowController* openActive(const QString& name, const QStringList& clips) {
        OrvantaWindowController* wc = open(name, clips);
        if (!wc)
            return nullptr;
        QApplication::setActiveWindow(wc->window());
        EXPECT_TRUE(QTest::qWaitForWindowActive(wc->window()));
        return wc;
    }

    // Starts the long run; the test is worth nothing unless the run is still under way afterwards.
    bool startLongImport(OrvantaWindowController* wc) {
        wc->addClipsWithURLs({url("many")});
        return wc->isImporting() && QTest::qWaitFor([wc] { return wc->importCancelButton()->isVisible(); });
    }
};

TEST_F(ImportJobTest, CancelAndEscapeStopARunThatThenAddsNothingAndAWindowThatGoesLeavesItsPlaylistAsItWas) {
    OrvantaWindowController* wc = openActive("show", {"clip-1s.mp4", "clip-2s.mp4"});
    ASSERT_NE(wc, nullptr);
    OrvantaDocument* document = wc->datasource();
    const QList<ClipRecordPtr> clips = document->clips();
    const int changes = document->changeCount();
    const std::function<void()> cancels[] = {
        [wc] { QTest::keyClick(wc->window(), Qt::Key_Escape); },
        [wc] { QTest::mouseClick(wc->importCancelButton(), Qt::LeftButton); },
    };
    for (const auto& cancel : cancels) {
        ASSERT_TRUE(startLongImport(wc));
        // A long run shows its count once the walk has found every file, and the window keeps painting.
        WAIT_UNTIL(wc->importProgressText()->text().endsWith(QStringLiteral(" of 1500")), 10000);
        EXPECT_TRUE(wc->importSpinner()->isVisible());
        cancel();
        WAIT_UNTIL(!wc->isImporting(), 10000);
        EXPECT_EQ(document->clips(), clips);
        EXPECT_EQ(document->changeCount(), changes);
        EXPECT_FALSE(wc->importCancelButton()->isVisible());
        EXPECT_FALSE(wc->importSpinner()->isVisible());
    }
    EXPECT_TRUE(presenter.alerts.isEmpty());
    EXPECT_EQ(presenter.beeps, 0);

    // Other windows go during a long run, closed by the user or by their playlist (as the end of a show
    // closes it), which leaves their playlists as they were.
    for (const bool byWindow : {true, false}) {
        SCOPED_TRACE(byWindow ? "window closed" : "playlist closed");
        OrvantaWindowController* other = openActive(byWindow ? "window" : "playlist", {"clip-1s.mp4"});
        ASSERT_NE(other, nullptr);
        const QUrl file = other->document()->fileURL();
        const QByteArray before = contentsOf(file);
        const QPointer<OrvantaWindowController> window(other);
        std::optional<bool> importingAtClose;
        QObject::connect(other->document(), &Document::documentClosed, other,
                         [&] { importingAtClose = other->isImporting(); });
        ASSERT_TRUE(startLongImport(other));
        if (byWindow)
            other->window()->close();
        else
            other->document()->close();
        WAIT_UNTIL(!window, 20000);
        ASSERT_EQ(importingAtClose, std::optional<bool>(true)) << "the run ended before the window went";
        EXPECT_EQ(controller.documents().size(), 1); // only the first playlist is left
        EXPECT_EQ(contentsOf(file), before);
        EXPECT_TRUE(presenter.alerts.isEmpty());
    }

    // Escape cancelled only the runs: the first window takes the next one, which adds all 1,500 clips
    // in one step (last, so that their posters, still being decoded, slow none of the runs above).
    QTest::keyClick(wc->window(), Qt::Key_Escape);
    wc->addClipsWithURLs({url("many")});
    imported(wc);
    EXPECT_EQ(names(wc).size(), 2 + 1500);
    EXPECT_GT(document->changeCount(), changes);
    wc->validateUserInterfaceItems();
    QAction* undo = wc->window()->findChild<QAction*>("undo");
    EXPECT_EQ(undo->text(), "Undo Add 1500 Clips");
    ASSERT_TRUE(undo->isEnabled());
    undo->trigger();
    EXPECT_EQ(document->clips(), clips);
    EXPECT_EQ(wc->clipsTable()->model()->rowCount(), 2);
}

} // namespace
