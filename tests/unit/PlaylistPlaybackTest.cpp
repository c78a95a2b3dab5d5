// The transport of a playlist without a window: real clips on a real (headless) player, the clip list
// kept here as the clip table keeps it. What plays, what is prepared next, what the end of a clip does.
#include "playback/PlaylistPlayback.h"

#include "document/MissingClip.h"
#include "document/PlaylistSettings.h"
#include "platform/TypedNumber.h"
#include "platform/media/Movie.h"
#include "platform/media/MpvPlayer.h"
#include "support/TestMedia.h"
#include "support/Wait.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int Wait = 15000; // ms allowed for the player to get somewhere; never a measured time

ClipRecordPtr clipOf(const QString& path) {
    auto clip = std::make_shared<ClipRecord>();
    clip->URL = QUrl::fromLocalFile(path);
    clip->name = QFileInfo(path).fileName();
    clip->movie = openTestMovie(path);
    return clip;
}

QList<ClipRecordPtr> clipsOf(int count, const QString& media) {
    QList<ClipRecordPtr> clips;
    for (int i = 0; i < count; ++i)
        clips.append(clipOf(testMediaPath(media)));
    return clips;
}

// One playlist: its settings, its clips and selection, and its playback with a headless player. The
// first clip is selected, as a window selects it when it loads.
class Rig {
public:
    explicit Rig(QList<ClipRecordPtr> list, const std::function<void(PlaylistSettings&)>& setup = {})
        : clips(std::move(list)) {
        settings.setDefaults();
        if (setup)
            setup(settings);
        playback = std::make_unique<PlaylistPlayback>(PlaylistPlayback::ClipList{
            [this] { return clips; }, [this] { return selection; }, [this](int row) { select({row}); },
            [this](int row) { changedRows.append(row); }});
        playback->setSettings(&settings);
        MpvPlayer::CreateResult created = MpvPlayer::create({/*renderApi=*/false, /*audioOutput=*/false});
        EXPECT_TRUE(created) << created.error.toStdString();
        playback->setPlayer(std::move(created.player));
        // What the window does when the list runs out.
        QObject::connect(playback.get(), &PlaylistPlayback::ranOut, playback.get(), [this](bool close) {
            ranOut.append(close);
            playback->stop();
        });
        QObject::connect(
            playback.get(), &PlaylistPlayback::transportEvent, playback.get(),
            [this](const QString& event, int row) { events.append(event + QString::number(row)); });
        select({0});
    }

    // As the clip table does: selecting what is selected already tells nobody.
    void select(const QList<int>& rows) {
        if (rows == selection)
            return;
        selection = rows;
        selections.append(rows.value(0, -1));
        playback->selectionDidChange();
        if (afterSelection)
            afterSelection();
    }
    MpvPlayer& player() const { return *playback->player(); }
    std::shared_ptr<Movie> movieAt(int row) const { return clips.at(row)->movie; }

    PlaylistSettings settings;
    QList<ClipRecordPtr> clips;
    QList<int> selection;
    QList<int> selections;
    QList<int> changedRows;
    QList<bool> ranOut;
    QStringList events;
    std::function<void()> afterSelection;
    std::unique_ptr<PlaylistPlayback> playback;
};

} // namespace

TEST(PlaylistPlaybackTest, TheSelectedAndThePreparedClipCarryThePlaylistsVolumeMutingAndSpeed) {
    Rig rig(clipsOf(3, "clip-1s.mp4"), [](PlaylistSettings& s) {
        s.setValue("volume", TypedNumber::float32(0.5f));
        s.setValue("speed", TypedNumber::float32(1.5f));
        s.setValue("muted", TypedNumber::boolean(true));
    });
    // The first selected clip is current, loaded paused with them; the next one is prepared with them.
    EXPECT_EQ(rig.playback->currentMovie(), rig.movieAt(0));
    EXPECT_EQ(rig.playback->state(), PlaylistPlayback::State::Stopped);
    WAIT_UNTIL(rig.player().isReady() && rig.player().isNextPrepared(), Wait);
    EXPECT_TRUE(rig.player().isPaused());
    EXPECT_DOUBLE_EQ(rig.player().speed(), 1.5);
    EXPECT_DOUBLE_EQ(rig.player().engineVolume(), 0.0);
    const std::shared_ptr<Movie> next = rig.movieAt(1);
    EXPECT_EQ(rig.player().preparedMovie(), next);
    EXPECT_FLOAT_EQ(next->volume(), 0.0f);
    EXPECT_FLOAT_EQ(next->preferredRate(), 1.5f);

    // Unmuted after it was prepared: the switch brings the volume the movie has by then.
    rig.settings.setValue("muted", TypedNumber::boolean(false));
    rig.select({1}); // the prepared handle switched in: MpvPlayerTest
    EXPECT_EQ(rig.playback->currentMovie(), next);
    EXPECT_EQ(rig.player().movie(), next);
    WAIT_EQ(rig.player().engineVolume(), 50.0, Wait);
    rig.playback->play();
    WAIT_EQ(rig.player().speed(), 1.5, Wait);
    // Speed and mute set while it plays reach it at once.
    rig.settings.setValue("speed", TypedNumber::float32(0.5f));
    rig.settings.setValue("muted", TypedNumber::boolean(true));
    WAIT_EQ(rig.player().speed(), 0.5, Wait);
    WAIT_EQ(rig.player().engineVolume(), 0.0, Wait);

    // Extending the selection, or clearing it, leaves the current movie as it is.
    rig.playback->stop();
    rig.select({1, 2});
    EXPECT_EQ(rig.playback->currentMovie(), next);
    rig.select({0, 2});
    EXPECT_EQ(rig.playback->currentMovie(), rig.movieAt(0));
    rig.select({});
    EXPECT_EQ(rig.playback->currentMovie(), rig.movieAt(0));
    EXPECT_EQ(rig.events.filter("selection"), (QStringList{"selection0", "selection1", "selection0"}));
}

TEST(PlaylistPlaybackTest, LoopingPassesOverAMissingClipUntilItsFileIsBackAndASingleClipPlaysAgain) {
    QTemporaryDir dir;
    QList<ClipRecordPtr> clips;
    for (int i = 0; i < 3; ++i)
        clips.append(clipOf(copyTestMedia("clip-0.5s.mp4", dir.filePath(QStringLiteral("c%1.mp4").arg(i)))));
    const QString gone = dir.filePath("c1.mp4");
    ASSERT_TRUE(QFile::remove(gone));
    clips[1] = MissingClip::makeRecord(QUrl::fromLocalFile(gone), std::nullopt, std::nullopt,
                                       QUrl::fromLocalFile(gone), QStringLiteral("gone"));
    const auto looping = [](PlaylistSettings& s) { s.setValue("looping", TypedNumber::integer(1)); };
    Rig rig(clips, looping);
    Rig one(clipsOf(1, "clip-0.5s.mp4"), looping);
    rig.afterSelection = [&] {
        // The second time the last clip comes, the file is back (a drive mounted late).
        if (rig.selections.count(2) == 2 && !QFileInfo::exists(gone)) {
            EXPECT_TRUE(QFile::copy(testMediaPath("clip-0.5s.mp4"), gone));
        }
    };
    rig.playback->play();
    one.playback->play();
    WAIT_UNTIL(rig.selections.size() >= 6, 3 * Wait);
    rig.playback->stop();
    // Passed over on the first rounds, played on the next once its file was there.
    EXPECT_EQ(rig.selections.mid(0, 6), (QList<int>{0, 2, 0, 2, 0, 1}));
    EXPECT_FALSE(rig.clips[1]->isMissing());
    EXPECT_EQ(rig.changedRows, QList<int>{1});
    // The single clip played again each time.
    WAIT_UNTIL(one.events.count("movieDidEnd0") >= 3, Wait);
    EXPECT_TRUE(rig.ranOut.isEmpty() && one.ranOut.isEmpty());
    EXPECT_TRUE(one.playback->isPlaying());
    WAIT_UNTIL(!one.player().isPaused(), Wait);
}

TEST(PlaylistPlaybackTest, OnlyTheEndOfTheCurrentMovieMovesOn) {
    Rig rig(clipsOf(2, "clip-1s.mp4"));
    rig.playback->play();
    rig.events.clear();
    rig.playback->movieDidEnd(rig.movieAt(1));
    rig.playback->movieDidEnd(nullptr);
    rig.playback->movieDidEnd(clipOf(testMediaPath("clip-1s.mp4"))->movie);
    EXPECT_EQ(rig.selection, QList<int>{0});
    EXPECT_TRUE(rig.events.isEmpty());
    rig.playback->movieDidEnd(rig.movieAt(0));
    EXPECT_EQ(rig.selection, QList<int>{1});
    EXPECT_EQ(rig.events, (QStringList{"movieDidEnd0", "selection1"}));
}
