#include "app/mpris/MprisWindowChoice.h"

#include "app/OrvantaDocumentController.h"
#include "document/OrvantaDocument.h"
#include "document/PlaylistSettings.h"
#include "platform/media/MpvPlayer.h"
#include "playback/PlaylistPlayback.h"
#include "window/OrvantaWindowController.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QWindow>

MprisWindowChoice::MprisWindowChoice(OrvantaDocumentController& controller, QObject* parent)
    : QObject(parent) {
    connect(&controller, &OrvantaDocumentController::windowControllerMade, this, &MprisWindowChoice::follow);
    connect(&controller, &DocumentController::documentsChanged, this, &MprisWindowChoice::changed);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &MprisWindowChoice::focusWindowChanged);
    // Whatever changed, the chosen window's player may be another one now.
    connect(this, &MprisWindowChoice::changed, this, &MprisWindowChoice::watchTargetPlayer);
}

OrvantaWindowController* MprisWindowChoice::target() const {
    // A window whose playlist is closing is passed over.
    const auto usable = [](const QPointer<OrvantaWindowController>& wc) { return wc && wc->datasource(); };
    if (usable(m_lastPlayed))
        return m_lastPlayed;
    if (usable(m_lastInFront))
        return m_lastInFront;
    for (auto it = m_controllers.crbegin(); it != m_controllers.crend(); ++it) {
        if (usable(*it))
            return *it;
    }
    return nullptr;
}

void MprisWindowChoice::follow(OrvantaWindowController* controller) {
    m_controllers.removeAll(nullptr);
    m_controllers.append(controller);
    PlaylistPlayback* playback = controller->playback();
    connect(playback, &PlaylistPlayback::stateChanged, this,
            [this, wc = QPointer<OrvantaWindowController>(controller)](PlaylistPlayback::State state) {
                if (state == PlaylistPlayback::State::Playing && wc)
                    m_lastPlayed = wc;
                emit changed();
            });
    connect(playback, &PlaylistPlayback::currentMovieChanged, this, &MprisWindowChoice::changed);
    if (OrvantaDocument* playlist = controller->datasource()) {
        connect(playlist, &OrvantaDocument::clipsChanged, this, &MprisWindowChoice::changed);
        connect(playlist->settings(), &PlaylistSettings::valueChanged, this, &MprisWindowChoice::changed);
    }
    // Gone: another window may be the one chosen now.
    connect(controller, &QObject::destroyed, this, &MprisWindowChoice::changed, Qt::QueuedConnection);
    emit changed();
}

void MprisWindowChoice::focusWindowChanged(QWindow* window) {
    if (!window)
        return;
    for (const QPointer<OrvantaWindowController>& wc : std::as_const(m_controllers)) {
        if (wc && wc->isWindowLoaded() && wc->window()->windowHandle() == window) {
            if (m_lastInFront != wc) {
                m_lastInFront = wc;
                emit changed();
            }
            return;
        }
    }
}

void MprisWindowChoice::watchTargetPlayer() {
    OrvantaWindowController* wc = target();
    MpvPlayer* player = wc ? wc->player() : nullptr;
    if (m_watchedPlayer == player && (player || m_playerConnections.isEmpty()))
        return;
    for (const QMetaObject::Connection& connection : std::as_const(m_playerConnections))
        disconnect(connection);
    m_playerConnections.clear();
    m_watchedPlayer = player;
    m_readyMovie.reset();
    m_seekPending = m_seekRequested = false;
    if (!player)
        return;
    // The player is ready after loading a movie and after each seek; the position comes after. A movie
    // switched in from the other handle is ready at once, and only its seeks make it ready again.
    m_playerConnections.append(
        connect(player, &MpvPlayer::movieChanged, this, [this, player](const std::shared_ptr<Movie>& movie) {
            m_readyMovie = player->isReady() ? movie : std::weak_ptr<Movie>();
            m_seekPending = m_seekRequested = false;
        }));
    m_playerConnections.append(
        connect(player, &MpvPlayer::movieReady, this, [this](const std::shared_ptr<Movie>& movie) {
            if (movie && (m_readyMovie.lock() == movie || m_seekRequested))
                m_seekPending = true;
            m_seekRequested = false;
            m_readyMovie = movie;
        }));
    m_playerConnections.append(connect(player, &MpvPlayer::positionChanged, this, [this](double seconds) {
        if (!m_seekPending)
            return;
        m_seekPending = false;
        emit seeked(seconds);
    }));
}
