// A clip shorter than loading the next one takes is switched to on the handle it was prepared on, also
// while it is still loading there, and the previous picture stays shown until its first frame is. A
// whole playlist of short clips through a window: TransportTest.
#include "platform/media/Movie.h"
#include "platform/media/MpvPlayer.h"
#include "support/TestMedia.h"
#include "support/Wait.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

std::shared_ptr<Movie> openCard() {
    return Movie::open(QUrl::fromLocalFile(testMediaPath("clip-0.3s.mp4"))).movie;
}

} // namespace

// Deterministically the case a short clip runs into: the clip is attached right after it was asked
// to be prepared, long before it is ready.
TEST(ShortClipTest, AClipStillLoadingIsSwitchedToAndShownOnceReadyWhatFollowsWaitingForThat) {
    MpvPlayer::CreateResult created = MpvPlayer::create({/*renderApi=*/false, /*audioOutput=*/false});
    ASSERT_TRUE(created) << created.error.toStdString();
    MpvPlayer& player = *created.player;
    const auto first = openCard(), second = openCard(), third = openCard();
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
    // It plays from its first frame on, and ends.
    WAIT_UNTIL(ended.count() == 1, PlayerWait);
    EXPECT_EQ(ended.at(0).at(0).value<std::shared_ptr<Movie>>(), second);
}
