// Two displays side by side (main.cpp): 1920×1080 at the origin, the main display, and 1280×1024 to its
// right. Through real playlist windows: the display chooser, the output window's frame in each output
// mode, the identification of a chosen display, display changes, and where playing puts the output
// window. The decisions themselves are tested by tables in tests/unit/OutputFramesTest.cpp.
#include "platform/TypedNumber.h"
#include "platform/notifications/NotificationCenter.h"
#include "playback/BorderlessWindow.h"
#include "playback/ClickableMovieView.h"
#include "playback/DisplayIdentifierWindowController.h"
#include "support/PlaylistWindows.h"
#include "support/Wait.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>

namespace {

const QRectF LeftFrame(0, 0, 1920, 1080);
const QRectF RightFrame(1920, 0, 1280, 1024);
const QRectF BothFrame(0, 0, 3200, 1080);

// QRectF's == forgives small differences; frames must match exactly.
bool sameFrame(const QRectF& a, const QRectF& b) {
    return a.x() == b.x() && a.y() == b.y() && a.width() == b.width() && a.height() == b.height();
}

// The user picks an output mode; values the control does not offer come in through the setting.
void chooseMode(OrvantaWindowController* wc, int mode) {
    if (QAbstractButton* button = wc->fullscreenModeSelector()->button(mode))
        return button->click();
    wc->datasource()->settings()->setValue("fullScreenType", TypedNumber::integer(mode));
    wc->handleFullscreenSelection();
}

// The user picks an item of the display chooser.
void chooseDisplay(OrvantaWindowController* wc, int index) {
    wc->selectDisplayPopUp()->setCurrentIndex(index);
    emit wc->selectDisplayPopUp()->activated(index);
}

using TwoScreensTest = PlaylistWindowTest;

} // namespace

// Where each mode puts the window on play: PlayingGoesAboveThePanels...; the frames: OutputFramesTest.
TEST_F(TwoScreensTest,
       ChoosingADisplayMovesTheOutputWindowWhichOtherModesLeaveAndEveryDisplayChangeRebuildsTheChoosers) {
    OrvantaWindowController* wc = open("identify");
    ASSERT_NE(wc, nullptr);
    EXPECT_EQ(wc->displayIdentifierController(), nullptr);
    // The chooser: the main display, a separator, then each display (the rows: DisplayChooserTest).
    QComboBox* popup = wc->selectDisplayPopUp();
    ASSERT_EQ(popup->count(), 4);
    EXPECT_EQ(popup->itemText(3), QStringLiteral("Display 1"));
    EXPECT_EQ(popup->itemData(3, Qt::ToolTipRole).toString(), QStringLiteral("width: 1280, height: 1024"));
    EXPECT_EQ(popup->itemData(1, Qt::AccessibleDescriptionRole).toString(), QStringLiteral("separator"));

    // In preview mode too: the mode and the playback place stay as they are.
    chooseDisplay(wc, 3);
    EXPECT_TRUE(sameFrame(wc->outputWindow()->frame(), RightFrame));
    EXPECT_TRUE(wc->isPreviewPlayback());
    EXPECT_EQ(wc->datasource()->settings()->fullScreenType(), 0);
    DisplayIdentifierWindowController* identifier = wc->displayIdentifierController();
    ASSERT_NE(identifier, nullptr);
    QWidget* window = identifier->window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(identifier->displayNumberText()->text(), QStringLiteral("1"));
    EXPECT_EQ(identifier->displaySizeText()->text(), QStringLiteral("1280 by 1024"));
    EXPECT_EQ(window->frameGeometry().center(), RightFrame.toRect().center());
    EXPECT_EQ(presenter.beeps, 1);

    // Choosing again while it fades: the same window, shown in full again, with a fresh fade.
    QPropertyAnimation* fade = identifier->fadeAnimation();
    WAIT_UNTIL(fade->currentTime() >= 300 && window->windowOpacity() < 1.0, PlayerWait);
    chooseDisplay(wc, 0);
    EXPECT_EQ(wc->displayIdentifierController(), identifier);
    EXPECT_EQ(fade->currentTime(), 0);
    EXPECT_EQ(fade->state(), QAbstractAnimation::Running);
    EXPECT_EQ(window->windowOpacity(), 1.0);
    EXPECT_EQ(identifier->displayNumberText()->text(), QStringLiteral("0"));
    EXPECT_EQ(identifier->displaySizeText()->text(), QStringLiteral("1920 by 1080"));
    EXPECT_EQ(window->frameGeometry().center(), LeftFrame.toRect().center());
    EXPECT_TRUE(sameFrame(wc->outputWindow()->frame(), LeftFrame));
    EXPECT_EQ(presenter.beeps, 2);

    // Other modes leave the output window where it is; the preview empties the fullscreen frame only.
    BorderlessWindow* output = wc->outputWindow();
    wc->setFullscreenFrame(QRectF(1, 2, 3, 4));
    wc->selectDisplayPopUp()->setCurrentIndex(3);
    chooseMode(wc, 1);
    EXPECT_TRUE(sameFrame(output->frame(), RightFrame));
    EXPECT_FALSE(output->isVisible()); // placing is not showing
    chooseMode(wc, 4);
    EXPECT_FALSE(wc->isPreviewPlayback());
    EXPECT_TRUE(sameFrame(output->frame(), RightFrame));
    EXPECT_TRUE(sameFrame(wc->fullscreenFrame(), QRectF(1, 2, 3, 4)));
    chooseMode(wc, 0);
    EXPECT_TRUE(wc->isPreviewPlayback());
    EXPECT_TRUE(sameFrame(output->frame(), RightFrame));
    EXPECT_TRUE(sameFrame(wc->fullscreenFrame(), QRectF()));

    // A custom value entered in the preview mode chooses the output window, at the custom frame.
    for (const auto& [key, value] : {std::pair{"customFrameX", 2000}, std::pair{"customFrameY", -50},
                                     std::pair{"customFrameWidth", 640}, std::pair{"customFrameHeight", 360}})
        wc->window()->findChild<QSpinBox*>(key)->setValue(value);
    EXPECT_FALSE(wc->isPreviewPlayback());
    EXPECT_EQ(wc->datasource()->settings()->fullScreenType(), 0);
    EXPECT_EQ(output->geometry(), QRect(2000, -50, 640, 360));

    // Every display change rebuilds each open chooser once.
    OrvantaWindowController* second = open("second");
    ASSERT_NE(second, nullptr);
    int notices = 0;
    NotificationCenter& center = NotificationCenter::defaultCenter();
    const NotificationCenter::Token counting =
        center.addObserver(&notices, NotificationCenter::DisplayChangeNotice,
                           [&](const QString&, const QVariant&) { ++notices; });
    QSignalSpy firstRebuilds(wc->selectDisplayPopUp()->model(), &QAbstractItemModel::modelReset);
    QSignalSpy secondRebuilds(second->selectDisplayPopUp()->model(), &QAbstractItemModel::modelReset);
    wc->selectDisplayPopUp()->setCurrentIndex(3);

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
    EXPECT_EQ(wc->selectDisplayPopUp()->count(), 4);
    EXPECT_EQ(wc->selectDisplayPopUp()->currentIndex(), 0);
    // Announcing a screen again does not make its changes count twice.
    emit right->geometryChanged(right->geometry());
    EXPECT_EQ(notices, 4);
    center.removeObserver(counting);
}

TEST_F(TwoScreensTest, PlayingGoesAboveThePanelsWhereTheOutputIsADisplayOrCoversTheMainOne) {
    OrvantaWindowController* wc = open("panels", {"clip-2s.mp4"});
    ASSERT_NE(wc, nullptr);
    BorderlessWindow* output = wc->outputWindow();
    const struct {
        const char* name;
        int mode, display;
        bool visible, abovePanels, fullScreen, staysOnTop;
        QRect geometry;
    } cases[] = {
        {"the main display", 1, 0, true, true, true, false, LeftFrame.toRect()},
        {"the second display", 1, 3, true, true, true, false, RightFrame.toRect()},
        {"all displays", 2, 0, true, true, false, true, BothFrame.toRect()},
        {"a zero custom frame shows nothing", 3, 0, false, false, false, false, QRect()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wc->selectDisplayPopUp()->setCurrentIndex(c.display);
        chooseMode(wc, c.mode);
        wc->play();
        EXPECT_TRUE(wc->isPlaying());
        EXPECT_EQ(output->isVisible(), c.visible);
        EXPECT_EQ(output->isAbovePanels(), c.abovePanels);
        EXPECT_EQ(output->isFullScreen(), c.fullScreen);
        EXPECT_EQ(output->windowFlags().testFlag(Qt::WindowStaysOnTopHint), c.staysOnTop);
        if (c.visible) {
            WAIT_EQ(output->geometry(), c.geometry, PlayerWait);
            EXPECT_EQ(output->screen(), QGuiApplication::screenAt(c.geometry.center()));
            EXPECT_EQ(output->focusWidget(), wc->fullscreenMovieView());
            EXPECT_EQ(output->cursor().shape(), Qt::BlankCursor);
        }
        // Pausing keeps the output in front, above the panels as it was.
        wc->pause();
        EXPECT_EQ(output->isVisible(), c.visible);
        EXPECT_EQ(output->isAbovePanels(), c.abovePanels);

        wc->stop();
        EXPECT_FALSE(output->isVisible());
        EXPECT_FALSE(output->isAbovePanels());
        EXPECT_FALSE(output->isFullScreen());
        EXPECT_FALSE(output->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_NE(output->cursor().shape(), Qt::BlankCursor);
    }
    EXPECT_TRUE(presenter.alerts.isEmpty());

    // Stopped after a change to the preview mode: the panels come back over the output all the same.
    chooseMode(wc, 1);
    wc->play();
    chooseMode(wc, 0);
    wc->stop();
    EXPECT_FALSE(output->isAbovePanels());
    EXPECT_FALSE(output->isFullScreen());

    // Another display chosen while playing fullscreen: the window moves there at once, fullscreen there.
    chooseMode(wc, 1);
    wc->play();
    ASSERT_TRUE(output->isFullScreen());
    chooseDisplay(wc, 3);
    EXPECT_TRUE(output->isFullScreen());
    EXPECT_TRUE(output->isVisible());
    WAIT_EQ(output->geometry(), RightFrame.toRect(), PlayerWait);
    wc->stop();
}
