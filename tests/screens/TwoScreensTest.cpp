// A desktop of two displays side by side: 1920×1080 at the origin (the main display) and 1280×1024 to
// its right. The display chooser, the output window's frame in each output mode, the identification of
// a chosen display, display changes, and where playing puts the output window.
#include "platform/TypedNumber.h"
#include "platform/notifications/NotificationCenter.h"
#include "playback/BorderlessWindow.h"
#include "playback/ClickableMovieView.h"
#include "screens/PlaylistWindowFixture.h"
#include "screens/ScreenLayout.h"
#include "support/Wait.h"
#include "window/DisplayIdentifierWindowController.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

QJsonArray screenLayout() {
    return {screenConfig("a-left", 0, 0, 1920, 1080), screenConfig("b-right", 1920, 0, 1280, 1024)};
}

namespace {

constexpr int Wait = 15000; // ms allowed for something to happen; never a measured time

const QRectF LeftFrame(0, 0, 1920, 1080);
const QRectF RightFrame(1920, 0, 1280, 1024);

void chooseMode(OrvantaWindowController* wc, int mode) {
    wc->fullscreenModeSelector()->button(mode)->click();
}

// The user picks an item of the display chooser.
void chooseDisplay(OrvantaWindowController* wc, int index) {
    QComboBox* popup = wc->selectDisplayPopUp();
    popup->setCurrentIndex(index);
    emit popup->activated(index);
}

class TwoScreensTest : public PlaylistWindowFixture {};

} // namespace

TEST_F(TwoScreensTest, TheApplicationSeesBothDisplays) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    EXPECT_EQ(QGuiApplication::primaryScreen(), screens[0]);
    EXPECT_EQ(screens[1]->geometry(), RightFrame.toRect());
}

TEST_F(TwoScreensTest, TheChooserListsTheMainDisplayASeparatorAndEachDisplay) {
    OrvantaWindowController* wc = open(QStringLiteral("chooser"));
    ASSERT_NE(wc, nullptr);
    QComboBox* popup = wc->selectDisplayPopUp();
    ASSERT_EQ(popup->count(), 4);
    struct Item {
        QString title;
        int tag;
        QString toolTip;
        QScreen* screen;
    } expected[] = {
        {"Main Display", 0, "width: 1920, height: 1080", QGuiApplication::primaryScreen()},
        {"Display 0", 0, "width: 1920, height: 1080", QGuiApplication::screens()[0]},
        {"Display 1", 1, "width: 1280, height: 1024", QGuiApplication::screens()[1]},
    };
    const int indexes[] = {0, 2, 3};
    for (int i = 0; i < 3; ++i) {
        const int index = indexes[i];
        EXPECT_EQ(popup->itemText(index), expected[i].title);
        EXPECT_EQ(popup->itemData(index, Qt::UserRole).toInt(), expected[i].tag);
        EXPECT_EQ(popup->itemData(index, Qt::ToolTipRole).toString(), expected[i].toolTip);
        EXPECT_EQ(wc->representedScreen(index), expected[i].screen);
    }
    EXPECT_EQ(popup->itemData(1, Qt::AccessibleDescriptionRole).toString(), QStringLiteral("separator"));
    EXPECT_EQ(wc->representedScreen(1), nullptr);
    EXPECT_EQ(popup->currentIndex(), 0);
}

TEST_F(TwoScreensTest, TheChooserServesOnlyTheSelectedDisplayModeAndTheFieldsOnlyTheCustomFrame) {
    OrvantaWindowController* wc = open(QStringLiteral("enabled"));
    ASSERT_NE(wc, nullptr);
    QWidget* fields = wc->window()->findChild<QWidget*>(QStringLiteral("customFrameFields"));
    ASSERT_NE(fields, nullptr);
    const struct {
        int mode;
        bool chooser, frameFields;
    } cases[] = {{0, false, false}, {1, true, false}, {2, false, false}, {3, false, true}};
    for (const auto& c : cases) {
        chooseMode(wc, c.mode);
        EXPECT_EQ(wc->datasource()->settings()->fullScreenType(), c.mode);
        EXPECT_EQ(wc->selectDisplayPopUp()->isEnabled(), c.chooser) << "mode " << c.mode;
        EXPECT_EQ(fields->isEnabled(), c.frameFields) << "mode " << c.mode;
    }
}

TEST_F(TwoScreensTest, EachOutputModePlacesTheOutputWindow) {
    OrvantaWindowController* wc = open(QStringLiteral("modes"));
    ASSERT_NE(wc, nullptr);
    BorderlessWindow* output = wc->outputWindow();
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(wc->fullscreenWindow(), output);
    EXPECT_TRUE(wc->isPreviewPlayback());

    // All displays: the bounding box of both.
    chooseMode(wc, 2);
    EXPECT_FALSE(wc->isPreviewPlayback());
    EXPECT_TRUE(sameFrame(output->frame(), QRectF(0, 0, 3200, 1080)));
    EXPECT_EQ(output->geometry(), QRect(0, 0, 3200, 1080));
    EXPECT_FALSE(output->isVisible()); // placing is not showing

    // The selected display: the chooser's second display, not the union.
    wc->selectDisplayPopUp()->setCurrentIndex(3);
    chooseMode(wc, 1);
    EXPECT_TRUE(sameFrame(output->frame(), RightFrame));
    EXPECT_EQ(output->geometry(), RightFrame.toRect());
    wc->selectDisplayPopUp()->setCurrentIndex(0);
    chooseMode(wc, 1);
    EXPECT_TRUE(sameFrame(output->frame(), LeftFrame));

    // The custom frame, with its default zeros first: a zero frame at the origin.
    chooseMode(wc, 3);
    EXPECT_TRUE(sameFrame(output->frame(), QRectF(0, 0, 0, 0)));
    wc->window()->findChild<QSpinBox*>(QStringLiteral("customFrameX"))->setValue(2000);
    wc->window()->findChild<QSpinBox*>(QStringLiteral("customFrameY"))->setValue(-50);
    wc->window()->findChild<QSpinBox*>(QStringLiteral("customFrameWidth"))->setValue(640);
    wc->window()->findChild<QSpinBox*>(QStringLiteral("customFrameHeight"))->setValue(360);
    EXPECT_TRUE(sameFrame(output->frame(), QRectF(2000, -50, 640, 360)));
    EXPECT_EQ(output->geometry(), QRect(2000, -50, 640, 360));
    EXPECT_EQ(wc->datasource()->settings()->customFrameY(), -50);

    // The window loads with the saved mode applied.
    OrvantaWindowController* saved = open(QStringLiteral("saved"), {}, [](PlaylistSettings& s) {
        s.setValue("fullScreenType", TypedNumber::integer(2));
    });
    ASSERT_NE(saved, nullptr);
    EXPECT_FALSE(saved->isPreviewPlayback());
    EXPECT_TRUE(sameFrame(saved->outputWindow()->frame(), QRectF(0, 0, 3200, 1080)));
}

TEST_F(TwoScreensTest, ThePreviewModeAndValuesOutOfRangeLeaveTheOutputWindowWhereItIs) {
    OrvantaWindowController* wc = open(QStringLiteral("range"));
    ASSERT_NE(wc, nullptr);
    BorderlessWindow* output = wc->outputWindow();
    wc->selectDisplayPopUp()->setCurrentIndex(3);
    chooseMode(wc, 1);
    ASSERT_TRUE(sameFrame(output->frame(), RightFrame));
    wc->setFullscreenFrame(QRectF(1, 2, 3, 4));

    for (qint32 mode : {4, -1}) {
        wc->datasource()->settings()->setValue("fullScreenType", TypedNumber::integer(mode));
        wc->handleFullscreenSelection();
        EXPECT_FALSE(wc->isPreviewPlayback()) << mode;
        EXPECT_TRUE(sameFrame(wc->fullscreenFrame(), QRectF(1, 2, 3, 4))) << mode;
        EXPECT_TRUE(sameFrame(output->frame(), RightFrame)) << mode;
        EXPECT_EQ(output->geometry(), RightFrame.toRect()) << mode;
    }

    chooseMode(wc, 0);
    EXPECT_TRUE(wc->isPreviewPlayback());
    EXPECT_TRUE(sameFrame(wc->fullscreenFrame(), QRectF()));
    EXPECT_TRUE(sameFrame(output->frame(), RightFrame));
    EXPECT_EQ(output->geometry(), RightFrame.toRect());
}

TEST_F(TwoScreensTest, ACustomValueEnteredInPreviewModeChoosesTheOutputWindow) {
    OrvantaWindowController* wc = open(QStringLiteral("custom"));
    ASSERT_NE(wc, nullptr);
    ASSERT_TRUE(wc->isPreviewPlayback());
    ASSERT_EQ(wc->datasource()->settings()->fullScreenType(), 0);
    wc->window()->findChild<QSpinBox*>(QStringLiteral("customFrameWidth"))->setValue(800);
    EXPECT_FALSE(wc->isPreviewPlayback());
    EXPECT_EQ(wc->datasource()->settings()->fullScreenType(), 0);
    EXPECT_TRUE(sameFrame(wc->outputWindow()->frame(), QRectF(0, 0, 800, 0)));
}

TEST_F(TwoScreensTest, ChoosingADisplayMovesTheOutputWindowAndTheDisplayIdentifiesItself) {
    OrvantaWindowController* wc = open(QStringLiteral("identify"));
    ASSERT_NE(wc, nullptr);
    EXPECT_EQ(wc->displayIdentifierController(), nullptr);
    const int beeps = presenter.beeps;

    // In preview mode too: the mode and the playback place stay as they are.
    chooseDisplay(wc, 3);
    EXPECT_TRUE(sameFrame(wc->outputWindow()->frame(), RightFrame));
    EXPECT_TRUE(wc->isPreviewPlayback());
    EXPECT_EQ(wc->datasource()->settings()->fullScreenType(), 0);

    DisplayIdentifierWindowController* identifier = wc->displayIdentifierController();
    ASSERT_NE(identifier, nullptr);
    QWidget* window = identifier->window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(identifier->displayNumberText()->text(), QStringLiteral("1"));
    EXPECT_EQ(identifier->displaySizeText()->text(), QStringLiteral("1280 by 1024"));
    // Centred on the right display: 1920 + 640 - 200, 512 - 120.
    EXPECT_EQ(window->size(), QSize(400, 240));
    EXPECT_EQ(window->pos(), QPoint(2360, 392));
    EXPECT_EQ(presenter.beeps, beeps + 1);
    QPropertyAnimation* fade = identifier->fadeAnimation();
    EXPECT_EQ(fade->state(), QAbstractAnimation::Running);
    EXPECT_EQ(fade->propertyName(), QByteArray("windowOpacity"));
    EXPECT_EQ(fade->duration(), 2000);
    EXPECT_EQ(fade->easingCurve().type(), QEasingCurve::Linear);

    // Choosing again while it fades: the same window, shown in full again, with a fresh fade.
    WAIT_UNTIL(fade->currentTime() >= 300 && window->windowOpacity() < 1.0, Wait);
    ASSERT_TRUE(window->isVisible());
    chooseDisplay(wc, 0);
    EXPECT_EQ(wc->displayIdentifierController(), identifier);
    EXPECT_EQ(fade->currentTime(), 0);
    EXPECT_EQ(window->windowOpacity(), 1.0);
    EXPECT_EQ(identifier->displayNumberText()->text(), QStringLiteral("0"));
    EXPECT_EQ(identifier->displaySizeText()->text(), QStringLiteral("1920 by 1080"));
    EXPECT_EQ(window->pos(), QPoint(760, 420));
    EXPECT_TRUE(sameFrame(wc->outputWindow()->frame(), LeftFrame));
    EXPECT_EQ(presenter.beeps, beeps + 2);

    // "Display 0" is number 0 as well; the fade ends with the window hidden.
    chooseDisplay(wc, 2);
    EXPECT_EQ(identifier->displayNumberText()->text(), QStringLiteral("0"));
    WAIT_UNTIL(!window->isVisible(), Wait);
    EXPECT_EQ(fade->state(), QAbstractAnimation::Stopped);
    EXPECT_EQ(presenter.beeps, beeps + 3);
}

TEST_F(TwoScreensTest, EveryDisplayChangeRebuildsEachOpenChooserOnce) {
    OrvantaWindowController* first = open(QStringLiteral("first"));
    OrvantaWindowController* second = open(QStringLiteral("second"));
    ASSERT_TRUE(first && second);
    NotificationCenter& center = NotificationCenter::defaultCenter();
    int notices = 0;
    const NotificationCenter::Token counting =
        center.addObserver(&notices, NotificationCenter::DisplayChangeNotice,
                           [&](const QString&, const QVariant&) { ++notices; });
    // A rebuild empties the list once, then fills it.
    QSignalSpy firstRebuilds(first->selectDisplayPopUp()->model(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy secondRebuilds(second->selectDisplayPopUp()->model(), &QAbstractItemModel::rowsRemoved);
    first->selectDisplayPopUp()->setCurrentIndex(3);

    // One change that the platform reports three times: through Qt's own signals, emitted here because
    // the offscreen platform changes its screens only through private interfaces.
    QScreen* right = QGuiApplication::screens()[1];
    emit right->geometryChanged(right->geometry());
    emit qGuiApp->screenRemoved(right);
    emit qGuiApp->screenAdded(right);
    EXPECT_EQ(notices, 3);
    EXPECT_EQ(firstRebuilds.count(), 3);
    EXPECT_EQ(secondRebuilds.count(), 3);
    // Each rebuild is the whole list again, with the main display chosen.
    EXPECT_EQ(first->selectDisplayPopUp()->count(), 4);
    EXPECT_EQ(first->selectDisplayPopUp()->currentIndex(), 0);
    // Announcing a screen again does not make its changes count twice.
    emit right->geometryChanged(right->geometry());
    EXPECT_EQ(notices, 4);

    // A closed window withdraws its subscription; the other goes on rebuilding.
    const int observers = center.observerCount(NotificationCenter::DisplayChangeNotice);
    second->datasource()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(center.observerCount(NotificationCenter::DisplayChangeNotice), observers - 1);
    emit right->geometryChanged(right->geometry());
    EXPECT_EQ(firstRebuilds.count(), 5);
    center.removeObserver(counting);
}

TEST_F(TwoScreensTest, PlayingGoesAboveThePanelsOnlyWhereTheOutputCoversTheMainDisplay) {
    OrvantaWindowController* wc = open(QStringLiteral("panels"), {"clip-2s.mp4"});
    ASSERT_NE(wc, nullptr);
    BorderlessWindow* output = wc->outputWindow();
    const struct {
        const char* name;
        int mode;
        int display;
        bool abovePanels, fullScreen, staysOnTop;
        QRect geometry;
    } cases[] = {
        {"the main display", 1, 0, true, true, false, LeftFrame.toRect()},
        {"the second display", 1, 3, false, false, false, RightFrame.toRect()},
        {"all displays", 2, 0, true, false, true, QRect(0, 0, 3200, 1080)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wc->selectDisplayPopUp()->setCurrentIndex(c.display);
        chooseMode(wc, c.mode);
        wc->play();
        EXPECT_TRUE(wc->isPlaying());
        EXPECT_TRUE(output->isVisible());
        EXPECT_EQ(output->isAbovePanels(), c.abovePanels);
        EXPECT_EQ(output->isFullScreen(), c.fullScreen);
        EXPECT_EQ(output->windowFlags().testFlag(Qt::WindowStaysOnTopHint), c.staysOnTop);
        WAIT_EQ(output->geometry(), c.geometry, Wait);
        EXPECT_EQ(output->screen(), QGuiApplication::screenAt(c.geometry.center()));
        EXPECT_EQ(output->focusWidget(), wc->fullscreenMovieView());
        EXPECT_TRUE(output->isCursorHidden());
        EXPECT_EQ(output->cursor().shape(), Qt::BlankCursor);

        // Pausing keeps the output in front, above the panels as it was.
        wc->pause();
        EXPECT_TRUE(output->isVisible());
        EXPECT_EQ(output->isAbovePanels(), c.abovePanels);

        wc->stop();
        EXPECT_FALSE(output->isVisible());
        EXPECT_FALSE(output->isAbovePanels());
        EXPECT_FALSE(output->isFullScreen());
        EXPECT_FALSE(output->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_NE(output->cursor().shape(), Qt::BlankCursor);
    }
}

TEST_F(TwoScreensTest, PlayingAZeroCustomFrameShowsNothingAndNeedsNoAlert) {
    OrvantaWindowController* wc = open(QStringLiteral("zero"), {"clip-2s.mp4"});
    ASSERT_NE(wc, nullptr);
    chooseMode(wc, 3);
    wc->play();
    EXPECT_TRUE(wc->isPlaying());
    EXPECT_FALSE(wc->outputWindow()->isVisible());
    EXPECT_FALSE(wc->outputWindow()->isAbovePanels());
    EXPECT_TRUE(presenter.alerts.isEmpty());
    wc->stop();
    EXPECT_FALSE(wc->isPlaying());
}

TEST_F(TwoScreensTest, ChoosingAnotherDisplayWhilePlayingFullscreenMovesTheOutputThere) {
    OrvantaWindowController* wc = open(QStringLiteral("move"), {"clip-2s.mp4"});
    ASSERT_NE(wc, nullptr);
    BorderlessWindow* output = wc->outputWindow();
    chooseMode(wc, 1); // the main display
    wc->play();
    ASSERT_TRUE(output->isFullScreen());
    // The fullscreen window stays where it is until it is shown again.
    chooseDisplay(wc, 3);
    EXPECT_TRUE(sameFrame(output->frame(), RightFrame));
    EXPECT_TRUE(output->isFullScreen());
    wc->play();
    EXPECT_FALSE(output->isFullScreen());
    EXPECT_FALSE(output->isAbovePanels());
    EXPECT_TRUE(output->isVisible());
    WAIT_EQ(output->geometry(), RightFrame.toRect(), Wait);
    wc->stop();
}
