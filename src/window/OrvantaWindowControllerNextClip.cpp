// The next clip: while a clip is current, the player keeps the clip that the end of it moves on to
// loaded on its second handle, paused on its first frame with the playlist's volume and speed, so that
// the selection handler's attach switches to it at once. Whatever changes what comes next (an edit of
// the clips, the looping setting, the selection) prepares it again. Clips whose file is missing are
// passed over; each one on the way is tried again when the next clip is prepared (a stat each, about
// 5 ms for a thousand), so a clip whose file has come back plays when its turn comes.
#include "window/OrvantaWindowController.h"

#include "document/MissingClip.h"
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

int OrvantaWindowController::nextPlayableRow(int rowCount, int from, bool looping,
                                             const std::function<bool(int row)>& canPlay) {
    from = std::min(from, rowCount - 1);
    for (int row = std::max(from + 1, 0); row < rowCount; ++row) {
        if (canPlay(row))
            return row;
    }
    if (!looping)
        return -1;
    for (int row = 0; row <= from; ++row) {
        if (canPlay(row))
            return row;
    }
    return -1;
}

int OrvantaWindowController::rowThatComesNext(const std::function<bool(int row)>& canPlay) const {
    if (!m_clipsController)
        return -1;
    const QList<int> selected = m_clipsController->selectionIndexes();
    const PlaylistSettings* settings = m_datasource ? m_datasource->settings() : nullptr;
    // As ClipsController::selectNext moves, then from the first row when looping.
    return nextPlayableRow(int(m_clipsController->arrangedObjects().size()),
                           selected.isEmpty() ? -1 : selected.last(), settings && settings->looping() != 0,
                           canPlay);
}

bool OrvantaWindowController::rowCanPlay(int row, bool reopenMissing) {
    const QList<ClipRecordPtr>& clips = m_clipsController->arrangedObjects();
    if (row < 0 || row >= clips.size() || !clips[row])
        return false;
    ClipRecord& clip = *clips[row];
    if (clip.movie)
        return true;
    if (!reopenMissing || !clip.isMissing() || !MissingClip::reopen(clip))
        return false;
    m_clipsController->objectDidChangeAtArrangedObjectIndex(row);
    refreshTotalTime();
    return true;
}

std::shared_ptr<Movie> OrvantaWindowController::movieThatComesNext() const {
    if (!m_clipsController || !m_currentMovie)
        return nullptr;
    const QList<ClipRecordPtr>& clips = m_clipsController->arrangedObjects();
    const int row = rowThatComesNext([&clips](int r) { return clips[r] && clips[r]->movie; });
    return row < 0 ? nullptr : clips[row]->movie;
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
    // Missing clips on the way are tried now, well before their turn: one whose file is back is
    // opened here and prepared like any other.
    std::shared_ptr<Movie> next;
    if (m_currentMovie && m_clipsController) {
        const int row = rowThatComesNext([this](int r) { return rowCanPlay(r, true); });
        if (row >= 0)
            next = m_clipsController->arrangedObjects()[row]->movie;
    }
    if (next && next != m_currentMovie && m_datasource) {
        // What the selection handler gives a movie that becomes current.
        const PlaylistSettings* settings = m_datasource->settings();
        next->setVolume(effectiveVolume(settings->volume()));
        next->setPreferredRate(settings->speed());
    }
    // The current movie itself (a playlist of one, looping) needs nothing prepared: it plays again.
    m_player->prepareNext(next);
}
