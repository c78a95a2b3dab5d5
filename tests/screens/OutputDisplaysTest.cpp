// Two real monitors under X (run-xrandr: one Xvfb screen split by RandR 1.5 into LEFT, the main display,
// and RIGHT, with a window manager): through real playlist windows and players, the display chooser,
// the identification window, where each output mode puts the output window and moves it while it plays,
// the display a playlist remembers across a restart, and the output following RIGHT as it is unplugged
// and plugged back. The frames themselves are tested by tables in tests/unit/OutputFramesTest.cpp, the
// remembered display in the file by tests/unit/SelectedDisplayTest.cpp.
#include "platform/TypedNumber.h"
#include "platform/notifications/NotificationCenter.h"
#include "platform/ui/X11FullscreenMonitors.h"
#include "playback/BorderlessWindow.h"
#include "playback/ClickableMovieView.h"
#include "playback/DisplayIdentifierWindowController.h"
#include "support/PlaylistWindows.h"
#include "support/Wait.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSpinBox>

inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}

namespace {

const QRect LeftFrame(0, 0, 1600, 1024);
const QRect RightFrame(1600, 0, 960, 768);
const QRect BothFrame(0, 0, 2560, 1024);

// The user picks an output mode; values the control does not offer come in through the setting.
void chooseMode(OrvantaWindowController* wc, int mode) {
    if (QAbstractButton* button = wc->fullscreenModeSelector()->button(mode))
        return button->click();
    wc->datasource()->settings()->setValue("fullScreenType", TypedNumber::integer(mode));
    wc->handleFullscreenSelection();
}

// The user picks an item of the display chooser.
void chooseDisplay(OrvantaWindowController* wc, int row) {
    wc->selectDisplayPopUp()->setCurrentIndex(row);
    emit wc->selectDisplayPopUp()->activated(row);
}

// The chooser's row of the display of that name; 0, the main display, where there is none.
int rowOf(OrvantaWindowController* wc, const QString& name) {
    return wc->output()->displayChooser()->rowOf(SelectedDisplay{name, {}});
}

QString screenName(QWidget* window) {
    return window->screen() ? window->screen()->name() : QString();
}

// Unplugs RIGHT or plugs it back, as run-xrandr set it up.
bool setRightPlugged(bool plugged) {
    const QStringList arguments =
        plugged ? QStringList{"--setmonitor", "RIGHT", qEnvironmentVariable("ORVANTA_XRANDR_RIGHT"), "none"}
                : QStringList{"--delmonitor", "RIGHT"};
    return QProcess::execute("xrandr", arguments) == 0;
}

class OutputDisplaysTest : public PlaylistWindowTest {
protected:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("ORVANTA_XRANDR_RIGHT"))
            GTEST_SKIP() << "needs the two monitors of tests/screens/run-xrandr";
        ASSERT_EQ(QGuiApplication::screens().size(), 2);
    }
    void TearDown() override {
        PlaylistWindowTest::TearDown();
        // A test that failed while RIGHT was unplugged leaves it plugged for the next.
        if (QGuiApplication::screens().size() < 2)
            setRightPlugged(true);
    }
};

} // namespace

TEST_F(OutputDisplaysTest, TheChooserListsBothMonitorsAndAChosenOneIdentifiesItselfAndIsRemembered) {
    OrvantaWindowController* wc = open("identify");
    ASSERT_NE(wc, nullptr);
    OrvantaDocument* document = wc->datasource();
    QComboBox* popup = wc->selectDisplayPopUp();
    ASSERT_EQ(popup->count(), 4);
    EXPECT_EQ(popup->itemText(3), QStringLiteral("Display 1"));
    EXPECT_EQ(popup->itemData(3, Qt::ToolTipRole).toString(), QStringLiteral("width: 960, height: 768"));
    EXPECT_EQ(popup->itemData(1, Qt::AccessibleDescriptionRole).toString(), QStringLiteral("separator"));
    ASSERT_EQ(rowOf(wc, "RIGHT"), 3);
    EXPECT_EQ(popup->currentIndex(), 0);

    // In preview mode too: the output window moves, the mode and the playback place stay as they are.
    chooseDisplay(wc, 3);
    EXPECT_EQ(wc->outputWindow()->frame(), QRectF(RightFrame));
    EXPECT_TRUE(wc->isPreviewPlayback());
    EXPECT_EQ(document->settings()->fullScreenType(), 0);
    EXPECT_EQ(document->selectedDisplay(), (SelectedDisplay{"RIGHT", RightFrame}));
    EXPECT_TRUE(document->isDocumentEdited());
    DisplayIdentifierWindowController* identifier = wc->displayIdentifierController();
    ASSERT_NE(identifier, nullptr);
    QWidget* window = identifier->window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(identifier->displayNumberText()->text(), QStringLiteral("1"));
    EXPECT_EQ(identifier->displaySizeText()->text(), QStringLiteral("960 by 768"));
    WAIT_EQ(window->frameGeometry().center(), RightFrame.center(), PlayerWait);
    EXPECT_EQ(screenName(window), QStringLiteral("RIGHT"));
    EXPECT_EQ(presenter.beeps, 1);

    // Choosing again while it fades: the same window, shown in full again, with a fresh fade; the main
    // display is no display of its own to remember.
    QPropertyAnimation* fade = identifier->fadeAnimation();
    WAIT_UNTIL(fade->currentTime() >= 300 && window->windowOpacity() < 1.0, PlayerWait);
    chooseDisplay(wc, 0);
    EXPECT_EQ(wc->displayIdentifierController(), identifier);
    EXPECT_EQ(fade->state(), QAbstractAnimation::Running);
    EXPECT_LT(fade->currentTime(), 300);
    EXPECT_EQ(identifier->displayNumberText()->text(), QStringLiteral("0"));
    EXPECT_EQ(identifier->displaySizeText()->text(), QStringLiteral("1600 by 1024"));
    WAIT_EQ(window->frameGeometry().center(), LeftFrame.center(), PlayerWait);
    EXPECT_EQ(wc->outputWindow()->frame(), QRectF(LeftFrame));
    EXPECT_EQ(document->selectedDisplay(), std::nullopt);
    EXPECT_EQ(presenter.beeps, 2);

    // Modes leave a hidden output window hidden; the preview empties the fullscreen frame only.
    BorderlessWindow* output = wc->outputWindow();
    wc->setFullscreenFrame(QRectF(1, 2, 3, 4));
    popup->setCurrentIndex(3);
    chooseMode(wc, 1);
    EXPECT_EQ(output->frame(), QRectF(RightFrame));
    EXPECT_FALSE(output->isVisible());
    chooseMode(wc, 4);
    EXPECT_FALSE(wc->isPreviewPlayback());
    EXPECT_EQ(output->frame(), QRectF(RightFrame));
    chooseMode(wc, 0);
    EXPECT_TRUE(wc->isPreviewPlayback());
    EXPECT_EQ(wc->fullscreenFrame(), QRectF());

    // A custom value entered in the preview mode chooses the output window, at the custom frame.
    for (const auto& [key, value] : {std::pair{"customFrameX", 1700}, std::pair{"customFrameY", -50},
                                     std::pair{"customFrameWidth", 640}, std::pair{"customFrameHeight", 360}})
        wc->window()->findChild<QSpinBox*>(key)->setValue(value);
    EXPECT_FALSE(wc->isPreviewPlayback());
    EXPECT_EQ(document->settings()->fullScreenType(), 0);
    EXPECT_EQ(output->frame(), QRectF(1700, -50, 640, 360));
    WAIT_UNTIL(!window->isVisible(), PlayerWait); // the sign fades away
}

TEST_F(OutputDisplaysTest, EachModePlaysAtItsFrameAboveThePanelsAndMovesAtOnceWhileItPlays) {
    OrvantaWindowController* wc = open("modes", {"clip-2s.mp4"}, [](PlaylistSettings& s) {
        s.setValue("looping", TypedNumber::integer(1));
    });
    ASSERT_NE(wc, nullptr);
    BorderlessWindow* output = wc->outputWindow();
    // All displays: fullscreen across both where the window manager can span monitors (xfwm4), else a
    // window that stays on top (openbox).
    const bool spans = X11FullscreenMonitors::isSupported();
    EXPECT_EQ(spans, qEnvironmentVariable("ORVANTA_XRANDR_WM") == "xfwm4");
    const struct {
        const char* name;
        int mode, display;
        bool fullScreen, staysOnTop;
        QRect geometry;
        const char* screen;
    } cases[] = {
        {"the main display", 1, 0, true, false, LeftFrame, "LEFT"},
        {"the second display", 1, 3, true, false, RightFrame, "RIGHT"},
        {"all displays", 2, 0, spans, !spans, BothFrame, "LEFT"},
        {"a custom frame on the second display", 3, 0, false, false, QRect(1700, 100, 640, 360), "RIGHT"},
    };
    for (const auto& [key, value] : {std::pair{"customFrameX", 1700}, std::pair{"customFrameY", 100},
                                     std::pair{"customFrameWidth", 640}, std::pair{"customFrameHeight", 360}})
        wc->datasource()->settings()->setValue(key, TypedNumber::integer(value));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wc->selectDisplayPopUp()->setCurrentIndex(c.display);
        chooseMode(wc, c.mode);
        wc->play();
        EXPECT_TRUE(wc->isPlaying());
        EXPECT_TRUE(output->isVisible());
        EXPECT_EQ(output->isFullScreen(), c.fullScreen);
        EXPECT_EQ(output->windowFlags().testFlag(Qt::WindowStaysOnTopHint), c.staysOnTop);
        WAIT_EQ(output->geometry(), c.geometry, PlayerWait);
        EXPECT_EQ(screenName(output), QString(c.screen));
        EXPECT_EQ(output->focusWidget(), wc->fullscreenMovieView());
        wc->stop();
        EXPECT_FALSE(output->isVisible());
        EXPECT_FALSE(output->isFullScreen());
        EXPECT_FALSE(output->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    // While it plays, each choice moves the output window there at once, fullscreen where that is the
    // rule: another display, another mode, another custom frame.
    wc->selectDisplayPopUp()->setCurrentIndex(0);
    chooseMode(wc, 1);
    wc->play();
    WAIT_EQ(output->geometry(), LeftFrame, PlayerWait);
    chooseDisplay(wc, 3);
    WAIT_EQ(output->geometry(), RightFrame, PlayerWait);
    WAIT_UNTIL(output->isFullScreen(), PlayerWait);
    EXPECT_EQ(screenName(output), QStringLiteral("RIGHT"));
    chooseMode(wc, 2);
    WAIT_EQ(output->geometry(), BothFrame, PlayerWait);
    chooseMode(wc, 3);
    EXPECT_FALSE(output->isFullScreen());
    WAIT_EQ(output->geometry(), QRect(1700, 100, 640, 360), PlayerWait);
    wc->window()->findChild<QSpinBox*>("customFrameX")->setValue(100);
    WAIT_EQ(output->geometry(), QRect(100, 100, 640, 360), PlayerWait);
    EXPECT_EQ(screenName(output), QStringLiteral("LEFT"));
    EXPECT_TRUE(output->isVisible());
    EXPECT_TRUE(wc->isPlaying());
    wc->stop();
    EXPECT_TRUE(presenter.alerts.isEmpty());
}

TEST_F(OutputDisplaysTest, APlaylistPlaysOnItsDisplayAfterARestartAndFollowsItWhenUnpluggedAndBack) {
    OrvantaWindowController* wc = open("remember", {"clip-2s.mp4"}, [](PlaylistSettings& s) {
        s.setValue("looping", TypedNumber::integer(1));
        s.setValue("fullScreenType", TypedNumber::integer(1));
    });
    ASSERT_NE(wc, nullptr);
    OrvantaDocument* document = wc->datasource();
    const QUrl file = document->fileURL();
    document->setAutosaveDelay(10);
    chooseDisplay(wc, rowOf(wc, "RIGHT"));
    WAIT_UNTIL(!document->isDocumentEdited(), PlayerWait); // saved

    // A restart: the playlist closed and opened again chooses RIGHT and plays fullscreen exactly on it.
    ASSERT_TRUE(document->close());
    processDeferredDeletes();
    wc = openURL(file);
    ASSERT_NE(wc, nullptr);
    document = wc->datasource();
    QComboBox* popup = wc->selectDisplayPopUp();
    EXPECT_EQ(popup->currentIndex(), 3);
    wc->play();
    BorderlessWindow* output = wc->outputWindow();
    EXPECT_TRUE(output->isFullScreen());
    WAIT_EQ(output->geometry(), RightFrame, PlayerWait);
    EXPECT_EQ(screenName(output), QStringLiteral("RIGHT"));

    // Unplugged: the show goes on on the main display; the playlist keeps its choice unedited.
    ASSERT_TRUE(setRightPlugged(false));
    WAIT_EQ(popup->count(), 3, PlayerWait);
    WAIT_EQ(output->geometry(), LeftFrame, PlayerWait);
    EXPECT_EQ(popup->currentIndex(), 0);
    EXPECT_TRUE(output->isVisible());
    // The state as the window manager reports it, which passes through "normal" on the way.
    WAIT_UNTIL(output->isFullScreen(), PlayerWait);
    WAIT_EQ(screenName(output), QStringLiteral("LEFT"), PlayerWait);
    EXPECT_TRUE(wc->isPlaying());
    EXPECT_EQ(document->selectedDisplay(), (SelectedDisplay{"RIGHT", RightFrame}));
    EXPECT_FALSE(document->isDocumentEdited());

    // Plugged back: it returns to RIGHT, fullscreen there.
    ASSERT_TRUE(setRightPlugged(true));
    WAIT_EQ(popup->count(), 4, PlayerWait);
    EXPECT_EQ(popup->currentIndex(), 3);
    WAIT_EQ(output->geometry(), RightFrame, PlayerWait);
    WAIT_UNTIL(output->isFullScreen(), PlayerWait);
    WAIT_EQ(screenName(output), QStringLiteral("RIGHT"), PlayerWait);
    EXPECT_TRUE(wc->isPlaying());
    wc->stop();
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_TRUE(presenter.alerts.isEmpty());

    // The screen that came back is watched once: a change of it is one "displayChangeNotice".
    int notices = 0;
    NotificationCenter& center = NotificationCenter::defaultCenter();
    const NotificationCenter::Token counting =
        center.addObserver(&notices, NotificationCenter::DisplayChangeNotice,
                           [&](const QString&, const QVariant&) { ++notices; });
    QScreen* right = QGuiApplication::screens().value(1);
    ASSERT_EQ(right ? right->name() : QString(), QStringLiteral("RIGHT"));
    emit right->geometryChanged(right->geometry());
    EXPECT_EQ(notices, 1);
    center.removeObserver(counting);
}
