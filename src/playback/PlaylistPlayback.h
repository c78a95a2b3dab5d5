#pragma once

#include "document/ClipRecord.h"
#include "platform/media/MovieTime.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class Movie;
class MpvPlayer;
class PlaylistSettings;

// The transport of one playlist: its player, the current clip and the one prepared to follow it, and an
// explicit state (Stopped, Playing, Paused) with, separately, where the playlist shows (Preview or
// Output). What comes next and what the end of a clip does are Sequencing's decisions; this object
// carries them out.
//
// It never chooses the current clip itself: the current clip is the first selected one of the clip
// list it is given. The end of a clip asks the list to select the next row; the list's selection
// handler then calls selectionDidChange, which makes that clip current and, while playing, starts it.
// While a clip is current, the clip the end of it moves on to waits on the player's second handle,
// paused on its first frame with the playlist's volume and speed, so that making it current switches at
// once. Missing clips are passed over; each one on the way is tried again when the next clip is
// prepared (a stat each), so a clip whose file has come back plays when its turn comes.
//
// A clip the player cannot load or play (current or prepared) is marked failed until it plays again,
// reported (movieFailed), and passed over until another clip has played: the current one's failure
// moves on as its end would. It is tried again when its turn next comes. A looping playlist whose clips
// have all failed since one last played stops (everyClipFailed) instead of trying them over and over.
//
// Widget-free. Main thread only. The player is handed over by whoever attached its video output, and
// must be let go (releasePlayer) after the views showing it and before the application object.
class PlaylistPlayback : public QObject {
    Q_OBJECT
public:
    enum class State { Stopped, Playing, Paused };
    Q_ENUM(State)
    enum class Where { Preview, Output };
    Q_ENUM(Where)

    // The clip list played: its clips in playing order, its selected rows (ascending), a way to select
    // one row, and a way to show that a missing clip's file came back (its row and the total time).
    struct ClipList {
        std::function<QList<ClipRecordPtr>()> clips;
        std::function<QList<int>()> selectedRows;
        std::function<void(int row)> selectRow;
        std::function<void(int row)> clipDidChange;
    };

    explicit PlaylistPlayback(ClipList clipList, QObject* parent = nullptr);
    ~PlaylistPlayback() override;

    // The playlist's volume, muting, speed, looping and closing settings; followed as they change.
    void setSettings(PlaylistSettings* settings);
    void setPlayer(std::unique_ptr<MpvPlayer> player);
    // Detaches the current movie (its state is written back) and destroys the player.
    void releasePlayer();
    MpvPlayer* player() const { return m_player.get(); }

    State state() const { return m_state; }
    bool isPlaying() const { return m_state == State::Playing; }
    Where where() const { return m_where; }
    void setWhere(Where where) { m_where = where; }
    // Stopped, in the preview; the player and the current movie are left as they are.
    void reset();

    std::shared_ptr<Movie> currentMovie() const { return m_currentMovie; }
    // The movie the end of the current one moves on to; null when playing would stop there. Missing
    // clips are passed over (this query does not try their files again; preparing does).
    std::shared_ptr<Movie> movieThatComesNext() const;
    // Seconds into the current movie, as the player last reported it (0 without one).
    double currentTime() const;

    // With a missing clip selected and nothing current: makes that clip current if its file has come
    // back, or else selects the clip that comes after it. False when no clip can play.
    bool leaveMissingSelection();
    void play();
    void pause();
    // Stops and rewinds.
    void stop();
    void scrub(float fraction);
    void setVolume(float volume);
    void setSpeed(float rate);

    // The clip list's selection changed: the first selected clip becomes current (unless it is the
    // current one already, or it is missing while another plays) and starts while playing.
    void selectionDidChange();
    // The clips were reordered, removed or added: what comes next is prepared again.
    void clipsDidChange();
    // The end of a movie; only the end of the current one moves anything.
    void movieDidEnd(const std::shared_ptr<Movie>& movie);
    // The player could not load or play a movie of the list (the current one or the prepared one).
    void movieDidFail(const std::shared_ptr<Movie>& movie, const QString& message);

    // Sends transportEvent about the current clip.
    void announce(const QString& event);

    // The rows a step forward and a step back go to from the selection, as the sequencing chooses them
    // (looping wraps; clips that cannot play are passed over, a missing clip's file tried again first
    // when reopenMissing is set); -1 when there is none.
    int rowAfterSelection(bool reopenMissing);
    int rowBeforeSelection(bool reopenMissing);

signals:
    void stateChanged(PlaylistPlayback::State state);
    // Another movie (or none) became current.
    void currentMovieChanged(std::shared_ptr<Movie> movie);
    // "selection", "play", "pause", "stop", "movieDidEnd" and what announce is given, with the current
    // clip's row (-1: none), name and file.
    void transportEvent(const QString& event, int row, const QString& clip, const QString& path);
    // The last clip ended and nothing follows: whoever shows the playlist stops it (stop()), and closes
    // it when closeWhenFinished is set.
    void ranOut(bool closeWhenFinished);
    // A clip of the list could not be loaded or played (the player's message).
    void movieFailed(int row, const QString& clip, const QString& path, const QString& message);
    // Playing a looping list stopped because every clip failed since one last played (or is missing):
    // whoever shows the playlist stops it and says so, naming the files.
    void everyClipFailed(const QStringList& files);

private:
    void setState(State state);
    bool looping() const;
    // The current movie's volume: the setting's, or none while muted.
    float effectiveVolume(float volume) const;
    void applyVolumeSetting();
    void applySpeedSetting();
    int rowOfCurrentMovie(const QList<ClipRecordPtr>& clips) const;
    // Whether the row's clip has a movie to play. A missing clip's file is tried again first when
    // reopenMissing is set.
    bool rowCanPlay(const QList<ClipRecordPtr>& clips, int row, bool reopenMissing);
    // Prepares what comes next now, or a moment after the current movie changed (its own first frame
    // goes first).
    void nextClipFollowsSelection();
    void prepareNextClipAfter(int milliseconds);
    void prepareNextClip();
    // The movie loaded or played: it is failed no more, and the clips that failed since a clip last
    // played are tried again when their turn comes.
    void moviePlayed(const std::shared_ptr<Movie>& movie);
    bool failedInThisRound(const std::shared_ptr<Movie>& movie) const;
    // Whether the row's clip can play and has not failed since a clip last played.
    bool rowCanPlayInThisRound(const QList<ClipRecordPtr>& clips, int row, bool reopenMissing);
    int rowOfMovie(const QList<ClipRecordPtr>& clips, const std::shared_ptr<Movie>& movie) const;

    ClipList m_clipList;
    QPointer<PlaylistSettings> m_settings;
    std::unique_ptr<MpvPlayer> m_player;
    std::shared_ptr<Movie> m_currentMovie;
    State m_state = State::Stopped;
    Where m_where = Where::Preview;
    QTimer m_nextClipTimer;
    // The current movie when the next clip was last scheduled.
    std::weak_ptr<Movie> m_nextClipBasis;
    // The movies that failed since a clip last played.
    std::vector<std::weak_ptr<Movie>> m_failedInThisRound;
};
