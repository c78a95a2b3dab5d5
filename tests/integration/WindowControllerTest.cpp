// The playlist window with real widgets and real movies: start-up, change tracking, validation, the
// settings panes, removal, closing the other playlists and tear-down. Import runs: WindowImportTest.cpp.
#include "platform/TypedNumber.h"
#include "platform/notifications/NotificationCenter.h"
#include "support/PlaylistWindows.h"
#include "support/Wait.h"
#include "window/ClipTableModel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
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

TEST_F(WindowTest, PostersArePaintedInTheTable) {
    OrvantaWindowController* wc = openUntitled();
    wc->addClipsWithURLs({media("clip-2s.mp4", "posters/a.mp4"), media("clip-0.5s.mp4", "posters/b.mp4")});
    imported(wc);
    // The posters are decoded after the rows are placed.
    WAIT_UNTIL(wc->datasource()->clips()[0]->posterImage.kind == PosterImage::Kind::Frame, 5000);
    QTableView* table = wc->clipsTable();
    wc->clipsController()->setSelectionIndexes({});
    EXPECT_TRUE(QTest::qWaitForWindowExposed(wc->window()));
    const QImage shot = table->viewport()->grab().toImage();
    auto distinctColours = [&](int row) {
        const QRect cell = table->visualRect(table->model()->index(row, ClipTableModel::PosterColumn));
        QSet<QRgb> colours;
        for (int y = cell.top() + 6; y < cell.bottom() - 6; y += 2)
            for (int x = cell.left() + 8; x < cell.right() - 8; x += 2)
                colours.insert(shot.pixel(x, y));
        return colours.size();
    };
    // A frame of the test pattern is colourful; the missing-item picture is a picture too.
    EXPECT_GT(distinctColours(0), 20);
    EXPECT_GT(distinctColours(1), 3);
    EXPECT_EQ(wc->datasource()->clips()[1]->posterImage.kind, PosterImage::Kind::MissingItem);
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
    EXPECT_FALSE(wc->isPlaying());
    EXPECT_TRUE(presenter.alerts.isEmpty());
    QAbstractItemModel* model = wc->clipsTable()->model();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->index(1, ClipTableModel::NameColumn).data().toString(), "standard-c1.mp4");
    EXPECT_EQ(model->index(1, ClipTableModel::DurationColumn).data().toString().left(8), "00:00:01");
    EXPECT_EQ(wc->totalTimeText()->text().left(19), QStringLiteral("Total Time:  0:00:0"));
    EXPECT_EQ(wc->clipsController()->selectionIndexes(), QList<int>{0});
    EXPECT_EQ(wc->timeDisplay()->text(), QStringLiteral("00:00:00.000"));
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

TEST_F(WindowTest, MenuAndToolbarItemsAreEnabledPerPlaylistKind) {
    media("clip-1s.mp4", "dyn/a.mp4");
    media("clip-1s.mp4", "dyn/b.mp4");
    OrvantaWindowController* standard = open("s");
    OrvantaWindowController* dynamic = openDynamic("d", "dyn");
    // A dynamic playlist's table removes nothing, by key either, and offers no row action.
    dynamic->clipsController()->setSelectionIndexes({0, 1});
    QTest::keyClick(dynamic->clipsTable(), Qt::Key_Backspace);
    EXPECT_EQ(presenter.beeps, 1);
    EXPECT_EQ(names(dynamic), (QStringList{"a.mp4", "b.mp4"}));
    EXPECT_TRUE(dynamic->tableViewRowActionsForRow(0, OrvantaWindowController::TrailingEdge).isEmpty());
    // Menu items by their action, toolbar items by their tag, and the window's own items: whether the
    // standard and the dynamic playlist's windows take each.
    const struct {
        QString action;
        QVariant tag;
        bool standard, dynamic;
    } items[] = {
        {"addNewClips", {}, true, false},
        {"removeClips", {}, true, false},
        {"setSourceFolder", {}, false, true},
        {"switchSettingsPane", {}, true, true},
        {"anythingElse", {}, true, true},
        {{}, 0, true, false},
        {{}, 1, false, true},
        {{}, 2, false, false},
        {{}, -1, false, false},
        {{}, {}, false, false},
    };
    // Asked anyway, a standard playlist keeps its clips and beeps.
    const QStringList kept = names(standard);
    standard->setSourceFolder();
    EXPECT_EQ(presenter.beeps, 2);
    EXPECT_EQ(names(standard), kept);
    QAction item;
    for (const auto& i : items) {
        SCOPED_TRACE(i.action.isEmpty() ? i.tag.toString().toStdString() : i.action.toStdString());
        item.setObjectName(i.action);
        item.setData(i.tag);
        for (const auto& [wc, takes] : {std::pair(standard, i.standard), std::pair(dynamic, i.dynamic)})
            EXPECT_EQ(i.action.isEmpty() ? wc->validateToolbarItem(&item) : wc->validateMenuItem(&item),
                      takes);
    }
    const struct {
        const char* name;
        bool standard, dynamic;
    } own[] = {{"addNewClipsItem", true, false},
               {"removeClipsItem", true, false},
               {"setSourceFolderItem", false, true},
               {"addNewClips", true, false},
               {"removeClips", true, false}};
    for (const auto& o : own) {
        EXPECT_EQ(standard->window()->findChild<QAction*>(o.name)->isEnabled(), o.standard) << o.name;
        EXPECT_EQ(dynamic->window()->findChild<QAction*>(o.name)->isEnabled(), o.dynamic) << o.name;
    }
}
