// The transport of a playlist window end to end, with a real player, real widgets and real clips: the
// play button's faces, the time display and the speed, clip after clip on the prepared handle, missing
// clips in the table, the keys and clicks of the preview and of the clip table. The decisions themselves
// are tested without a window (SequencingTest, PlaylistPlaybackTest).
#include "document/ComputePlaylistDuration.h"
#include "platform/media/Movie.h"
#include "platform/media/MpvPlayer.h"
#include "playback/ClickableMovieView.h"
#include "support/PlaylistWindows.h"
#include "support/Wait.h"
#include "window/ClipTableModel.h"
#include "window/ClipsTableView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <QTest>

namespace {

class TransportTest : public PlaylistWindowTest {
protected:
    static std::shared_ptr<Movie> movieAt(OrvantaWindowController* wc, int row) {
        return wc->clipsController()->arrangedObjects().at(row)->movie;
    }
};

} // namespace

TEST_F(TransportTest,
       PlayPauseStopScrubAndTheMovieViewsKeysAndClicksDriveThePlayerTheButtonAndTheTimeDisplay) {
    OrvantaWindowController* wc = open("transport", {"clip-2s.mp4"});
    ASSERT_TRUE(wc && wc->player());
    OrvantaWindowController* empty = open(QStringLiteral("empty"), {});
    ASSERT_TRUE(empty && empty->player());
    const std::shared_ptr<Movie> movie = wc->currentMovie();
    ASSERT_EQ(movie, movieAt(wc, 0));
    EXPECT_EQ(wc->timeDisplay()->text(), QStringLiteral("00:00:00.000"));
    EXPECT_EQ(wc->playButton()->toolTip(), QStringLiteral("Play"));

    wc->play();
    EXPECT_TRUE(wc->isPlaying());
    EXPECT_TRUE(wc->playButton()->isChecked());
    EXPECT_EQ(wc->playButton()->toolTip(), QStringLiteral("Pause"));
    WAIT_UNTIL(wc->player()->position() > 0.2, PlayerWait);
    // The time display follows the position.
    WAIT_UNTIL(wc->timeDisplay()->text() != QStringLiteral("00:00:00.000"), PlayerWait);
    EXPECT_GT(wc->scrubSlider()->value(), 0);

    // The pause face's click pauses; the movie keeps its place.
    wc->playButton()->click();
    EXPECT_EQ(wc->playback()->state(), PlaylistPlayback::State::Paused);
    EXPECT_EQ(wc->playButton()->toolTip(), QStringLiteral("Play"));
    WAIT_UNTIL(wc->player()->isPaused(), PlayerWait);
    EXPECT_FLOAT_EQ(movie->rate(), 0.0f);
    EXPECT_GT(wc->player()->position(), 0.0);

    // Scrubbing moves a paused movie and leaves it paused.
    wc->scrub(0.5f);
    WAIT_EQ(wc->player()->position(), 1.0, PlayerWait);
    EXPECT_FALSE(wc->isPlaying());
    wc->updateTimeRelatedViews();
    EXPECT_EQ(wc->timeDisplay()->text(), QStringLiteral("00:00:01.000"));
    EXPECT_EQ(wc->scrubSlider()->value(), 500);
    // The slider moved by the user scrubs too.
    wc->scrubSlider()->setValue(250);
    WAIT_EQ(wc->player()->position(), 0.5, PlayerWait);

    // The speed set while paused waits for the next play; the play face's click plays from there.
    wc->setSpeed(2.0f);
    EXPECT_FLOAT_EQ(movie->preferredRate(), 2.0f);
    EXPECT_FLOAT_EQ(movie->rate(), 0.0f);
    wc->playButton()->click();
    EXPECT_TRUE(wc->isPlaying());
    WAIT_EQ(wc->player()->speed(), 2.0, PlayerWait);
    // Stop rewinds.
    wc->stop();
    EXPECT_EQ(wc->playback()->state(), PlaylistPlayback::State::Stopped);
    EXPECT_EQ(wc->playButton()->toolTip(), QStringLiteral("Play"));
    WAIT_EQ(wc->player()->position(), 0.0, PlayerWait);
    WAIT_UNTIL(wc->player()->isPaused(), PlayerWait);

    // The movie view turns keys and clicks into transport commands while it shows a movie.
    ClickableMovieView* view = wc->previewMovieView();
    ASSERT_EQ(view->movie(), wc->currentMovie());
    // As the window system delivers one: press, double click, press, each followed by its release.
    const auto tripleClick = [](QWidget* v) {
        ulong time = 1000000;
        for (QEvent::Type type :
             {QEvent::MouseButtonPress, QEvent::MouseButtonDblClick, QEvent::MouseButtonPress}) {
            for (QEvent::Type t : {type, QEvent::MouseButtonRelease}) {
                const bool up = t == QEvent::MouseButtonRelease;
                QMouseEvent event(t, QPointF(10, 10), v->mapToGlobal(QPointF(10, 10)), Qt::LeftButton,
                                  up ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
                event.setTimestamp(time += 50);
                QApplication::sendEvent(v, &event);
            }
        }
    };
    const struct {
        const char* what;
        std::function<void(QWidget*)> input;
        bool playing;
    } steps[] = {
        {"space plays", [](QWidget* v) { QTest::keyClick(v, Qt::Key_Space); }, true},
        {"space pauses what moves", [](QWidget* v) { QTest::keyClick(v, Qt::Key_Space); }, false},
        {"return plays", [](QWidget* v) { QTest::keyClick(v, Qt::Key_Return); }, true},
        {"escape stops", [](QWidget* v) { QTest::keyClick(v, Qt::Key_Escape); }, false},
        {"a double click plays", [](QWidget* v) { QTest::mouseDClick(v, Qt::LeftButton); }, true},
        // Later than a double click's interval: a press right after a double click is a triple click's third.
        {"a click pauses", [](QWidget* v) { QTest::mouseClick(v, Qt::LeftButton, {}, {}, 500); }, false},
        {"return plays again", [](QWidget* v) { QTest::keyClick(v, Qt::Key_Return); }, true},
        // Control-click is the view's own: no command.
        {"control-click", [](QWidget* v) { QTest::mouseClick(v, Qt::LeftButton, Qt::ControlModifier); },
         true},
        {"control-double-click",
         [](QWidget* v) { QTest::mouseDClick(v, Qt::LeftButton, Qt::ControlModifier); }, true},
        // Only the primary button counts, and the third press of a triple click does nothing. Which press
        // does what: MovieViewInputTest.
        {"a right click", [](QWidget* v) { QTest::mouseClick(v, Qt::RightButton); }, true},
        {"a middle double click", [](QWidget* v) { QTest::mouseDClick(v, Qt::MiddleButton); }, true},
        {"a triple click", tripleClick, true},
    };
    for (const auto& step : steps) {
        step.input(view);
        EXPECT_EQ(wc->isPlaying(), step.playing) << step.what;
        // Without a movie every key and click is dropped.
        step.input(empty->previewMovieView());
        EXPECT_FALSE(empty->isPlaying()) << step.what;
    }
    WAIT_UNTIL(wc->player()->position() > 0.1, PlayerWait);
    QTest::keyClick(view, Qt::Key_Escape);
    WAIT_EQ(wc->player()->position(), 0.0, PlayerWait);
    EXPECT_EQ(empty->timeDisplay()->text(), QStringLiteral("00:00:00.000"));
    EXPECT_EQ(empty->scrubSlider()->value(), 0);
}

// The clips are shorter than loading the next one takes: each is switched to on the handle it was prepared
// on, also while it is still loading there, and the previous picture stays until its first frame shows.
TEST_F(TransportTest, ThePreparedClipFollowsEditsAndTheLoopBoxAndShortClipsPlayInTurnOnItToTheLast) {
    OrvantaWindowController* wc = open("sequence", QStringList(4, "clip-0.3s.mp4"));
    ASSERT_TRUE(wc && wc->player());
    // The clip prepared next follows the table's edits, its selection and the loop box, both ways.
    const std::shared_ptr<Movie> third = movieAt(wc, 2);
    WAIT_UNTIL(wc->player()->preparedMovie() == movieAt(wc, 1), PlayerWait);
    wc->clipsController()->removeObjectsAtArrangedObjectIndexes({1});
    WAIT_UNTIL(wc->player()->preparedMovie() == third, PlayerWait);
    wc->clipsController()->setSelectionIndexes({2});
    WAIT_UNTIL(wc->player()->preparedMovie() == nullptr, PlayerWait);
    QCheckBox* loop = wc->window()->findChild<QCheckBox*>("looping");
    loop->click();
    WAIT_UNTIL(wc->player()->preparedMovie() == movieAt(wc, 0), PlayerWait);
    EXPECT_EQ(wc->movieThatComesNext(), movieAt(wc, 0));
    loop->click();
    WAIT_UNTIL(wc->player()->preparedMovie() == nullptr, PlayerWait);

    // Played from the first, each clip comes in on the prepared handle and is shown once that handle
    // has drawn it; the last stops rewound.
    wc->clipsController()->setSelectionIndexes({0});
    MpvPlayer* player = wc->player();
    QList<int> rows;
    QList<bool> switched, drawn; // per new current movie: on the other handle, playing; per shown handle
    int lastHandle = player->activeIndex();
    QObject::connect(wc->clipsController(), &ClipsController::selectionDidChange, wc, [&] {
        rows.append(wc->clipsController()->selectionIndexes().value(0, -1));
        switched.append(player->activeIndex() != lastHandle && wc->isPlaying());
        lastHandle = player->activeIndex();
    });
    QObject::connect(player, &MpvPlayer::shownHandleChanged, wc, [&](int index) {
        drawn.append(index == player->activeIndex() && player->handle(index).framesRendered() > 0);
    });
    WAIT_UNTIL(player->isNextPrepared(), PlayerWait);
    wc->play();
    WAIT_UNTIL(!wc->isPlaying(), 3 * PlayerWait);
    EXPECT_EQ(rows, (QList<int>{1, 2}));
    EXPECT_EQ(switched, (QList<bool>{true, true}));
    EXPECT_EQ(drawn, (QList<bool>{true, true}));
    EXPECT_TRUE(presenter.alerts.isEmpty());
    EXPECT_EQ(wc->clipsController()->selectionIndexes(), QList<int>{2});
    EXPECT_EQ(wc->currentMovie(), movieAt(wc, 2));
    EXPECT_EQ(wc->player()->preparedMovie(), nullptr);
    EXPECT_EQ(wc->playButton()->toolTip(), QStringLiteral("Play"));
    WAIT_EQ(wc->player()->position(), 0.0, PlayerWait);
    WAIT_UNTIL(wc->player()->isPaused(), PlayerWait);
    for (int row : {0, 1})
        EXPECT_DOUBLE_EQ(movieAt(wc, row)->currentTime(), 0.0) << row;
    EXPECT_EQ(controller.documents().size(), 1);
}

TEST_F(TransportTest, AMissingClipIsGreyedLeftOutOfTheTotalPassedOverAndTakenBackWhenItsFileIs) {
    const QUrl where = writeTestPlaylist(dir.path(), "gaps", QStringList(3, "clip-0.5s.mp4"));
    const QString gone = path("gaps-c1.mp4");
    ASSERT_TRUE(QFile::remove(gone));
    OrvantaWindowController* wc = openURL(where);
    ASSERT_TRUE(wc && wc->player());
    EXPECT_TRUE(presenter.alerts.value(0).second.endsWith("\n\n" + gone)); // "Missing Items"

    // In the table: greyed, the reason as its tool tip, a dash for its duration; the total leaves it out.
    const ClipTableModel* model = wc->clipsController()->model();
    auto cell = [&](int row, int column, int role) { return model->index(row, column).data(role); };
    EXPECT_TRUE(cell(1, ClipTableModel::NameColumn, Qt::ForegroundRole).isValid());
    EXPECT_FALSE(cell(0, ClipTableModel::NameColumn, Qt::ForegroundRole).isValid());
    EXPECT_EQ(cell(1, ClipTableModel::NameColumn, Qt::ToolTipRole).toString(),
              "The file “" + gone + "” cannot be found.");
    EXPECT_EQ(cell(1, ClipTableModel::DurationColumn, Qt::DisplayRole).toString(), "—");
    const QString duration = wc->clipsController()->arrangedObjects()[0]->qttimeDuration;
    EXPECT_EQ(wc->totalTimeText()->text(), ComputePlaylistDuration::totalTimeText(QStringList(2, duration)));

    // Chosen by hand while stopped, it has nothing to show; play starts the clip after it.
    wc->clipsController()->setSelectionIndexes({1});
    EXPECT_EQ(wc->currentMovie(), nullptr);
    wc->play();
    EXPECT_EQ(wc->clipsController()->selectionIndexes(), QList<int>{2});
    EXPECT_TRUE(wc->isPlaying());
    wc->stop();

    // Its file back, choosing it tries the file at once: the row and the total follow.
    ASSERT_TRUE(QFile::copy(testMediaPath("clip-0.5s.mp4"), gone));
    wc->clipsController()->setSelectionIndexes({1});
    EXPECT_NE(wc->currentMovie(), nullptr);
    EXPECT_FALSE(cell(1, ClipTableModel::NameColumn, Qt::ForegroundRole).isValid());
    EXPECT_EQ(wc->totalTimeText()->text(), ComputePlaylistDuration::totalTimeText(QStringList(3, duration)));
    EXPECT_EQ(presenter.beeps, 0);

    // Where no clip can play, play only beeps.
    const QUrl none = writeTestPlaylist(dir.path(), "none", QStringList(2, "clip-0.5s.mp4"));
    ASSERT_TRUE(QFile::remove(path("none-c0.mp4")) && QFile::remove(path("none-c1.mp4")));
    OrvantaWindowController* empty = openURL(none);
    ASSERT_TRUE(empty && empty->player());
    // The missing files are reported once, a path per line.
    EXPECT_EQ(presenter.alerts.value(1),
              (QPair<QString, QString>{
                  "Missing Items", "Orvanta was not able to locate the following files:\n\n" +
                                       QStringList{path("none-c0.mp4"), path("none-c1.mp4")}.join(u'\n')}));
    empty->play();
    EXPECT_FALSE(empty->isPlaying());
    EXPECT_EQ(presenter.beeps, 1);
    EXPECT_EQ(empty->player()->movie(), nullptr);
}

TEST_F(TransportTest, TableArrowsMoveTheCurrentClipAndBackspaceDeleteAndTheRowActionRemove) {
    OrvantaWindowController* wc = open(QStringLiteral("keys"), QStringList(6, "clip-0.5s.mp4"));
    ASSERT_TRUE(wc && wc->player());
    auto* table = qobject_cast<ClipsTableView*>(wc->clipsTable());
    ASSERT_NE(table, nullptr);
    table->setFocus();
    table->setCurrentIndex(table->model()->index(0, 1));
    int actions = 0;
    table->setAction([&](ClipsTableView* sender) {
        EXPECT_EQ(sender, table);
        ++actions;
    });
    QTest::keyClick(table, Qt::Key_Down);
    EXPECT_EQ(wc->currentMovie(), movieAt(wc, 1));
    QTest::keyClick(table, Qt::Key_Down);
    QTest::keyClick(table, Qt::Key_Up);
    EXPECT_EQ(wc->clipsController()->selectionIndexes(), QList<int>{1});
    EXPECT_EQ(actions, 3);
    // Return plays the selected clip; a double click on a row plays that row's clip.
    QTest::keyClick(table, Qt::Key_Return);
    EXPECT_TRUE(wc->isPlaying());
    EXPECT_EQ(wc->currentMovie(), movieAt(wc, 1));
    wc->stop();
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, rowPoint(table, 2));
    EXPECT_TRUE(wc->isPlaying());
    EXPECT_EQ(wc->currentMovie(), movieAt(wc, 2));
    wc->stop();
    table->setFocus();
    wc->clipsController()->setSelectionIndexes({1});

    // Each removal, of the selected clips, is one change.
    const int changes = wc->datasource()->changeCount();
    QTest::keyClick(table, Qt::Key_Backspace);
    EXPECT_EQ(names(wc),
              (QStringList{"keys-c0.mp4", "keys-c2.mp4", "keys-c3.mp4", "keys-c4.mp4", "keys-c5.mp4"}));
    wc->clipsController()->setSelectionIndexes({2, 4});
    QTest::keyClick(table, Qt::Key_Delete);
    // Other keys are the table's: no removal, no action.
    QTest::keyClick(table, Qt::Key_A);
    EXPECT_EQ(names(wc), (QStringList{"keys-c0.mp4", "keys-c2.mp4", "keys-c4.mp4"}));
    EXPECT_EQ(table->model()->rowCount(), 3);
    EXPECT_EQ(wc->datasource()->changeCount(), changes + 2);
    EXPECT_EQ(actions, 3);
    EXPECT_EQ(presenter.beeps, 0);
    // With nothing selected nothing goes, and the user hears so.
    wc->clipsController()->setSelectionIndexes({});
    wc->removeClips();
    EXPECT_EQ(presenter.beeps, 1);
    EXPECT_EQ(wc->datasource()->changeCount(), changes + 2);

    // "Delete" at the trailing edge slides the row away over a second, then removes its clip.
    EXPECT_TRUE(wc->tableViewRowActionsForRow(1, OrvantaWindowController::LeadingEdge).isEmpty());
    const QList<OrvantaWindowController::RowAction> rowActions =
        wc->tableViewRowActionsForRow(1, OrvantaWindowController::TrailingEdge);
    ASSERT_EQ(rowActions.size(), 1);
    EXPECT_EQ(rowActions[0].title, QStringLiteral("Delete"));
    EXPECT_TRUE(rowActions[0].destructive);
    const int height = table->rowHeight(0);
    rowActions[0].handler(0);
    EXPECT_EQ(names(wc).size(), 3);
    WAIT_UNTIL(table->rowHeight(0) < height, 5000);
    // A second Delete during the slide, of the row below: each takes the clip it was asked for.
    rowActions[0].handler(1);
    WAIT_EQ(names(wc), (QStringList{"keys-c4.mp4"}), 5000);
    WAIT_EQ(table->rowHeight(0), height, 5000);
}
