// The clip table's side of the controller: the movie-file test and the reaction to its selection.
#include "window/OrvantaWindowController.h"

#include "document/OrvantaDocument.h"
#include "platform/media/MovieFileType.h"
#include "window/ClipsController.h"
#include "window/ClipsTableView.h"

bool OrvantaWindowController::isMovieURL(const QUrl& url) {
    return ::isMovieURL(url);
}

void OrvantaWindowController::tableViewSelectionDidChange() {
    // The first selected clip becomes current (and starts while playing); the time display follows it.
    if (m_clipsController)
        m_playback->selectionDidChange();
}

QList<OrvantaWindowController::RowAction> OrvantaWindowController::tableViewRowActionsForRow(int, int edge) {
    if (edge != TrailingEdge || !m_datasource || m_datasource->isDynamicPlaylist())
        return {};
    RowAction remove;
    remove.title = QStringLiteral("Delete");
    remove.destructive = true;
    remove.handler = [this](int row) {
        auto* table = qobject_cast<ClipsTableView*>(clipsTable());
        if (!table)
            return;
        if (!m_clipsController || row < 0 || row >= m_clipsController->arrangedObjects().size())
            return;
        // The record goes once the row has slid away; until then it is still the controller's. The clip
        // is remembered rather than its row: other edits during the slide move it.
        const ClipRecordPtr clip = m_clipsController->arrangedObjects().at(row);
        table->slideUpRow(row, 1000, [this, clip] {
            if (!m_clipsController)
                return;
            if (const qsizetype at = m_clipsController->arrangedObjects().indexOf(clip); at >= 0)
                m_clipsController->removeObjectsAtArrangedObjectIndexes({int(at)});
        });
    };
    return {remove};
}
