// Clips shorter than loading the next one takes: each is switched to on the handle it was prepared on,
// also when it is still loading there, and the previous picture stays shown until its first frame is.
#include "app/OrvantaDocumentController.h"
#include "document/PlaylistSettings.h"
#include "platform/media/Movie.h"
#include "platform/media/MpvPlayer.h"
#include "support/PlaylistFixture.h"
#include "support/RecordingPresenter.h"
#include "support/TestMedia.h"
#include "support/Wait.h"
#include "window/ClipsController.h"
#include "window/OrvantaWindowController.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int Wait = 15000; // ms allowed for the player to get somewhere; never a measured time

std::shared_ptr<Movie> openCard() {
    return Movie::open(QUrl::fromLocalFile(testMediaPath("clip-0.3s.mp4"))).movie;
}

} // namespace

TEST(ShortClipTest, EveryClipOfAShortClipPlaylistComesFromThePreparedHandleOnceAndInTurn) {
    qputenv("ORVANTA_AUDIO", "null");
    QTemporaryDir dir;
    RecordingPresenter presenter;
    OrvantaDocumentController controller;
    const QUrl where = writeTestPlaylist(dir.path(), "cards", QStringList(5, "clip-0.3s.mp4"));
    DocumentError error;
    Document* opened = controller.openDocumentWithContentsOfURL(where, true, &error);
    ASSERT_NE(opened, nullptr) << error.localizedDescription.toStdString();
    auto* wc = dynamic_cast<OrvantaWindowController*>(opened->windowControllers().front());
    wc->window()->show();
    ASSERT_NE(wc->player(), nullptr) << wc->playerError().toStdString();
    MpvPlayer& player = *wc->player();
    QList<std::shared_ptr<Movie>> clips;
    for (const ClipRecordPtr& clip : wc->clipsController()->arrangedObjects())
        clips.append(clip->movie);

    // Per change of clip: the clip, whether it had been prepared and came in on the other handle, and,
    // once shown, whether its handle had drawn it.
    QList<std::shared_ptr<Movie>> ended, shown;
    QList<bool> fromPrepared, drawn;
    std::shared_ptr<Movie> prepared;
    int handle = player.activeIndex();
    QObject::connect(&player, &MpvPlayer::movieDidEnd, wc, [&](const std::shared_ptr<Movie>& movie) {
        ended.append(movie);
        prepared = player.preparedMovie();
    });
    QObject::connect(&player, &MpvPlayer::movieChanged, wc, [&](const std::shared_ptr<Movie>& movie) {
        fromPrepared.append(movie && movie == prepared && player.activeIndex() != handle);
        handle = player.activeIndex();
    });
    QObject::connect(&player, &MpvPlayer::shownHandleChanged, wc, [&](int index) {
        shown.append(player.movie());
        drawn.append(index == player.activeIndex() && player.handle(index).framesRendered() > 0);
    });
    wc->play();
    WAIT_UNTIL(!wc->isPlaying(), 4 * Wait);

    EXPECT_EQ(ended, clips);
    EXPECT_EQ(fromPrepared, QList<bool>(4, true));
    EXPECT_EQ(shown, clips.mid(1));
    EXPECT_EQ(drawn, QList<bool>(4, true));
    EXPECT_TRUE(presenter.alerts.isEmpty());
    controller.closeAllDocuments();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Deterministically the case a short clip runs into: the clip is attached right after it was asked
// to be prepared, long before it is ready.
TEST(ShortClipTest, AClipStillLoadingIsSwitchedToAndShownOnceReadyWhatFollowsWaitingForThat) {
    MpvPlayer::CreateResult created = MpvPlayer::create({/*renderApi=*/false, /*audioOutput=*/false});
    ASSERT_TRUE(created) << created.error.toStdString();
    MpvPlayer& player = *created.player;
    const auto first = openCard(), second = openCard(), third = openCard();
    ASSERT_TRUE(first && second && third);
    player.attach(first);
    WAIT_UNTIL(player.isReady(), Wait);
    const int before = player.activeIndex();
    QSignalSpy shownChanges(&player, &MpvPlayer::shownHandleChanged);

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

    WAIT_UNTIL(!player.isSwitchPending(), Wait);
    EXPECT_EQ(shownChanges.count(), 1);
    EXPECT_EQ(player.shownIndex(), player.activeIndex());
    WAIT_UNTIL(player.isNextPrepared(), Wait);
    EXPECT_EQ(player.preparedMovie(), third);
    // It plays from its first frame on, and ends.
    QSignalSpy ended(&player, &MpvPlayer::movieDidEnd);
    WAIT_UNTIL(ended.count() == 1, Wait);
    EXPECT_EQ(ended.at(0).at(0).value<std::shared_ptr<Movie>>(), second);
}
