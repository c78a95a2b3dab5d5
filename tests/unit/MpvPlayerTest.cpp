// The player on its own, headless: the end of a movie, detaching and reattaching and the prepared movie.
// Exact frames after seeks are read back from the views (VideoViewTest); files that fail, through a
// window (FailedClipTest).
#include "platform/media/MpvPlayer.h"
#include "platform/media/Movie.h"
#include "support/TestMedia.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int Patience = 15000; // ms; generous, these are not timings
constexpr double Frame = 0.04;  // one frame at 25 fps

std::unique_ptr<MpvPlayer> makePlayer() {
    // Headless: no video output, no sound card.
    MpvPlayer::CreateResult created = MpvPlayer::create({/*renderApi=*/false, /*audioOutput=*/false});
    EXPECT_TRUE(created) << created.error.toStdString();
    return std::move(created.player);
}

std::shared_ptr<Movie> endedMovie(const QSignalSpy& spy, int index) {
    return spy.at(index).at(0).value<std::shared_ptr<Movie>>();
}

class MpvPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_player = makePlayer();
        ASSERT_TRUE(m_player);
    }

    // Attaches and waits until the movie stands on its first frame (in the test's player by default).
    void attachAndWait(const std::shared_ptr<Movie>& movie, MpvPlayer* player = nullptr) {
        player = player ? player : m_player.get();
        QSignalSpy ready(player, &MpvPlayer::movieReady);
        player->attach(movie);
        ASSERT_TRUE(QTest::qWaitFor([&] { return ready.count() > 0; }, Patience));
        ASSERT_TRUE(player->isReady());
    }

    std::unique_ptr<MpvPlayer> m_player;
};

} // namespace

// Another player plays a longer movie meanwhile: each player reports only the end of its own movie.
TEST_F(MpvPlayerTest, PlayingRunsToTheEndReportsItOnceAgainWhenPlayedThereAndAfterRewinding) {
    auto other = makePlayer();
    ASSERT_TRUE(other);
    auto movie = openTestMovie("clip-0.5s.mp4");
    movie->setPreferredRate(4.0f);
    attachAndWait(movie);
    attachAndWait(openTestMovie("clip-2s.mp4"), other.get());
    QSignalSpy ended(m_player.get(), &MpvPlayer::movieDidEnd);
    QSignalSpy otherEnded(other.get(), &MpvPlayer::movieDidEnd);
    QSignalSpy positions(m_player.get(), &MpvPlayer::positionChanged);

    other->play();
    m_player->play();
    EXPECT_EQ(movie->rate(), 4.0f);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() > 0; }, Patience));
    EXPECT_EQ(endedMovie(ended, 0), movie);
    EXPECT_EQ(otherEnded.count(), 0);
    EXPECT_FALSE(other->isPaused());
    EXPECT_GT(positions.count(), 0);
    EXPECT_GT(movie->currentTime(), 0.3);
    QTest::qWait(300);
    EXPECT_EQ(ended.count(), 1);

    // Played again where it stands, at its end, it ends at once; rewound, it ends after running.
    m_player->stop();
    m_player->play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() == 2; }, Patience));
    m_player->gotoBeginning();
    m_player->play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() == 3; }, Patience));
    EXPECT_EQ(endedMovie(ended, 2), movie);
    QTest::qWait(300);
    EXPECT_EQ(ended.count(), 3);
}

TEST_F(MpvPlayerTest, DetachingWritesTheStateBackAndReattachingResumesThere) {
    auto movie = openTestMovie("clip-2s.mp4");
    movie->setPreferredRate(4.0f);
    attachAndWait(movie);
    m_player->play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_player->position() > 0.4; }, Patience));
    const double before = m_player->position();
    m_player->detach();
    EXPECT_EQ(m_player->movie(), nullptr);
    EXPECT_EQ(movie->rate(), 0.0f);
    EXPECT_GE(movie->currentTime(), before);
    const double left = movie->currentTime();

    attachAndWait(movie);
    EXPECT_NEAR(m_player->position(), left, Frame);
    EXPECT_TRUE(m_player->isPaused());
}

TEST_F(MpvPlayerTest, AttachingThePreparedMovieSwitchesToItPausedAndPlayingHoldsItsFirstFrame) {
    auto first = openTestMovie("clip-1s.mp4");
    auto second = openTestMovie("clip-2s.mp4");
    auto third = openTestMovie("clip-1s.mkv");
    attachAndWait(first);
    QSignalSpy prepared(m_player.get(), &MpvPlayer::nextPrepared);
    m_player->prepareNext(second);
    ASSERT_TRUE(QTest::qWaitFor([&] { return prepared.count() > 0; }, Patience));
    const int before = m_player->activeIndex();
    m_player->play();
    m_player->attach(second);
    EXPECT_NE(m_player->activeIndex(), before);
    EXPECT_EQ(m_player->movie(), second);
    EXPECT_TRUE(m_player->isReady());
    QTest::qWait(200);
    EXPECT_TRUE(m_player->isPaused());

    // Played at once after a switch, its first frame is held (running on from there: TransportTest);
    // stopped meanwhile, it stays where it is.
    m_player->prepareNext(third);
    ASSERT_TRUE(QTest::qWaitFor([&] { return prepared.count() > 1; }, Patience));
    m_player->attach(third);
    m_player->play();
    m_player->stop();
    QTest::qWait(300);
    EXPECT_EQ(m_player->movie(), third);
    EXPECT_TRUE(m_player->isPaused());
    EXPECT_EQ(third->rate(), 0.0f);
    EXPECT_NEAR(m_player->position(), 0.0, Frame);
}
