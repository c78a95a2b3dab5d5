// What the video views show of a real player, and the player's switch to a clip still loading.
#include "platform/ui/VideoView.h"
#include "platform/media/Movie.h"
#include "platform/media/MpvPlayer.h"
#include "platform/ui/Letterbox.h"
#include "platform/ui/VideoOutput.h"
#include "support/PlaylistWindows.h"
#include "support/Wait.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int Patience = 20000; // ms

// Frame n of frames-2s.mp4 is grey 5n, of frames-2s-b.mp4 grey 250 - 5n.
class VideoViewTest : public ::testing::Test {
protected:
    void makePlayer(VideoOutput::Kind kind) {
        MpvPlayer::CreateResult created = MpvPlayer::create({/*renderApi=*/true, /*audioOutput=*/false});
        ASSERT_TRUE(created) << created.error.toStdString();
        m_player = std::move(created.player);
        VideoOutput::AttachResult attached = VideoOutput::attach(*m_player, kind);
        ASSERT_TRUE(attached) << attached.error.toStdString();
    }

    // Whether OpenGL views can be tested here; under X (xvfb-run) a missing context is a failure.
    static bool hasOpenGL() {
        if (VideoOutput::detect() == VideoOutput::Kind::OpenGL)
            return true;
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            ADD_FAILURE() << "no OpenGL context under X";
        return false;
    }

    void show(QWidget& view, QSize size) {
        view.resize(size);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    void attachAndWait(const std::shared_ptr<Movie>& movie) {
        QSignalSpy ready(m_player.get(), &MpvPlayer::movieReady);
        m_player->attach(movie);
        ASSERT_TRUE(QTest::qWaitFor([&] { return ready.count() > 0; }, Patience));
    }

    // Views are destroyed before the player in each test (declared after it), and the player before
    // the application object.
    std::unique_ptr<MpvPlayer> m_player;
};

} // namespace

TEST(LetterboxTest, FitsTheContentCentredWithItsProportions) {
    struct Case {
        QSize content, area;
        QRect expected;
    } cases[] = {
        {{320, 240}, {320, 240}, {0, 0, 320, 240}},   // same size
        {{320, 240}, {480, 240}, {80, 0, 320, 240}},  // bars left and right
        {{320, 240}, {320, 480}, {0, 120, 320, 240}}, // bars above and below
        {{1920, 1080}, {640, 480}, {0, 60, 640, 360}},
        {{320, 240}, {160, 120}, {0, 0, 160, 120}}, // scaled down
        {{0, 0}, {320, 240}, {}},                   // nothing to show
        {{320, 240}, {0, 0}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(letterboxRect(c.content, c.area), c.expected)
            << c.content.width() << "x" << c.content.height() << " in " << c.area.width() << "x"
            << c.area.height();
}

TEST_F(VideoViewTest, ViewsOfEitherKindShowTheExactFrameAfterASeekAgreeAndShowAPreparedClipAtOnce) {
    for (const VideoOutput::Kind kind : {VideoOutput::Kind::OpenGL, VideoOutput::Kind::Software}) {
        const bool openGL = kind == VideoOutput::Kind::OpenGL;
        SCOPED_TRACE(openGL ? "OpenGL" : "software");
        if (openGL && !hasOpenGL())
            continue; // no OpenGL context: offscreen without X
        ASSERT_NO_FATAL_FAILURE(makePlayer(kind));
        // Letterboxed, with 80 black columns on each side; and with the video's proportions.
        std::unique_ptr<QWidget> wide(VideoOutput::createView(m_player.get(), kind));
        std::unique_ptr<QWidget> preview(VideoOutput::createView(m_player.get(), kind));
        ASSERT_EQ(openGL, qobject_cast<VideoView*>(wide.get()) != nullptr);
        show(*wide, {480, 240});
        show(*preview, {320, 240});

        attachAndWait(openTestMovie("frames-2s.mp4"));
        expectGrey(wide.get(), {240, 120}, 0);
        m_player->setCurrentTime(1.0); // frame 25, a keyframe (keyframes are 0 and 25)
        expectGrey(wide.get(), {240, 120}, 125);
        EXPECT_EQ(viewGrey(preview.get(), {160, 120}), viewGrey(wide.get(), {240, 120}));
        EXPECT_EQ(viewGrey(wide.get(), {20, 120}), 0); // the bars stay black
        EXPECT_EQ(viewGrey(wide.get(), {460, 120}), 0);
        m_player->setCurrentTime(1.48); // frame 37, between keyframes
        expectGrey(preview.get(), {160, 120}, 185);
        EXPECT_EQ(viewGrey(wide.get(), {240, 120}), viewGrey(preview.get(), {160, 120}));

        QSignalSpy prepared(m_player.get(), &MpvPlayer::nextPrepared);
        m_player->prepareNext(openTestMovie("frames-2s-b.mp4"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return prepared.count() > 0; }, Patience));
        EXPECT_TRUE(
            nearGrey(viewGrey(preview.get(), {160, 120}), 185)); // preparing does not change the picture
        ASSERT_TRUE(m_player->switchToPrepared());
        // No waiting: the prepared handle has drawn its first frame already, so nothing black or stale shows.
        EXPECT_TRUE(nearGrey(viewGrey(preview.get(), {160, 120}), 250))
            << viewGrey(preview.get(), {160, 120});
        m_player->detach();
        expectGrey(wide.get(), {240, 120}, 0);
    }
}

TEST_F(VideoViewTest, PlayingReachesTheEndWithTheLastFrameShown) {
    ASSERT_NO_FATAL_FAILURE(makePlayer(VideoOutput::detect()));
    std::unique_ptr<QWidget> view(VideoOutput::createView(m_player.get(), VideoOutput::detect()));
    show(*view, {320, 240});
    // At normal speed: faster, a slow (sanitizer) build drops late frames, the last ones included.
    auto movie = openTestMovie("frames-2s.mp4");
    attachAndWait(movie);
    QSignalSpy ended(m_player.get(), &MpvPlayer::movieDidEnd);
    m_player->play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() > 0; }, Patience));
    expectGrey(view.get(), {160, 120}, 245); // frame 49
    EXPECT_EQ(ended.count(), 1);
}

// A clip shorter than loading the next one takes is attached right after it was asked to be prepared,
// long before it is ready: it is switched to on that handle, the previous picture stays until its first
// frame shows, and the clip after it waits for that. A playlist of short clips in a window: TransportTest.
TEST(ShortClipTest, AClipStillLoadingIsSwitchedToAndShownOnceReadyWhatFollowsWaitingForThat) {
    MpvPlayer::CreateResult created = MpvPlayer::create({/*renderApi=*/false, /*audioOutput=*/false});
    ASSERT_TRUE(created) << created.error.toStdString();
    MpvPlayer& player = *created.player;
    const auto first = openTestMovie("clip-0.3s.mp4"), second = openTestMovie("clip-0.3s.mp4"),
               third = openTestMovie("clip-0.3s.mp4");
    ASSERT_TRUE(first && second && third);
    player.attach(first);
    WAIT_UNTIL(player.isReady(), PlayerWait);
    const int before = player.activeIndex();
    QSignalSpy shownChanges(&player, &MpvPlayer::shownHandleChanged);
    QSignalSpy ended(&player, &MpvPlayer::movieDidEnd); // a slow run may reach the end during the waits

    player.prepareNext(second);
    player.attach(second);
    player.play();
    EXPECT_EQ(player.movie(), second);
    EXPECT_NE(player.activeIndex(), before);
    EXPECT_EQ(player.shownIndex(), before);
    EXPECT_TRUE(player.isSwitchPending());
    // The handle still showing the first clip is not loaded with the third before the second shows.
    player.prepareNext(third);
    EXPECT_EQ(player.preparedMovie(), third);
    EXPECT_FALSE(player.isNextPrepared());

    WAIT_UNTIL(!player.isSwitchPending(), PlayerWait);
    EXPECT_EQ(shownChanges.count(), 1);
    EXPECT_EQ(player.shownIndex(), player.activeIndex());
    WAIT_UNTIL(player.isNextPrepared(), PlayerWait);
    EXPECT_EQ(player.preparedMovie(), third);
    WAIT_UNTIL(ended.count() == 1, PlayerWait); // it plays from its first frame on, and ends
    EXPECT_EQ(ended.at(0).at(0).value<std::shared_ptr<Movie>>(), second);
}
