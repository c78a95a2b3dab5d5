// The transport of a playlist window with a real player, real widgets and real clips: selection making
// a clip current, play, pause, stop, scrub, speed and volume, the play button's faces, the time display,
// the sequencing at the end of each clip, and the keys and clicks of the preview's movie view.
#include "app/OrvantaDocumentController.h"
#include "document/ClipImporter.h"
#include "document/OrvantaDocument.h"
#include "platform/TypedNumber.h"
#include "platform/media/Movie.h"
#include "platform/media/MpvPlayer.h"
#include "platform/notifications/NotificationCenter.h"
#include "playback/ClickableMovieView.h"
#include "support/PlaylistFixture.h"
#include "support/RecordingPresenter.h"
#include "support/TestMedia.h"
#include "support/Wait.h"
#include "window/ClipsController.h"
#include "window/OrvantaWindowController.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int Wait = 15000; // ms allowed for the player to get somewhere; never a measured time

OrvantaWindowController* windowControllerOf(Document* document) {
    if (!document || document->windowControllers().empty())
        return nullptr;
    return dynamic_cast<OrvantaWindowController*>(document->windowControllers().front());
}

class TransportTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("ORVANTA_AUDIO", "null"); }
    void TearDown() override {
        controller.closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A playlist file of copies of the given clips, opened as the application opens one.
    OrvantaDocument* open(const QString& file, const QStringList& clips,
                          const std::function<void(PlaylistSettings&)>& settings = {}) {
        const QUrl where = writeTestPlaylist(dir.path(), file, clips, settings);
        EXPECT_FALSE(where.isEmpty()) << file.toStdString();
        DocumentError error;
        auto* opened =
            qobject_cast<OrvantaDocument*>(controller.openDocumentWithContentsOfURL(where, true, &error));
        EXPECT_NE(opened, nullptr) << error.localizedDescription.toStdString();
        return opened;
    }

    static std::shared_ptr<Movie> movieAt(OrvantaWindowController* wc, int row) {
        return wc->clipsController()->arrangedObjects().at(row)->movie;
    }

    QTemporaryDir dir;
    RecordingPresenter presenter;
    OrvantaDocumentController controller;
};

} // namespace

TEST(ScrubTimeTest, TruncatesTheSinglePrecisionProductAtTheDurationsScale) {
    EXPECT_EQ(OrvantaWindowController::scrubTime(MovieTime::make(1234, 600), 0.5f),
              MovieTime::make(617, 600));
    EXPECT_EQ(OrvantaWindowController::scrubTime(MovieTime::make(600, 600), 0.999f),
              MovieTime::make(599, 600));
    // Above 2^24 the float product loses the lowest bits.
    EXPECT_EQ(OrvantaWindowController::scrubTime(MovieTime::make(16777217, 90000), 1.0f),
              MovieTime::make(16777216, 90000));
    EXPECT_EQ(OrvantaWindowController::scrubTime(MovieTime::make(0, 0), 0.7f), MovieTime::make(0, 0));
}

TEST_F(TransportTest, AnEmptyPlaylistShowsTheZeroTimeAndIgnoresKeysAndClicks) {
    OrvantaDocument* document = open(QStringLiteral("empty"), {});
    OrvantaWindowController* wc = windowControllerOf(document);
    ASSERT_NE(wc, nullptr);
    QMainWindow* window = wc->window();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    ASSERT_NE(wc->player(), nullptr) << wc->playerError().toStdString();
    EXPECT_EQ(wc->currentMovie(), nullptr);
    wc->scrubSlider()->setValue(500); // a user move with nothing to move
    wc->updateTimeRelatedViews();
    EXPECT_EQ(wc->timeDisplay()->text(), QStringLiteral("00:00:00.000"));
    EXPECT_EQ(wc->scrubSlider()->toolTip(), QStringLiteral("00:00:00.000"));
    EXPECT_EQ(wc->scrubSlider()->value(), 0);

    ClickableMovieView* view = wc->previewMovieView();
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Escape})
        QTest::keyClick(view, key);
    QTest::mouseClick(view, Qt::LeftButton);
    QTest::mouseDClick(view, Qt::LeftButton);
    EXPECT_FALSE(wc->isPlaying());
    EXPECT_EQ(wc->playButton()->toolTip(), QStringLiteral("Play"));
}

TEST_F(TransportTest, SelectionMakesTheFirstSelectedClipCurrentWithThePlaylistsVolumeAndSpeed) {
    OrvantaDocument* document = open(
        QStringLiteral("select"), {"clip-1s.mp4", "clip-2s.mp4", "clip-0.5s.mp4"}, [](PlaylistSettings& s) {
            s.setValue("volume", TypedNumber::float32(0.25f));
            s.setValue("speed", TypedNumber::float32(1.5f));
        });
    OrvantaWindowController* wc = windowControllerOf(document);
    ASSERT_NE(wc, nullptr);
    wc->window();
    ASSERT_NE(wc->player(), nullptr) << wc->playerError().toStdString();
    // The window selects the first clip when it loads.
    EXPECT_EQ(wc->currentMovie(), movieAt(wc, 0));
    EXPECT_EQ(wc->player()->movie(), movieAt(wc, 0));

    ClipsController* clips = wc->clipsController();
    clips->setSelectionIndexes({1});
    const std::shared_ptr<Movie> second = movieAt(wc, 1);
    EXPECT_EQ(wc->currentMovie(), second);
    EXPECT_EQ(wc->player()->movie(), second);
    EXPECT_FLOAT_EQ(second->volume(), 0.25f);
    EXPECT_FLOAT_EQ(second->preferredRate(), 1.5f);
    EXPECT_FALSE(wc->isPlaying());
    WAIT_UNTIL(wc->player()->isReady(), Wait);
    EXPECT_FLOAT_EQ(second->rate(), 0.0f);
    EXPECT_EQ(wc->timeDisplay()->text(), QStringLiteral("00:00:00.000"));

    // Extending the selection, or clearing it, leaves the current movie as it is.
    clips->setSelectionIndexes({1, 2});
    EXPECT_EQ(wc->currentMovie(), second);
    clips->setSelectionIndexes({2, 0});
    EXPECT_EQ(wc->currentMovie(), movieAt(wc, 0));
    clips->setSelectionIndexes({});
    EXPECT_EQ(wc->currentMovie(), movieAt(wc, 0));
    // Selection alone is no edit.
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(TransportTest, PlayPauseStopAndScrubDriveThePlayerAndTheButtonFaces) {
    OrvantaDocument* document = open(QStringLiteral("transport"), {"clip-2s.mp4"});
    OrvantaWindowController* wc = windowControllerOf(document);
    ASSERT_NE(wc, nullptr);
    wc->window()->show();
    ASSERT_NE(wc->player(), nullptr) << wc->playerError().toStdString();
    const std::shared_ptr<Movie> movie = wc->currentMovie();
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(wc->playButton()->toolTip(), QStringLiteral("Play"));
    EXPECT_FALSE(wc->playButton()->isChecked());

    wc->play();
    EXPECT_TRUE(wc->isPlaying());
    EXPECT_TRUE(wc->playButton()->isChecked());
    EXPECT_EQ(wc->playButton()->toolTip(), QStringLiteral("Pause"));
    WAIT_UNTIL(wc->player()->position() > 0.2, Wait);
    // The time display follows the position.
    WAIT_UNTIL(wc->timeDisplay()->text() != QStringLiteral("00:00:00.000"), Wait);
    EXPECT_GT(wc->scrubSlider()->value(), 0);

    // The pause face's click pauses; the movie keeps its place.
    wc->playButton()->click();
    EXPECT_FALSE(wc->isPlaying());
    EXPECT_EQ(wc->playButton()->toolTip(), QStringLiteral("Play"));
    WAIT_UNTIL(wc->player()->isPaused(), Wait);
    EXPECT_FLOAT_EQ(movie->rate(), 0.0f);
    const double pausedAt = wc->player()->position();
    EXPECT_GT(pausedAt, 0.0);

    // Scrubbing moves a paused movie and leaves it paused.
    wc->scrub(0.5f);
    WAIT_EQ(wc->player()->position(), 1.0, Wait);
    EXPECT_FALSE(wc->isPlaying());
    wc->updateTimeRelatedViews();
    EXPECT_EQ(wc->timeDisplay()->text(), QStringLiteral("00:00:01.000"));
    EXPECT_EQ(wc->scrubSlider()->value(), 500);
    // The slider moved by the user scrubs too.
    wc->scrubSlider()->setValue(250);
    WAIT_EQ(wc->player()->position(), 0.5, Wait);

    // The play face's click plays again from there; stop rewinds.
    wc->playButton()->click();
    EXPECT_TRUE(wc->isPlaying());
    wc->stop();
    EXPECT_FALSE(wc->isPlaying());
    EXPECT_EQ(wc->playButton()->toolTip(), QStringLiteral("Play"));
    WAIT_EQ(wc->player()->position(), 0.0, Wait);
    EXPECT_FLOAT_EQ(wc->currentMovie()->rate(), 0.0f);
    WAIT_UNTIL(wc->player()->isPaused(), Wait);
}

TEST_F(TransportTest, SpeedAndVolumeControlsActOnTheMovieAndWriteTheSettings) {
    OrvantaDocument* document = open(QStringLiteral("speed"), {"clip-2s.mp4", "clip-1s.mp4"});
    OrvantaWindowController* wc = windowControllerOf(document);
    ASSERT_NE(wc, nullptr);
    wc->window()->show();
    ASSERT_NE(wc->player(), nullptr) << wc->playerError().toStdString();
    const std::shared_ptr<Movie> movie = wc->currentMovie();

    // While paused only the preferred rate changes; the next play runs at it.
    wc->setSpeed(2.0f);
    EXPECT_FLOAT_EQ(movie->preferredRate(), 2.0f);
    EXPECT_FLOAT_EQ(movie->rate(), 0.0f);
    EXPECT_FLOAT_EQ(document->settings()->speed(), 2.0f);
    wc->play();
    WAIT_EQ(wc->player()->speed(), 2.0, Wait);
    EXPECT_FLOAT_EQ(movie->rate(), 2.0f);
    // While playing the rate changes at once.
    wc->setSpeed(0.5f);
    WAIT_EQ(wc->player()->speed(), 0.5, Wait);

    // The volume control sets the movie's volume and the setting; the mute setting silences it.
    wc->setVolume(0.5f);
    WAIT_EQ(wc->player()->engineVolume(), 50.0, Wait);
    EXPECT_FLOAT_EQ(document->settings()->volume(), 0.5f);
    document->settings()->setValue("muted", TypedNumber::boolean(true));
    WAIT_EQ(wc->player()->engineVolume(), 0.0, Wait);
    // The next clip comes in with what the user set, still muted.
    wc->clipsController()->setSelectionIndexes({1});
    const std::shared_ptr<Movie> next = wc->currentMovie();
    EXPECT_FLOAT_EQ(next->preferredRate(), 0.5f);
    EXPECT_FLOAT_EQ(next->volume(), 0.0f);
    document->settings()->setValue("muted", TypedNumber::boolean(false));
    WAIT_EQ(wc->player()->engineVolume(), 50.0, Wait);

    // Reset while stopped: preferred rate and setting 1.0, nothing starts.
    wc->stop();
    wc->resetSpeed();
    EXPECT_FLOAT_EQ(next->preferredRate(), 1.0f);
    EXPECT_FLOAT_EQ(document->settings()->speed(), 1.0f);
    EXPECT_FALSE(wc->isPlaying());
    EXPECT_FLOAT_EQ(next->rate(), 0.0f);
}

TEST_F(TransportTest, ThreeClipsPlayInTurnAndTheLastStopsRewoundAndSelected) {
    OrvantaDocument* document =
        open(QStringLiteral("sequence"), {"clip-0.5s.mp4", "clip-0.5s.mp4", "clip-0.5s.mp4"});
    OrvantaWindowController* wc = windowControllerOf(document);
    ASSERT_NE(wc, nullptr);
    wc->window()->show();
    ASSERT_NE(wc->player(), nullptr) << wc->playerError().toStdString();
    QList<int> selections;
    QList<bool> playingAtSelection;
    QObject::connect(wc->clipsController(), &ClipsController::selectionDidChange, wc, [&] {
        selections.append(wc->clipsController()->selectionIndexes().value(0, -1));
        playingAtSelection.append(wc->isPlaying());
    });
    wc->clipsController()->setSelectionIndexes({1});
    wc->play();
    WAIT_UNTIL(!wc->isPlaying(), Wait);
    EXPECT_EQ(selections, (QList<int>{1, 2}));
    EXPECT_EQ(playingAtSelection, (QList<bool>{false, true}));
    // The second was rewound when it ended; the last stays selected and rewound.
    EXPECT_DOUBLE_EQ(movieAt(wc, 1)->currentTime(), 0.0);
    EXPECT_EQ(wc->clipsController()->selectionIndexes(), QList<int>{2});
    EXPECT_EQ(wc->currentMovie(), movieAt(wc, 2));
    EXPECT_EQ(wc->playButton()->toolTip(), QStringLiteral("Play"));
    EXPECT_FALSE(wc->playButton()->isChecked());
    WAIT_EQ(wc->player()->position(), 0.0, Wait);
    EXPECT_FLOAT_EQ(wc->currentMovie()->rate(), 0.0f);
    WAIT_UNTIL(wc->player()->isPaused(), Wait);
    EXPECT_EQ(controller.documents().size(), 1);
}

TEST_F(TransportTest, LoopingGoesBackToTheFirstClipAndASingleClipReplays) {
    OrvantaDocument* two = open(QStringLiteral("loop"), {"clip-0.5s.mp4", "clip-0.5s.mp4"},
                                [](PlaylistSettings& s) { s.setValue("looping", TypedNumber::integer(1)); });
    OrvantaDocument* one = open(QStringLiteral("single"), {"clip-0.5s.mp4"},
                                [](PlaylistSettings& s) { s.setValue("looping", TypedNumber::integer(1)); });
    OrvantaWindowController* wcTwo = windowControllerOf(two);
    OrvantaWindowController* wcOne = windowControllerOf(one);
    ASSERT_TRUE(wcTwo && wcOne);
    wcTwo->window()->show();
    wcOne->window()->show();
    ASSERT_TRUE(wcTwo->player() && wcOne->player());

    QList<int> rows;
    QObject::connect(wcTwo->clipsController(), &ClipsController::selectionDidChange, wcTwo,
                     [&] { rows.append(wcTwo->clipsController()->selectionIndexes().value(0, -1)); });
    int singleEnds = 0;
    QObject::connect(wcOne->player(), &MpvPlayer::movieDidEnd, wcOne, [&] { ++singleEnds; });

    wcTwo->clipsController()->setSelectionIndexes({1});
    wcTwo->play();
    wcOne->play();
    WAIT_UNTIL(rows.size() >= 3, Wait);
    EXPECT_EQ(rows.mid(0, 3), (QList<int>{1, 0, 1}));
    EXPECT_TRUE(wcTwo->isPlaying());
    WAIT_UNTIL(singleEnds >= 3, Wait);
    EXPECT_TRUE(wcOne->isPlaying());
    EXPECT_EQ(wcOne->playButton()->toolTip(), QStringLiteral("Pause"));
    WAIT_UNTIL(!wcOne->player()->isPaused(), Wait);
}

TEST_F(TransportTest, AFinishedPlaylistClosesAndLeavesTheOtherPlaylistUntouched) {
    OrvantaDocument* closing = open(QStringLiteral("closing"), {"clip-0.5s.mp4"}, [](PlaylistSettings& s) {
        s.setValue("closeWhenFinished", TypedNumber::boolean(true));
    });
    OrvantaDocument* other =
        open(QStringLiteral("other"), {"clip-0.5s.mp4", "clip-1s.mp4"}, [](PlaylistSettings& s) {
            s.setValue("closeWhenFinished", TypedNumber::boolean(true));
            s.setValue("looping", TypedNumber::integer(1));
        });
    OrvantaWindowController* wcClosing = windowControllerOf(closing);
    OrvantaWindowController* wcOther = windowControllerOf(other);
    ASSERT_TRUE(wcClosing && wcOther);
    wcClosing->window()->show();
    wcOther->window()->show();
    const int observers =
        NotificationCenter::defaultCenter().observerCount(NotificationCenter::MovieDidEndNotification);
    QPointer<OrvantaDocument> watched = closing;

    wcClosing->play();
    WAIT_UNTIL(watched.isNull(), Wait);
    ASSERT_EQ(controller.documents().size(), 1);
    EXPECT_EQ(controller.documents().front(), other);
    EXPECT_EQ(wcOther->clipsController()->selectionIndexes(), QList<int>{0});
    EXPECT_FALSE(wcOther->isPlaying());
    EXPECT_DOUBLE_EQ(wcOther->currentMovie()->currentTime(), 0.0);
    // The closed window withdrew its end-of-movie subscription.
    EXPECT_EQ(NotificationCenter::defaultCenter().observerCount(NotificationCenter::MovieDidEndNotification),
              observers - 1);
    // An end posted for a movie of no window here moves nothing.
    NotificationCenter::defaultCenter().postNotificationName(
        NotificationCenter::MovieDidEndNotification, QVariant::fromValue(static_cast<void*>(nullptr)));
    EXPECT_EQ(wcOther->clipsController()->selectionIndexes(), QList<int>{0});
    EXPECT_EQ(controller.documents().size(), 1);
}

TEST_F(TransportTest, TheMovieViewTurnsKeysAndClicksIntoTransportCommands) {
    OrvantaDocument* document = open(QStringLiteral("view"), {"clip-2s.mp4"});
    OrvantaWindowController* wc = windowControllerOf(document);
    ASSERT_NE(wc, nullptr);
    wc->window()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(wc->window()));
    ClickableMovieView* view = wc->previewMovieView();
    ASSERT_EQ(view->movie(), wc->currentMovie());

    // Space plays by the movie's own rate, and pauses once it moves.
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_TRUE(wc->isPlaying());
    EXPECT_GT(wc->currentMovie()->rate(), 0.0f);
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_FALSE(wc->isPlaying());
    // Return plays, escape stops and rewinds.
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_TRUE(wc->isPlaying());
    WAIT_UNTIL(wc->player()->position() > 0.1, Wait);
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(wc->isPlaying());
    WAIT_EQ(wc->player()->position(), 0.0, Wait);
    // Other keys change nothing.
    QTest::keyClick(view, Qt::Key_A);
    EXPECT_FALSE(wc->isPlaying());

    // A double click plays (its first press pauses), a click pauses.
    QTest::mouseDClick(view, Qt::LeftButton);
    EXPECT_TRUE(wc->isPlaying());
    QTest::mouseClick(view, Qt::LeftButton);
    EXPECT_FALSE(wc->isPlaying());
    // Control-click is the view's own: no command.
    wc->play();
    QTest::mouseClick(view, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_TRUE(wc->isPlaying());
    QTest::mouseDClick(view, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_TRUE(wc->isPlaying());
}
