// The next clip: while a clip is current, the player keeps the clip that the end of it moves on to
// loaded on its second handle, paused on its first frame with the playlist's volume and speed, so that
// the selection handler's attach switches to it at once. Whatever changes what comes next (an edit of
// the clips, the looping setting, the selection) prepares it again.
#include "window/OrvantaWindowController.h"

#include "document/OrvantaDocument.h"
#include "platform/media/Movie.h"
#include "platform/media/MpvPlayer.h"
#include "window/ClipsController.h"

#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {

// Loading a file draws its first frame on the main thread; right after a switch that frame would compete
// with the first frames of the clip that just started, so the clip after it waits this long, or a
// quarter of what is left of the current clip when that is shorter.
constexpr int PrepareAfterSwitchMs = 1000;

int preparationDelayAfterSwitch(const Movie& current) {
    const double duration = current.duration().seconds();
    const double rate = current.preferredRate() > 0.0f ? double(current.preferredRate()) : 1.0;
    if (!(duration > 0.0))
        return PrepareAfterSwitchMs;
    const double remainingMs = std::max(0.0, duration - current.currentTime()) / rate * 1000.0;
    return int(std::min(double(PrepareAfterSwitchMs), std::floor(remainingMs / 4.0)));
}

} // namespace

std::shared_ptr<Movie> OrvantaWindowController::movieThatComesNext() const {
    if (!m_clipsController || !m_currentMovie)
        return nullptr;
    const QList<ClipRecordPtr>& clips = m_clipsController->arrangedObjects();
    const QList<int> selected = m_clipsController->selectionIndexes();
    // As ClipsController::selectNext moves, then the first row when looping.
    qsizetype row = selected.isEmpty() ? 0 : selected.last() + 1;
    if (row >= clips.size()) {
        const PlaylistSettings* settings = m_datasource ? m_datasource->settings() : nullptr;
        if (!settings || settings->looping() == 0 || clips.isEmpty())
            return nullptr;
        row = 0;
    }
    return clips[row] ? clips[row]->movie : nullptr;
}

void OrvantaWindowController::nextClipFollowsSelection() {
    if (!m_nextClipTimer)
        setupNextClip();
    if (m_currentMovie && m_nextClipBasis.lock() != m_currentMovie)
        prepareNextClipAfter(preparationDelayAfterSwitch(*m_currentMovie));
    else
        prepareNextClipAfter(0);
    m_nextClipBasis = m_currentMovie;
}

void OrvantaWindowController::setupNextClip() {
    m_nextClipTimer = new QTimer(this);
    m_nextClipTimer->setSingleShot(true);
    connect(m_nextClipTimer, &QTimer::timeout, this, [this] { prepareNextClip(); });
    if (m_clipsController) {
        // Reordering, insertion, removal and drops all arrive as one change of the arranged clips.
        connect(m_clipsController.get(), &ClipsController::arrangedObjectsChanged, this,
                [this] { prepareNextClipAfter(0); });
    }
    if (m_datasource) {
        m_connections.push_back(connect(m_datasource->settings(), &PlaylistSettings::valueChanged, this,
                                        [this](const QString& key) {
                                            if (key == QLatin1String("looping"))
                                                prepareNextClipAfter(0);
                                        }));
    }
}

void OrvantaWindowController::prepareNextClipAfter(int milliseconds) {
    if (!m_nextClipTimer)
        return;
    // An earlier request stands when it is due sooner.
    if (m_nextClipTimer->isActive() && m_nextClipTimer->remainingTime() <= milliseconds)
        return;
    m_nextClipTimer->start(milliseconds);
}

void OrvantaWindowController::prepareNextClip() {
    if (!m_player)
        return;
    std::shared_ptr<Movie> next = movieThatComesNext();
    if (next && next != m_currentMovie && m_datasource) {
        // What the selection handler gives a movie that becomes current.
        const PlaylistSettings* settings = m_datasource->settings();
        next->setVolume(effectiveVolume(settings->volume()));
        next->setPreferredRate(settings->speed());
    }
    // The current movie itself (a playlist of one, looping) needs nothing prepared: it plays again.
    m_player->prepareNext(next);
}
