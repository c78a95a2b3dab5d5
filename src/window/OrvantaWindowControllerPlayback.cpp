// The transport: play, pause, stop, scrubbing, volume and speed, the play button's two faces, the time
// display, and the sequencing from one clip to the next when the current movie ends.
//
// The preview's player is made with the window. It plays the current movie, the movie of the first
// selected clip; the selection handler (OrvantaWindowControllerTableDelegate.cpp) attaches it.
#include "window/OrvantaWindowController.h"

#include "document/OrvantaDocument.h"
#include "platform/PlayLog.h"
#include "platform/Presenter.h"
#include "platform/TypedNumber.h"
#include "platform/media/Movie.h"
#include "platform/media/MovieTime.h"
#include "platform/media/MpvPlayer.h"
#include "platform/media/TimeDisplay.h"
#include "platform/notifications/NotificationCenter.h"
#include "platform/ui/VideoOutput.h"
#include "playback/ClickableMovieView.h"
#include "window/ClipsController.h"
#include "window/PlaylistWindow.h"

#include <QAbstractButton>
#include <QLabel>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <cmath>

namespace {

// ORVANTA_AUDIO=null plays without a sound device (tests, machines without one).
bool wantsAudioOutput() {
    return qEnvironmentVariable("ORVANTA_AUDIO") != QLatin1String("null");
}

} // namespace

void OrvantaWindowController::setupPlayer() {
    if (m_player)
        return;
    // The output window comes with the preview, with or without a player to show.
    const auto makeOutputWindow = qScopeGuard([this] { setupOutputWindow(); });
    MpvPlayer::CreateResult created = MpvPlayer::create({/*renderApi=*/true, wantsAudioOutput()});
    if (!created) {
        m_playerError = created.error;
        qWarning("orvanta: no player for the preview: %s", qPrintable(created.error));
        return;
    }
    const VideoOutput::Kind kind = VideoOutput::detect();
    // Renderers first: a file loaded without one never shows video.
    if (const VideoOutput::AttachResult attached = VideoOutput::attach(*created.player, kind); !attached) {
        m_playerError = attached.error;
        qWarning("orvanta: no video output for the preview: %s", qPrintable(attached.error));
        return;
    }
    m_player = std::move(created.player);
    m_previewMovieView->setVideoView(VideoOutput::createView(m_player.get(), kind));
    m_previewMovieView->setMovieSource([this] { return m_player ? m_player->movie() : nullptr; });
    connect(m_previewMovieView, &ClickableMovieView::playRequested, this, [this] { play(); });
    connect(m_previewMovieView, &ClickableMovieView::pauseRequested, this, [this] { pause(); });
    connect(m_previewMovieView, &ClickableMovieView::stopRequested, this, [this] { stop(); });

    // The end is posted from the event loop, never from inside the player: sequencing may close the
    // playlist, and with it the player.
    m_endConnection = connect(
        m_player.get(), &MpvPlayer::movieDidEnd, this,
        [](const std::shared_ptr<Movie>& movie) {
            NotificationCenter::defaultCenter().postNotificationName(
                NotificationCenter::MovieDidEndNotification,
                QVariant::fromValue(static_cast<void*>(movie.get())));
        },
        Qt::QueuedConnection);

    // The scrub slider moves the movie only when the user moves it; updateTimeRelatedViews sets it
    // with its signals blocked.
    connect(m_scrubSlider, &QSlider::valueChanged, this,
            [this](int value) { scrub(float(value) / float(m_scrubSlider->maximum())); });
    if (m_datasource) {
        m_connections.push_back(connect(
            m_datasource->settings(), &PlaylistSettings::valueChanged, this, [this](const QString& key) {
                // Also settings changed elsewhere (the file read again
                // after another program changed it) reach the clip playing.
                if (key == QLatin1String("muted") || key == QLatin1String("volume"))
                    applyVolumeSetting();
                else if (key == QLatin1String("speed"))
                    applySpeedSetting();
            }));
    }
}

void OrvantaWindowController::logEvent(const QString& event) const {
    PlayLog::Entry entry;
    entry.event = event;
    if (m_datasource)
        entry.playlist = m_datasource->displayName();
    if (m_currentMovie && m_clipsController) {
        const QList<ClipRecordPtr>& clips = m_clipsController->arrangedObjects();
        for (int row = 0; row < clips.size(); ++row) {
            if (clips[row] && clips[row]->movie == m_currentMovie) {
                entry.row = row;
                entry.clip = clips[row]->name;
                entry.path = m_currentMovie->path();
                break;
            }
        }
    }
    PlayLog::record(entry);
}

void OrvantaWindowController::tearDownPlayback() {
    if (m_window && m_datasource)
        logEvent(QStringLiteral("documentClosed"));
    removeMovieIdleCallback();
    disconnect(m_endConnection);
    disconnect(m_playButtonConnection);
    // The views show the player's frames: they go first.
    m_output->releaseOutputWindow();
    if (m_previewMovieView) {
        m_previewMovieView->setMovieSource({});
        m_previewMovieView->setVideoView(nullptr);
    }
    if (m_player) {
        m_player->detach();
        m_player.reset();
    }
}

bool OrvantaWindowController::leaveMissingSelection() {
    if (m_currentMovie || !m_clipsController)
        return true;
    const QList<int> selected = m_clipsController->selectionIndexes();
    if (selected.isEmpty())
        return true;
    const ClipRecordPtr clip = m_clipsController->arrangedObjects()[selected.first()];
    if (!clip || !clip->isMissing())
        return true;
    if (rowCanPlay(selected.first(), true)) {
        tableViewSelectionDidChange();
        return true;
    }
    const int next = rowThatComesNext([this](int row) { return rowCanPlay(row, true); });
    if (next < 0)
        return false;
    m_clipsController->setSelectionIndexes({next});
    return true;
}

void OrvantaWindowController::play() {
    // A missing clip cannot play: the one after it does, and with none that can, nothing starts.
    if (!leaveMissingSelection()) {
        Presenter::shared().beep();
        return;
    }
    if (!m_isPreviewPlayback) {
        m_output->presentForPlayback(m_window.get());
    } else {
        m_output->dismissForPreview();
        if (m_window) {
            m_window->raise();
            m_window->activateWindow();
        }
        if (m_previewMovieView)
            m_previewMovieView->setFocus(Qt::OtherFocusReason);
    }
    setupPauseButton();
    if (m_player)
        m_player->play();
    m_isPlaying = true;
    logEvent(QStringLiteral("play"));
}

void OrvantaWindowController::pause() {
    if (m_player)
        m_player->stop();
    m_isPlaying = false;
    setupPlayButton();
    logEvent(QStringLiteral("pause"));
}

void OrvantaWindowController::stop() {
    if (m_player) {
        m_player->stop();
        m_player->gotoBeginning();
    }
    m_isPlaying = false;
    setupPlayButton();
    m_output->dismissAfterStop(m_isPreviewPlayback);
    logEvent(QStringLiteral("stop"));
}

MovieTime OrvantaWindowController::scrubTime(const MovieTime& duration, float fraction) {
    const float product = float(duration.timeValue) * fraction;
    return MovieTime::make(static_cast<qint64>(std::trunc(product)), duration.timeScale);
}

void OrvantaWindowController::scrub(float fraction) {
    if (!m_currentMovie || !m_player)
        return;
    m_player->setCurrentTime(scrubTime(m_currentMovie->duration(), fraction).seconds());
}

float OrvantaWindowController::effectiveVolume(float volume) const {
    const bool muted = m_datasource && m_datasource->settings()->muted();
    return muted ? 0.0f : volume;
}

void OrvantaWindowController::applyVolumeSetting() {
    if (!m_datasource || !m_currentMovie)
        return;
    const float volume = effectiveVolume(m_datasource->settings()->volume());
    m_currentMovie->setVolume(volume);
    if (m_player)
        m_player->setVolume(volume);
}

void OrvantaWindowController::applySpeedSetting() {
    if (!m_datasource || !m_currentMovie)
        return;
    const float rate = m_datasource->settings()->speed();
    m_currentMovie->setPreferredRate(rate);
    if (m_isPlaying && m_player)
        m_player->setRate(rate);
}

void OrvantaWindowController::setVolume(float volume) {
    if (m_player && m_currentMovie)
        m_player->setVolume(effectiveVolume(volume));
    writeSetting(QStringLiteral("volume"), TypedNumber::float32(volume));
}

void OrvantaWindowController::setSpeed(float rate) {
    if (m_currentMovie) {
        m_currentMovie->setPreferredRate(rate);
        if (m_isPlaying && m_player)
            m_player->setRate(rate);
    }
    writeSetting(QStringLiteral("speed"), TypedNumber::float32(rate));
}

void OrvantaWindowController::resetSpeed() {
    if (m_currentMovie) {
        m_currentMovie->setPreferredRate(1.0f);
        if (m_isPlaying && m_player)
            m_player->setRate(1.0f);
    }
    writeSetting(QStringLiteral("speed"), TypedNumber::float32(1.0f));
}

void OrvantaWindowController::setupPlayButton() {
    if (!m_playButton)
        return;
    m_playButton->setChecked(false);
    m_playButton->setIcon(m_playButton->style()->standardIcon(QStyle::SP_MediaPlay));
    m_playButton->setToolTip(QStringLiteral("Play"));
    disconnect(m_playButtonConnection);
    m_playButtonConnection = connect(m_playButton, &QAbstractButton::clicked, this, [this] { play(); });
}

void OrvantaWindowController::setupPauseButton() {
    if (!m_playButton)
        return;
    m_playButton->setChecked(true);
    m_playButton->setIcon(m_playButton->style()->standardIcon(QStyle::SP_MediaPause));
    m_playButton->setToolTip(QStringLiteral("Pause"));
    disconnect(m_playButtonConnection);
    m_playButtonConnection = connect(m_playButton, &QAbstractButton::clicked, this, [this] { pause(); });
}

void OrvantaWindowController::movieDidEnd(const QVariant& movie) {
    // Another window's movie, or a movie that is no longer current here, moves nothing.
    const std::shared_ptr<Movie> ended = m_currentMovie;
    if (!ended || movie.value<void*>() != static_cast<void*>(ended.get()) || !m_clipsController)
        return;
    logEvent(QStringLiteral("movieDidEnd"));
    // 1. Ready to start from its beginning the next time it plays.
    if (m_player)
        m_player->gotoBeginning();
    ended->gotoBeginning();
    // 2-3. The next clip, or the first when looping; the selection handler makes it current and starts
    // it. Missing clips are passed over: their files were looked for when this next clip was prepared,
    // so the switch waits for no file system. A clip that is the only one able to play, looping, plays
    // again.
    const int next = rowThatComesNext([this](int row) { return rowCanPlay(row, false); });
    if (next >= 0) {
        m_clipsController->setSelectionIndexes({next});
        if (m_currentMovie == ended && m_isPlaying && m_player)
            m_player->play();
        ended->gotoBeginning();
        return;
    }
    const PlaylistSettings* settings = m_datasource ? m_datasource->settings() : nullptr;
    // 4-5. Run out.
    stop();
    if (settings && settings->closeWhenFinished()) {
        // Closing destroys this controller: it happens from the event loop, after this returns.
        QPointer<OrvantaDocument> document = m_datasource;
        QMetaObject::invokeMethod(
            document.data(),
            [document] {
                if (document)
                    document->close();
            },
            Qt::QueuedConnection);
    }
}

void OrvantaWindowController::installMovieIdleCallback() {
    if (!m_player || !m_currentMovie)
        return;
    disconnect(m_idleConnection);
    m_idleConnection =
        connect(m_player.get(), &MpvPlayer::positionChanged, this, [this] { updateTimeRelatedViews(); });
}

void OrvantaWindowController::removeMovieIdleCallback() {
    disconnect(m_idleConnection);
}

void OrvantaWindowController::updateTimeRelatedViews() {
    if (!m_timeDisplay || !m_scrubSlider)
        return;
    MovieTime time = MovieTime::make(0, 0);
    double fraction = 0.0;
    if (m_currentMovie) {
        const MovieTime duration = m_currentMovie->duration();
        const double seconds = m_player && m_player->movie() == m_currentMovie
                                   ? m_player->position()
                                   : m_currentMovie->currentTime();
        // The current time in the duration's own units, so both share one scale.
        time =
            MovieTime::make(qint64(std::llround(seconds * double(duration.timeScale))), duration.timeScale);
        if (duration.timeValue != 0)
            fraction = double(time.timeValue) / double(duration.timeValue);
    }
    const QString text = makeTimeDisplayFromQTTime(time);
    m_timeDisplay->setText(text);
    {
        const QSignalBlocker quiet(m_scrubSlider);
        m_scrubSlider->setValue(int(std::lround(fraction * m_scrubSlider->maximum())));
    }
    m_scrubSlider->setToolTip(text);
}

void OrvantaWindowController::setupFullscreenWindowFromSettings() {
    applyOutputMode();
}
