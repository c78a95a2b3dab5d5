// The clip table's side of the controller: the movie-file test and the reaction to its selection.
#include "window/OrvantaWindowController.h"

#include "document/OrvantaDocument.h"
#include "platform/media/Movie.h"
#include "platform/media/MovieFileType.h"
#include "platform/media/MpvPlayer.h"
#include "window/ClipsController.h"
#include "window/ClipsTableView.h"

#include <QScopeGuard>

bool OrvantaWindowController::isMovieURL(const QUrl& url) {
    return ::isMovieURL(url);
}

void OrvantaWindowController::tableViewSelectionDidChange() {
    if (!m_clipsController)
        return;
    // Whatever the selection did, what comes next may have changed.
    const auto prepareNext = qScopeGuard([this] { nextClipFollowsSelection(); });
    const QList<int> rows = m_clipsController->selectionIndexes();
    const QList<ClipRecordPtr> selected = m_clipsController->selectedObjects();
    if (selected.isEmpty() || !selected.first())
        return;
    if (selected.first()->isMissing()) {
        // Chosen by the user (sequencing passes missing clips over): its file is tried again at once.
        // While one plays, it carries on, and the clip after the missing one follows it.
        if (!rowCanPlay(rows.first(), true) && m_isPlaying && m_currentMovie)
            return;
    }
    std::shared_ptr<Movie> movie = selected.first()->movie;
    if (movie == m_currentMovie)
        return;
    removeMovieIdleCallback();
    m_currentMovie = std::move(movie);
    if (m_currentMovie && m_datasource) {
        const PlaylistSettings* settings = m_datasource->settings();
        m_currentMovie->setVolume(effectiveVolume(settings->volume()));
        m_currentMovie->setPreferredRate(settings->speed());
    }
    // The previous movie stops where it is; the new one is loaded paused with its volume and rate.
    if (m_player)
        m_player->attach(m_currentMovie);
    installMovieIdleCallback();
    logEvent(QStringLiteral("selection"));
    updateTimeRelatedViews();
    if (m_isPlaying && m_player)
        m_player->play();
}

QList<OrvantaWindowController::RowAction> OrvantaWindowController::tableViewRowActionsForRow(int, int edge) {
    if (edge != TrailingEdge || !m_datasource || m_datasource->isDynamicPlaylist())
        return {};
    RowAction remove;
    remove.title = QStringLiteral("Delete");
    remove.destructive = true;
    remove.handler = [this](int row) {
        auto* table = qobject_cast<ClipsTableView*>(m_clipsTable);
        if (!table)
            return;
        // The record goes once the row has slid away; until then it is still the controller's.
        table->slideUpRow(row, 1000, [this, row] {
            if (m_clipsController)
                m_clipsController->removeObjectsAtArrangedObjectIndexes({row});
        });
    };
    return {remove};
}
