#include "playback/PlaylistPlayback.h"

#include "document/MissingClip.h"
#include "document/PlaylistSettings.h"
#include "platform/media/Movie.h"
#include "platform/media/MpvPlayer.h"
#include "playback/Sequencing.h"

#include <QScopeGuard>
#include <algorithm>

PlaylistPlayback::PlaylistPlayback(ClipList clipList, QObject* parent)
    : QObject(parent)
    , m_clipList(std::move(clipList)) {
    m_nextClipTimer.setSingleShot(true);
    connect(&m_nextClipTimer, &QTimer::timeout, this, &PlaylistPlayback::prepareNextClip);
}

PlaylistPlayback::~PlaylistPlayback() {
    releasePlayer();
}

void PlaylistPlayback::setSettings(PlaylistSettings* settings) {
    if (m_settings)
        disconnect(m_settings, nullptr, this, nullptr);
    m_settings = settings;
    if (!settings)
        return;
    connect(settings, &PlaylistSettings::valueChanged, this, [this](const QString& key) {
        // Also settings changed elsewhere (the file read again after another program changed it) reach
        // the clip playing.
        if (key == QLatin1String("muted") || key == QLatin1String("volume"))
            applyVolumeSetting();
        else if (key == QLatin1String("speed"))
            applySpeedSetting();
        else if (key == QLatin1String("looping"))
            prepareNextClipAfter(0);
    });
}

void PlaylistPlayback::setPlayer(std::unique_ptr<MpvPlayer> player) {
    releasePlayer();
    m_player = std::move(player);
    if (!m_player)
        return;
    // Queued: the end is taken from the event loop, never from inside the player, since it may close
    // the playlist and with it the player.
    connect(m_player.get(), &MpvPlayer::movieDidEnd, this, &PlaylistPlayback::movieDidEnd,
            Qt::QueuedConnection);
    connect(m_player.get(), &MpvPlayer::movieFailed, this, &PlaylistPlayback::movieDidFail,
            Qt::QueuedConnection);
    // Loaded and positioned, or prepared and switched in: the file plays.
    connect(m_player.get(), &MpvPlayer::movieReady, this, &PlaylistPlayback::moviePlayed);
    connect(m_player.get(), &MpvPlayer::nextPrepared, this, &PlaylistPlayback::moviePlayed);
    connect(m_player.get(), &MpvPlayer::movieChanged, this, [this](const std::shared_ptr<Movie>& movie) {
        if (m_player && m_player->isReady())
            moviePlayed(movie);
    });
}

void PlaylistPlayback::releasePlayer() {
    if (!m_player)
        return;
    disconnect(m_player.get(), nullptr, this, nullptr);
    m_player->detach();
    m_player.reset();
}

void PlaylistPlayback::setState(State state) {
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void PlaylistPlayback::reset() {
    setState(State::Stopped);
    m_where = Where::Preview;
}

bool PlaylistPlayback::looping() const {
    return m_settings && m_settings->looping() != 0;
}

float PlaylistPlayback::effectiveVolume(float volume) const {
    return m_settings && m_settings->muted() ? 0.0f : volume;
}

double PlaylistPlayback::currentTime() const {
    if (!m_currentMovie)
        return 0.0;
    return m_player && m_player->movie() == m_currentMovie ? m_player->position()
                                                           : m_currentMovie->currentTime();
}

bool PlaylistPlayback::leaveMissingSelection() {
    if (m_currentMovie)
        return true;
    const QList<int> selected = m_clipList.selectedRows();
    const QList<ClipRecordPtr> clips = m_clipList.clips();
    if (selected.isEmpty() || selected.first() >= clips.size())
        return true;
    const ClipRecordPtr& clip = clips[selected.first()];
    if (!clip || !clip->isMissing())
        return true;
    if (rowCanPlay(clips, selected.first(), true)) {
        selectionDidChange();
        return true;
    }
    const int next = Sequencing::rowThatComesNext(selected, int(clips.size()), looping(),
                                                  [&](int row) { return rowCanPlay(clips, row, true); });
    if (next < 0)
        return false;
    m_clipList.selectRow(next);
    return true;
}

void PlaylistPlayback::play() {
    // Playing tries every clip again; a current one that failed is loaded again first.
    m_failedInThisRound.clear();
    if (m_player && m_currentMovie) {
        const QList<ClipRecordPtr> clips = m_clipList.clips();
        const int row = rowOfCurrentMovie(clips);
        if (row >= 0 && clips[row]->playFailure && !m_player->isReady()) {
            m_player->detach();
            m_player->attach(m_currentMovie);
        }
    }
    if (m_player)
        m_player->play();
    setState(State::Playing);
    announce(QStringLiteral("play"));
}

void PlaylistPlayback::pause() {
    if (m_player)
        m_player->stop();
    setState(State::Paused);
    announce(QStringLiteral("pause"));
}

void PlaylistPlayback::stop() {
    if (m_player) {
        m_player->stop();
        m_player->gotoBeginning();
    }
    setState(State::Stopped);
    announce(QStringLiteral("stop"));
}

void PlaylistPlayback::scrub(float fraction) {
    if (!m_currentMovie || !m_player)
        return;
    m_player->setCurrentTime(Sequencing::scrubTime(m_currentMovie->duration(), fraction).seconds());
}

void PlaylistPlayback::setVolume(float volume) {
    if (m_player && m_currentMovie)
        m_player->setVolume(effectiveVolume(volume));
}

void PlaylistPlayback::setSpeed(float rate) {
    if (!m_currentMovie)
        return;
    m_currentMovie->setPreferredRate(rate);
    if (isPlaying() && m_player)
        m_player->setRate(rate);
}

void PlaylistPlayback::applyVolumeSetting() {
    if (!m_settings || !m_currentMovie)
        return;
    const float volume = effectiveVolume(m_settings->volume());
    m_currentMovie->setVolume(volume);
    if (m_player)
        m_player->setVolume(volume);
}

void PlaylistPlayback::applySpeedSetting() {
    if (!m_settings || !m_currentMovie)
        return;
    const float rate = m_settings->speed();
    m_currentMovie->setPreferredRate(rate);
    if (isPlaying() && m_player)
        m_player->setRate(rate);
}

void PlaylistPlayback::selectionDidChange() {
    // Whatever the selection did, what comes next may have changed.
    const auto prepareNext = qScopeGuard([this] { nextClipFollowsSelection(); });
    const QList<int> rows = m_clipList.selectedRows();
    const QList<ClipRecordPtr> clips = m_clipList.clips();
    if (rows.isEmpty() || rows.first() >= clips.size() || !clips[rows.first()])
        return;
    const ClipRecordPtr& selected = clips[rows.first()];
    // Chosen by the user (sequencing passes missing clips over): its file is tried again at once. While
    // one plays, it carries on, and the clip after the missing one follows it.
    if (selected->isMissing() && !rowCanPlay(clips, rows.first(), true) && isPlaying() && m_currentMovie)
        return;
    if (selected->movie == m_currentMovie)
        return;
    m_currentMovie = selected->movie;
    if (m_currentMovie && m_settings) {
        m_currentMovie->setVolume(effectiveVolume(m_settings->volume()));
        m_currentMovie->setPreferredRate(m_settings->speed());
    }
    // The previous movie stops where it is; the new one is loaded paused with its volume and rate (or
    // switched in at once when it is the prepared one).
    if (m_player)
        m_player->attach(m_currentMovie);
    emit currentMovieChanged(m_currentMovie);
    announce(QStringLiteral("selection"));
    if (isPlaying() && m_player)
        m_player->play();
}

void PlaylistPlayback::clipsDidChange() {
    prepareNextClipAfter(0);
}

void PlaylistPlayback::movieDidEnd(const std::shared_ptr<Movie>& movie) {
    // Another playlist's movie, or a movie that is no longer current here, moves nothing.
    const std::shared_ptr<Movie> ended = m_currentMovie;
    if (!ended || movie != ended)
        return;
    announce(QStringLiteral("movieDidEnd"));
    // Ready to start from its beginning the next time it plays.
    if (m_player)
        m_player->gotoBeginning();
    ended->gotoBeginning();
    // Missing clips are passed over without trying their files: that was done when this next clip was
    // prepared, so the switch waits for no file system.
    const QList<ClipRecordPtr> clips = m_clipList.clips();
    const Sequencing::End end =
        Sequencing::endOfClip(m_clipList.selectedRows(), rowOfCurrentMovie(clips), int(clips.size()),
                              looping(), m_settings && m_settings->closeWhenFinished(),
                              [&](int row) { return rowCanPlayInThisRound(clips, row, false); });
    switch (end.action) {
    case Sequencing::EndAction::Next:
    case Sequencing::EndAction::LoopToFirst:
    case Sequencing::EndAction::ReplaySingle:
        // The selection handler makes the row's clip current and starts it; the one clip that stays
        // current is started again here.
        m_clipList.selectRow(end.row);
        if (m_currentMovie == ended && isPlaying() && m_player)
            m_player->play();
        ended->gotoBeginning();
        return;
    case Sequencing::EndAction::Stop:
    case Sequencing::EndAction::StopAndClose:
    case Sequencing::EndAction::AllFailed:
        emit ranOut(end.action == Sequencing::EndAction::StopAndClose);
        return;
    }
}

void PlaylistPlayback::movieDidFail(const std::shared_ptr<Movie>& movie, const QString& message) {
    const QList<ClipRecordPtr> clips = m_clipList.clips();
    const int row = rowOfMovie(clips, movie);
    if (row < 0)
        return;
    if (!failedInThisRound(movie))
        m_failedInThisRound.push_back(movie);
    ClipRecord& clip = *clips[row];
    clip.playFailure = QStringLiteral("“%1” could not be played: %2").arg(movie->path(), message);
    if (m_clipList.clipDidChange)
        m_clipList.clipDidChange(row);
    emit movieFailed(row, clip.name, movie->path(), message);
    if (movie != m_currentMovie) {
        // The prepared clip: the one after it waits in its place.
        prepareNextClipAfter(0);
        return;
    }
    if (!isPlaying())
        return;
    // Missing clips on the way are tried now: this is no seamless switch that a stat could delay.
    const Sequencing::End end =
        Sequencing::failureOfClip(m_clipList.selectedRows(), row, int(clips.size()), looping(),
                                  m_settings && m_settings->closeWhenFinished(),
                                  [&](int r) { return rowCanPlayInThisRound(clips, r, true); });
    switch (end.action) {
    case Sequencing::EndAction::Next:
    case Sequencing::EndAction::LoopToFirst:
    case Sequencing::EndAction::ReplaySingle:
        m_clipList.selectRow(end.row);
        return;
    case Sequencing::EndAction::Stop:
    case Sequencing::EndAction::StopAndClose:
        emit ranOut(end.action == Sequencing::EndAction::StopAndClose);
        return;
    case Sequencing::EndAction::AllFailed: {
        QStringList files;
        for (const ClipRecordPtr& each : clips) {
            if (each)
                files.append(each->movie ? each->movie->path() : MissingClip::displayedPath(each->URL));
        }
        emit everyClipFailed(files);
        return;
    }
    }
}

void PlaylistPlayback::moviePlayed(const std::shared_ptr<Movie>& movie) {
    if (!movie)
        return;
    const QList<ClipRecordPtr> clips = m_clipList.clips();
    const int row = rowOfMovie(clips, movie);
    if (row >= 0 && clips[row]->playFailure) {
        clips[row]->playFailure.reset();
        if (m_clipList.clipDidChange)
            m_clipList.clipDidChange(row);
    }
    if (movie != m_currentMovie || m_failedInThisRound.empty())
        return;
    // A new round: the clips that failed are tried again when their turn comes, which may be next.
    m_failedInThisRound.clear();
    prepareNextClipAfter(Sequencing::preparationDelayMs(movie->duration().seconds(), movie->currentTime(),
                                                        movie->preferredRate()));
}

bool PlaylistPlayback::failedInThisRound(const std::shared_ptr<Movie>& movie) const {
    return movie && std::any_of(m_failedInThisRound.cbegin(), m_failedInThisRound.cend(),
                                [&](const std::weak_ptr<Movie>& failed) { return failed.lock() == movie; });
}

bool PlaylistPlayback::rowCanPlayInThisRound(const QList<ClipRecordPtr>& clips, int row, bool reopenMissing) {
    return rowCanPlay(clips, row, reopenMissing) && !failedInThisRound(clips[row]->movie);
}

void PlaylistPlayback::announce(const QString& event) {
    int row = -1;
    QString clip;
    QString path;
    if (m_currentMovie) {
        const QList<ClipRecordPtr> clips = m_clipList.clips();
        row = rowOfCurrentMovie(clips);
        if (row >= 0) {
            clip = clips[row]->name;
            path = m_currentMovie->path();
        }
    }
    emit transportEvent(event, row, clip, path);
}

int PlaylistPlayback::rowOfCurrentMovie(const QList<ClipRecordPtr>& clips) const {
    return rowOfMovie(clips, m_currentMovie);
}

int PlaylistPlayback::rowOfMovie(const QList<ClipRecordPtr>& clips,
                                 const std::shared_ptr<Movie>& movie) const {
    if (!movie)
        return -1;
    for (int row = 0; row < clips.size(); ++row) {
        if (clips[row] && clips[row]->movie == movie)
            return row;
    }
    return -1;
}

bool PlaylistPlayback::rowCanPlay(const QList<ClipRecordPtr>& clips, int row, bool reopenMissing) {
    if (row < 0 || row >= clips.size() || !clips[row])
        return false;
    ClipRecord& clip = *clips[row];
    if (clip.movie)
        return true;
    if (!reopenMissing || !clip.isMissing() || !MissingClip::reopen(clip))
        return false;
    if (m_clipList.clipDidChange)
        m_clipList.clipDidChange(row);
    return true;
}

std::shared_ptr<Movie> PlaylistPlayback::movieThatComesNext() const {
    if (!m_currentMovie)
        return nullptr;
    const QList<ClipRecordPtr> clips = m_clipList.clips();
    const int row =
        Sequencing::rowThatComesNext(m_clipList.selectedRows(), int(clips.size()), looping(), [&](int r) {
            return clips[r] && clips[r]->movie && !failedInThisRound(clips[r]->movie);
        });
    return row < 0 ? nullptr : clips[row]->movie;
}

void PlaylistPlayback::nextClipFollowsSelection() {
    if (m_currentMovie && m_nextClipBasis.lock() != m_currentMovie)
        prepareNextClipAfter(Sequencing::preparationDelayMs(m_currentMovie->duration().seconds(),
                                                            m_currentMovie->currentTime(),
                                                            m_currentMovie->preferredRate()));
    else
        prepareNextClipAfter(0);
    m_nextClipBasis = m_currentMovie;
}

void PlaylistPlayback::prepareNextClipAfter(int milliseconds) {
    // An earlier request stands when it is due sooner.
    if (m_nextClipTimer.isActive() && m_nextClipTimer.remainingTime() <= milliseconds)
        return;
    m_nextClipTimer.start(milliseconds);
}

void PlaylistPlayback::prepareNextClip() {
    if (!m_player)
        return;
    // Missing clips on the way are tried now, well before their turn: one whose file is back is opened
    // here and prepared like any other.
    std::shared_ptr<Movie> next;
    if (m_currentMovie) {
        const QList<ClipRecordPtr> clips = m_clipList.clips();
        const int row =
            Sequencing::rowThatComesNext(m_clipList.selectedRows(), int(clips.size()), looping(),
                                         [&](int r) { return rowCanPlayInThisRound(clips, r, true); });
        if (row >= 0)
            next = clips[row]->movie;
    }
    if (next && next != m_currentMovie && m_settings) {
        // What selectionDidChange gives a movie that becomes current.
        next->setVolume(effectiveVolume(m_settings->volume()));
        next->setPreferredRate(m_settings->speed());
    }
    // The current movie itself (a playlist of one, looping) needs nothing prepared: it plays again.
    m_player->prepareNext(next);
}

int PlaylistPlayback::rowAfterSelection(bool reopenMissing) {
    const QList<ClipRecordPtr> clips = m_clipList.clips();
    return Sequencing::rowThatComesNext(m_clipList.selectedRows(), int(clips.size()), looping(),
                                        [&](int row) { return rowCanPlay(clips, row, reopenMissing); });
}

int PlaylistPlayback::rowBeforeSelection(bool reopenMissing) {
    const QList<ClipRecordPtr> clips = m_clipList.clips();
    return Sequencing::rowThatComesBefore(m_clipList.selectedRows(), int(clips.size()), looping(),
                                          [&](int row) { return rowCanPlay(clips, row, reopenMissing); });
}
