// The clip table's drag and drop: what a drag of rows carries, which drops the table takes and what each
// does, and the moving of rows.
#include "window/OrvantaWindowController.h"

#include "document/ClipImporter.h"
#include "document/ClipPasteboard.h"
#include "document/OrvantaDocument.h"
#include "document/RowMove.h"
#include "platform/ParallelFor.h"
#include "platform/media/Movie.h"
#include "window/ClipsController.h"
#include "window/ClipsTableView.h"

#include <QFileInfo>
#include <QMimeData>
#include <algorithm>
#include <vector>

namespace {

// Copies made within a table are new records, each with a movie of its own opened anew from its file.
// A clip whose file no longer opens as a movie is left out. Opening and posters run on every core (they
// only read the files); the copies keep the dragged order.
QList<ClipRecordPtr> makeCopies(const QList<ClipPasteboard::CopiedClip>& copied) {
    std::vector<ClipRecordPtr> made(size_t(copied.size()));
    parallelFor(copied.size(), [&](qsizetype i) {
        const ClipPasteboard::CopiedClip& clip = copied[i];
        Movie::OpenResult opened = Movie::open(clip.URL);
        if (!opened)
            return;
        auto record = std::make_shared<ClipRecord>();
        record->URL = clip.URL;
        record->name = clip.name;
        record->posterImage = ClipImporter::posterFor(*opened.movie);
        record->movie = std::move(opened.movie);
        record->qttimeDuration = clip.qttimeDuration;
        record->bookmark = clip.bookmark;
        record->secureBookmark = clip.secureBookmark;
        made[size_t(i)] = std::move(record);
    });
    QList<ClipRecordPtr> copies;
    for (ClipRecordPtr& record : made) {
        if (record)
            copies.append(std::move(record));
    }
    return copies;
}

// A file a drop may bring into an import: an existing regular local file (or a link to one). Drops
// come from any process: a folder would be walked whole, and opening a named pipe or a device could
// block for good.
bool isDroppableFile(const QUrl& url) {
    return url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile();
}

} // namespace

bool OrvantaWindowController::isCopyModifier(Qt::KeyboardModifiers modifiers) {
    return modifiers & (Qt::AltModifier | Qt::ControlModifier);
}

std::unique_ptr<QMimeData>
OrvantaWindowController::tableViewWriteRowsWithIndexes(const QList<int>& rows) const {
    if (!m_clipsController)
        return nullptr;
    const QList<ClipRecordPtr>& arranged = m_clipsController->arrangedObjects();
    const QList<int> dragged = RowMove::plan(rows, 0, int(arranged.size())).rows; // ascending, in range
    if (dragged.isEmpty())
        return nullptr;
    QList<ClipRecordPtr> clips;
    for (int row : dragged)
        clips.append(arranged[row]);
    return ClipPasteboard::mimeDataForRows(dragged, clips);
}

int OrvantaWindowController::tableViewValidateDrop(const QObject* source, int proposedRow,
                                                   Qt::KeyboardModifiers modifiers) {
    // A drop during an import run would start a second run, which is refused.
    if (!m_clipsTable || !m_clipsTable->isEnabled() || m_isImporting)
        return NoDragOperation;
    const bool fromThisTable = source && source == m_clipsTable;
    if (m_datasource && m_datasource->isDynamicPlaylist() && !fromThisTable)
        return NoDragOperation;
    if (auto* table = qobject_cast<ClipsTableView*>(m_clipsTable))
        table->setDropRow(proposedRow);
    if (!fromThisTable)
        return CopyDragOperation;
    return isCopyModifier(modifiers) ? CopyDragOperation : MoveDragOperation;
}

bool OrvantaWindowController::tableViewAcceptDrop(const QMimeData* data, const QObject* source, int row,
                                                  Qt::KeyboardModifiers modifiers) {
    if (!data || !m_clipsController || !m_clipsTable)
        return false;
    // What validation refuses is refused here too, whoever delivers the drop.
    const bool fromThisTable = source && source == m_clipsTable;
    if (!m_clipsTable->isEnabled() || m_isImporting ||
        (m_datasource && m_datasource->isDynamicPlaylist() && !fromThisTable))
        return false;
    const int dropRow = std::max(row, 0);

    if (fromThisTable) {
        if (!isCopyModifier(modifiers)) {
            const std::optional<QList<int>> rows =
                data->hasFormat(ClipPasteboard::MovedRowsType)
                    ? ClipPasteboard::decodeMovedRows(data->data(ClipPasteboard::MovedRowsType))
                    : std::nullopt;
            if (!rows)
                return false;
            const QList<int> moved = moveObjectsInArrangedObjectsFromIndexes(*rows, dropRow);
            if (moved.isEmpty())
                return false;
            m_clipsController->setSelectionIndexes(moved);
            m_clipsController->rearrangeObjects();
            return true;
        }
        const std::optional<QList<ClipPasteboard::CopiedClip>> copied =
            ClipPasteboard::decodeCopiedRows(data->data(ClipPasteboard::CopiedRowsType));
        const QList<ClipRecordPtr> copies = copied ? makeCopies(*copied) : QList<ClipRecordPtr>();
        if (!copies.isEmpty()) {
            const int at = std::min(dropRow, int(m_clipsController->arrangedObjects().size()));
            m_clipsController->insertObjectsAtArrangedObjectIndex(copies, at);
            QList<int> inserted;
            for (qsizetype i = 0; i < copies.size(); ++i)
                inserted.append(at + int(i));
            m_clipsController->setSelectionIndexes(inserted);
            m_clipsController->rearrangeObjects();
            return true;
        }
        // Nothing usable: the copy arrives as clips made anew through the references below.
    }

    QList<QUrl> urls;
    if (data->hasFormat(ClipPasteboard::PrivateClipsType)) {
        const std::optional<QList<PrivateClipReference>> references =
            ClipPasteboard::decodePrivateClips(data->data(ClipPasteboard::PrivateClipsType));
        if (!references || references->isEmpty())
            return false;
        for (const PrivateClipReference& reference : *references) {
            const QUrl url = reference.resolvedURL();
            if (isDroppableFile(url))
                urls.append(url);
        }
    } else if (data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (isDroppableFile(url) && isMovieURL(url))
                urls.append(url);
        }
    }
    setDragIsActive(true);
    setDropLocation(dropRow);
    addClipsWithURLs(urls);
    return true;
}

QList<int> OrvantaWindowController::moveObjectsInArrangedObjectsFromIndexes(const QList<int>& rows,
                                                                            int toIndex) {
    if (!m_clipsController)
        return {};
    return m_clipsController->moveObjectsAtArrangedObjectIndexes(rows, toIndex);
}
