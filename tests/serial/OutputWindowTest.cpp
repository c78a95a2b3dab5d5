// The output window under X with a real player: placed at the custom frame, showing the same picture as
// the preview, keys in its view, a frame covering the screen to the end of the list, the preview mode
// taking it away, application activation bringing it back in front of the playlist window, and the
// identification of a display leaving the keyboard where it was. X here has one screen; several
// displays, and the output moving while it plays, are tested on two RandR monitors (tests/screens).
#include "platform/TypedNumber.h"
#include "platform/media/MpvPlayer.h"
#include "platform/ui/VideoView.h"
#include "playback/BorderlessWindow.h"
#include "playback/ClickableMovieView.h"
#include "playback/DisplayIdentifierWindowController.h"
#include "support/PlaylistWindows.h"
#include "support/Wait.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <QWindow>

namespace {

// The grey level the screen shows at a point, whichever window is there.
int screenGrey(QPoint point) {
    const QImage image =
        QGuiApplication::primaryScreen()->grabWindow(0, point.x(), point.y(), 1, 1).toImage();
    return image.isNull() ? -1 : qGray(image.pixel(0, 0));
}

// Stacking and activation are what an X server does; the offscreen platform activates every window shown.
bool stacksWindows() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

class OutputWindowTest : public PlaylistWindowTest {
protected:
    // A playlist in the custom-frame mode at the frame, its window at the top left.
    OrvantaWindowController* open(const QString& name, const QStringList& clips,
                                  QRect frame = QRect(1200, 100, 640, 360), const SettingsSetup& more = {}) {
        OrvantaWindowController* wc = PlaylistWindowTest::open(name, clips, [&](PlaylistSettings& s) {
            s.setValue("fullScreenType", TypedNumber::integer(3));
            s.setValue("customFrameX", TypedNumber::integer(frame.x()));
            s.setValue("customFrameY", TypedNumber::integer(frame.y()));
            s.setValue("customFrameWidth", TypedNumber::integer(frame.width()));
            s.setValue("customFrameHeight", TypedNumber::integer(frame.height()));
            if (more)
                more(s);
        });
        if (wc)
            wc->window()->move(0, 0);
        return wc;
    }
};

} // namespace

TEST_F(OutputWindowTest, PlaysAtTheCustomFrameShowingWhatThePreviewShowsAndEscapeTakesItAway) {
    const QRect frame(1200, 100, 640, 360);
    OrvantaWindowController* wc = open(QStringLiteral("frame"), {"frames-2s.mp4"}, frame);
    ASSERT_TRUE(wc && wc->player());
    BorderlessWindow* output = wc->outputWindow();
    ASSERT_NE(output, nullptr);
    wc->play();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(output));
    WAIT_EQ(output->windowHandle()->geometry(), frame, PlayerWait);
    EXPECT_FALSE(output->isAbovePanels()); // it covers part of the screen only
    EXPECT_EQ(output->focusWidget(), wc->fullscreenMovieView());
    EXPECT_EQ(wc->fullscreenMovieView()->movie(), wc->currentMovie());

    // Frame 25 (grey 125) in the output view, and on the screen inside the frame.
    wc->pause();
    EXPECT_TRUE(output->isVisible());
    wc->scrub(0.5f);
    QWidget* outputView = wc->fullscreenMovieView()->videoView();
    ASSERT_NE(outputView, nullptr);
    expectGrey(outputView, outputView->rect().center(), 125);
    EXPECT_TRUE(QTest::qWaitFor([&] { return nearGrey(screenGrey(frame.center()), 125); }, PlayerWait))
        << "the screen shows " << screenGrey(frame.center());

    // The cursor hidden by play comes back when the mouse moves.
    EXPECT_TRUE(output->isCursorHidden());
    QTest::mouseMove(output->windowHandle(), QPoint(40, 30));
    WAIT_UNTIL(!output->isCursorHidden(), PlayerWait);

    // Choosing the preview mode while it plays takes the output window away; playing goes on in the
    // preview, which takes the keyboard.
    wc->play();
    wc->fullscreenModeSelector()->button(0)->click();
    EXPECT_FALSE(output->isVisible());
    EXPECT_TRUE(wc->isPlaying());
    EXPECT_EQ(wc->window()->focusWidget(), wc->previewMovieView());

    // Back in the custom frame, Escape in the output view stops, rewinds and takes the window away.
    wc->fullscreenModeSelector()->button(3)->click();
    wc->play();
    ASSERT_TRUE(output->isVisible() && output->focusWidget());
    QTest::keyClick(output->focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(wc->isPlaying());
    EXPECT_FALSE(output->isVisible());
    if (stacksWindows())
        WAIT_EQ(QApplication::activeWindow(), wc->window(), PlayerWait); // back with the keyboard
    WAIT_EQ(wc->player()->position(), 0.0, PlayerWait);

    // A frame covering the screen goes fullscreen above the panels until the end of the last clip, which
    // takes the window away with the panels back over the screen.
    const QRect whole = QGuiApplication::primaryScreen()->geometry();
    for (const auto& [key, value] :
         {std::pair{"customFrameX", whole.x()}, std::pair{"customFrameY", whole.y()},
          std::pair{"customFrameWidth", whole.width()}, std::pair{"customFrameHeight", whole.height()}})
        wc->window()->findChild<QSpinBox*>(key)->setValue(value);
    wc->play();
    EXPECT_TRUE(output->isAbovePanels());
    EXPECT_TRUE(output->isFullScreen());
    WAIT_EQ(output->windowHandle()->geometry(), whole, PlayerWait);
    WAIT_UNTIL(!wc->isPlaying(), PlayerWait);
    EXPECT_FALSE(output->isVisible());
    EXPECT_FALSE(output->isAbovePanels());
    EXPECT_FALSE(output->isFullScreen());
}

TEST_F(OutputWindowTest,
       ActivationWhileOutputPlaybackRunsBringsTheOutputWindowToTheFrontAndADisplayIsIdentified) {
    if (!stacksWindows())
        GTEST_SKIP() << "no window stacking on " << QGuiApplication::platformName().toStdString();
    // Over the playlist window, so the two compete for the same place; a looping single clip plays on.
    const QRect frame(600, 300, 640, 360);
    OrvantaWindowController* wc =
        open(QStringLiteral("activation"), {"clip-2s.mp4"}, frame,
             [](PlaylistSettings& s) { s.setValue("looping", TypedNumber::integer(1)); });
    ASSERT_TRUE(wc && wc->player());
    BorderlessWindow* output = wc->outputWindow();
    const QPoint overlap(700, 400);
    ASSERT_TRUE(wc->window()->frameGeometry().contains(overlap));

    wc->play();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(output));
    WAIT_EQ(QApplication::topLevelAt(overlap), output, PlayerWait);
    // Pausing keeps it in front.
    wc->pause();
    EXPECT_TRUE(output->isVisible());
    EXPECT_EQ(QApplication::topLevelAt(overlap), output);
    wc->play();

    // The user brings the playlist window up; the application then becomes active again.
    wc->window()->raise();
    WAIT_EQ(QApplication::topLevelAt(overlap), wc->window(), PlayerWait);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    WAIT_EQ(QApplication::topLevelAt(overlap), output, PlayerWait);
    EXPECT_TRUE(wc->isPlaying());

    // Without output playback, activation leaves the windows as they are.
    wc->pause();
    wc->window()->raise();
    WAIT_EQ(QApplication::topLevelAt(overlap), wc->window(), PlayerWait);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::topLevelAt(overlap), wc->window());

    // A chosen display is identified without taking the keyboard (where, and its fade: tests/screens).
    wc->stop();
    wc->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wc->window()));
    wc->selectDisplayPopUp()->setCurrentIndex(2); // "Display 0"
    emit wc->selectDisplayPopUp()->activated(2);
    ASSERT_NE(wc->displayIdentifierController(), nullptr);
    QWidget* window = wc->displayIdentifierController()->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), wc->window());
    EXPECT_FALSE(window->isActiveWindow());
}

// An empty playlist played in an output mode puts up an output window with no movie in it: Escape and
// a click still take it away. Closing the window from the window manager is a stop.
TEST_F(OutputWindowTest, AnEmptyOutputWindowIsTakenAwayByEscapeOrAClickAndClosingItStops) {
    OrvantaWindowController* wc = open(QStringLiteral("empty"), {});
    ASSERT_TRUE(wc);
    const std::function<void(QWidget*)> inputs[] = {[](QWidget* v) { QTest::keyClick(v, Qt::Key_Escape); },
                                                    [](QWidget* v) { QTest::mouseClick(v, Qt::LeftButton); },
                                                    [](QWidget* v) { v->window()->close(); }};
    for (const auto& input : inputs) {
        wc->play();
        BorderlessWindow* output = wc->outputWindow();
        ASSERT_TRUE(output && output->isVisible());
        ASSERT_EQ(wc->fullscreenMovieView()->movie(), nullptr);
        QTest::mouseClick(wc->fullscreenMovieView(), Qt::RightButton); // not the primary button
        EXPECT_TRUE(output->isVisible());
        input(wc->fullscreenMovieView());
        EXPECT_FALSE(output->isVisible());
    }

    // A playing output closed by the window manager: playback stops rather than going on unseen.
    OrvantaWindowController* playing = open(QStringLiteral("closed"), {"clip-2s.mp4"});
    ASSERT_TRUE(playing && playing->player());
    playing->play();
    ASSERT_TRUE(playing->outputWindow()->isVisible());
    playing->outputWindow()->close();
    EXPECT_FALSE(playing->isPlaying());
    EXPECT_FALSE(playing->outputWindow()->isVisible());
}

// An autoplaying show puts its first picture up before its playlist window, which follows behind the
// output; a stop before any picture shows the window at once. One that plays in its preview shows its
// window at once.
TEST_F(OutputWindowTest, AnAutoplayingShowPutsItsPictureUpBeforeItsPlaylistWindow) {
    const auto autoplay = [](int mode) {
        return [mode](PlaylistSettings& s) {
            s.setValue("autoplay", TypedNumber::boolean(true));
            s.setValue("fullScreenType", TypedNumber::integer(mode));
            s.setValue("customFrameX", TypedNumber::integer(600));
            s.setValue("customFrameWidth", TypedNumber::integer(320));
            s.setValue("customFrameHeight", TypedNumber::integer(240));
        };
    };
    const auto openShow = [&](const QString& name, int mode) {
        DocumentError error;
        OrvantaWindowController* wc = windowControllerOf(controller.openDocumentWithContentsOfURL(
            writeTestPlaylist(dir.path(), name, {"clip-2s.mp4"}, autoplay(mode)), true, &error));
        EXPECT_TRUE(wc && wc->player() && wc->isPlaying()) << error.localizedDescription.toStdString();
        return wc && wc->player() ? wc : nullptr;
    };

    OrvantaWindowController* show = openShow(QStringLiteral("show"), 3);
    ASSERT_TRUE(show);
    EXPECT_TRUE(show->outputWindow()->isVisible());
    EXPECT_FALSE(show->window()->isVisible());
    int pictures = 0;
    bool windowAtFirstPicture = true;
    QObject::connect(qobject_cast<VideoView*>(show->fullscreenMovieView()->videoView()),
                     &VideoView::picturePainted, show, [&] {
                         if (pictures++ == 0)
                             windowAtFirstPicture = show->window()->isVisible();
                     });
    WAIT_UNTIL(show->window()->isVisible(), PlayerWait);
    EXPECT_GT(pictures, 0);
    EXPECT_FALSE(windowAtFirstPicture);
    EXPECT_TRUE(show->isPlaying());
    EXPECT_TRUE(show->outputWindow()->isVisible());

    OrvantaWindowController* stopped = openShow(QStringLiteral("stopped"), 3);
    ASSERT_TRUE(stopped);
    EXPECT_FALSE(stopped->window()->isVisible());
    stopped->stop();
    EXPECT_TRUE(stopped->window()->isVisible());
    OrvantaWindowController* again = openShow(QStringLiteral("again"), 3);
    ASSERT_TRUE(again);
    again->showWindow(); // the playlist opened once more while its window waits
    EXPECT_TRUE(again->window()->isVisible());

    OrvantaWindowController* preview = openShow(QStringLiteral("preview"), 0);
    ASSERT_TRUE(preview);
    EXPECT_TRUE(preview->window()->isVisible());
}
