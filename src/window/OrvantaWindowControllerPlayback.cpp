// The transport's side of the window: play, pause, stop, scrubbing, volume and speed as the window's
// controls and windows show them, the play button's two faces and the time display. What plays, what
// comes next and what the end of a clip does are PlaylistPlayback's.
//
// The preview's player is made with the window and handed to the playback. It plays the current movie,
// the movie of the first selected clip; the selection handler (OrvantaWindowControllerTableDelegate.cpp)
// makes it current.
#include "window/OrvantaWindowController.h"

#include "document/OrvantaDocument.h"
#include "platform/Presenter.h"
#include "platform/TypedNumber.h"
#include "platform/media/Movie.h"
#include "platform/media/MovieTime.h"
#include "platform/media/MpvPlayer.h"
#include "platform/media/TimeDisplay.h"
#include "platform/ui/VideoOutput.h"
#include "playback/ClickableMovieView.h"
#include "playback/Sequencing.h"
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

void OrvantaWindowController::makePlayback() {
    m_playback = std::make_unique<PlaylistPlayback>(PlaylistPlayback::ClipList{
        [this] { return m_clipsController ? m_clipsController->arrangedObjects() : QList<ClipRecordPtr>(); },
        [this] { return m_clipsController ? m_clipsController->selectionIndexes() : QList<int>(); },
        [this](int row) {
            if (m_clipsController)
                m_clipsController->setSelectionIndexes({row});
        },
        [this](int row) {
            if (m_clipsController)
                m_clipsController->objectDidChangeAtArrangedObjectIndex(row);
            if (m_view)
                m_view->refreshTotalTime();
        }});
    connect(m_playback.get(), &PlaylistPlayback::currentMovieChanged, this, [this] {
        removeMovieIdleCallback();
        installMovieIdleCallback();
        updateTimeRelatedViews();
    });
    connect(m_playback.get(), &PlaylistPlayback::ranOut, this, [this](bool closeWhenFinished) {
        stop();
        if (!closeWhenFinished)
            return;
        // Closing destroys this controller: it happens from the event loop, after the end is handled.
        QPointer<OrvantaDocument> document = m_datasource;
        QMetaObject::invokeMethod(
            document.data(),
            [document] {
                if (document)
                    document->close();
            },
            Qt::QueuedConnection);
    });
    connect(m_playback.get(), &PlaylistPlayback::everyClipFailed, this, [this](const QStringList& files) {
        stop();
        Presenter::shared().showAlert(
            QStringLiteral("Playback Stopped"),
            QStringLiteral("None of the clips of this playlist could be played:\n\n%1")
                .arg(files.join(u'\n')));
    });
}

void OrvantaWindowController::setupPlayer() {
    if (player())
        return;
    // Reordering, insertion, removal and drops all arrive as one change of the arranged clips.
    connect(m_clipsController.get(), &ClipsController::arrangedObjectsChanged, this,
            [this] { m_playback->clipsDidChange(); });
    m_playback->setSettings(m_datasource ? m_datasource->settings() : nullptr);
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
    m_playback->setPlayer(std::move(created.player));
    ClickableMovieView* preview = previewMovieView();
    preview->setVideoView(VideoOutput::createView(player(), kind));
    preview->setMovieSource([this] { return player() ? player()->movie() : nullptr; });
    connect(preview, &ClickableMovieView::playRequested, this, [this] { play(); });
    connect(preview, &ClickableMovieView::pauseRequested, this, [this] { pause(); });
    connect(preview, &ClickableMovieView::stopRequested, this, [this] { stop(); });

    // The scrub slider moves the movie only when the user moves it; updateTimeRelatedViews sets it
    // with its signals blocked.
    connect(scrubSlider(), &QSlider::valueChanged, this,
            [this](int value) { scrub(float(value) / float(scrubSlider()->maximum())); });
}

void OrvantaWindowController::tearDownPlayback() {
    if (m_view && m_datasource)
        m_playback->announce(QStringLiteral("documentClosed"));
    removeMovieIdleCallback();
    disconnect(m_playButtonConnection);
    // The views show the player's frames: they go first.
    m_output->releaseOutputWindow();
    if (ClickableMovieView* preview = previewMovieView()) {
        preview->setMovieSource({});
        preview->setVideoView(nullptr);
    }
    m_playback->releasePlayer();
}

void OrvantaWindowController::play() {
    // A missing clip cannot play: the one after it does, and with none that can, nothing starts.
    if (!m_playback->leaveMissingSelection()) {
        Presenter::shared().beep();
        return;
    }
    if (!isPreviewPlayback()) {
        m_output->presentForPlayback(loadedWindow());
    } else {
        m_output->dismissForPreview();
        if (m_view) {
            m_view->window()->raise();
            m_view->window()->activateWindow();
            m_view->previewMovieView()->setFocus(Qt::OtherFocusReason);
        }
    }
    setupPauseButton();
    m_playback->play();
}

void OrvantaWindowController::pause() {
    m_playback->pause();
    setupPlayButton();
}

void OrvantaWindowController::stop() {
    const bool outputShown = fullscreenWindow() && fullscreenWindow()->isVisible();
    m_playback->stop();
    setupPlayButton();
    m_output->dismissAfterStop(isPreviewPlayback());
    // The output went away: the playlist window comes back to the front and takes the keyboard.
    if (outputShown && !fullscreenWindow()->isVisible() && window()) {
        window()->raise();
        window()->activateWindow();
    }
}

MovieTime OrvantaWindowController::scrubTime(const MovieTime& duration, float fraction) {
    return Sequencing::scrubTime(duration, fraction);
}

void OrvantaWindowController::scrub(float fraction) {
    m_playback->scrub(fraction);
}

void OrvantaWindowController::setVolume(float volume) {
    m_playback->setVolume(volume);
    writeSetting(QStringLiteral("volume"), TypedNumber::float32(volume));
}

void OrvantaWindowController::setSpeed(float rate) {
    m_playback->setSpeed(rate);
    writeSetting(QStringLiteral("speed"), TypedNumber::float32(rate));
}

void OrvantaWindowController::writeSetting(const QString& key, const TypedNumber& value) {
    if (m_datasource)
        m_datasource->settings()->setValue(key, value);
}

void OrvantaWindowController::resetSpeed() {
    setSpeed(1.0f);
}

void OrvantaWindowController::setLooping(bool looping) {
    writeSetting(QStringLiteral("looping"), TypedNumber::integer(looping ? 1 : 0));
}

bool OrvantaWindowController::selectNextClip() {
    const int row = m_playback->rowAfterSelection(true);
    if (row < 0 || !m_clipsController)
        return false;
    m_clipsController->setSelectionIndexes({row});
    return true;
}

bool OrvantaWindowController::selectPreviousClip() {
    const int row = m_playback->rowBeforeSelection(true);
    if (row < 0 || !m_clipsController)
        return false;
    m_clipsController->setSelectionIndexes({row});
    return true;
}

void OrvantaWindowController::setupPlayButton() {
    QAbstractButton* button = playButton();
    if (!button)
        return;
    button->setChecked(false);
    button->setIcon(button->style()->standardIcon(QStyle::SP_MediaPlay));
    button->setToolTip(QStringLiteral("Play"));
    disconnect(m_playButtonConnection);
    m_playButtonConnection = connect(button, &QAbstractButton::clicked, this, [this] { play(); });
}

void OrvantaWindowController::setupPauseButton() {
    QAbstractButton* button = playButton();
    if (!button)
        return;
    button->setChecked(true);
    button->setIcon(button->style()->standardIcon(QStyle::SP_MediaPause));
    button->setToolTip(QStringLiteral("Pause"));
    disconnect(m_playButtonConnection);
    m_playButtonConnection = connect(button, &QAbstractButton::clicked, this, [this] { pause(); });
}

void OrvantaWindowController::movieDidEnd(const std::shared_ptr<Movie>& movie) {
    m_playback->movieDidEnd(movie);
}

void OrvantaWindowController::installMovieIdleCallback() {
    if (!player() || !currentMovie())
        return;
    disconnect(m_idleConnection);
    m_idleConnection =
        connect(player(), &MpvPlayer::positionChanged, this, [this] { updateTimeRelatedViews(); });
}

void OrvantaWindowController::removeMovieIdleCallback() {
    disconnect(m_idleConnection);
}

void OrvantaWindowController::updateTimeRelatedViews() {
    if (!m_view)
        return;
    MovieTime time = MovieTime::make(0, 0);
    double fraction = 0.0;
    if (const std::shared_ptr<Movie> movie = currentMovie()) {
        const MovieTime duration = movie->duration();
        const double seconds = m_playback->currentTime();
        // The current time in the duration's own units, so both share one scale.
        time =
            MovieTime::make(qint64(std::llround(seconds * double(duration.timeScale))), duration.timeScale);
        if (duration.timeValue != 0)
            fraction = double(time.timeValue) / double(duration.timeValue);
    }
    const QString text = makeTimeDisplayFromQTTime(time);
    m_view->timeDisplay()->setText(text);
    QSlider* slider = m_view->scrubSlider();
    {
        const QSignalBlocker quiet(slider);
        slider->setValue(int(std::lround(fraction * slider->maximum())));
    }
    slider->setToolTip(text);
}

void OrvantaWindowController::setupFullscreenWindowFromSettings() {
    applyOutputMode();
}
