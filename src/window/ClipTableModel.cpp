#include "window/ClipTableModel.h"

#include "document/ClipImporter.h"
#include "document/ClipPasteboard.h"
#include "document/OrvantaDocument.h"
#include "document/RowMove.h"
#include "platform/ParallelFor.h"
#include "platform/media/Movie.h"
#include "platform/media/MovieFileType.h"
#include "platform/media/TimeDisplay.h"
#include "window/ClipsController.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPalette>
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

ClipTableModel::ClipTableModel(ClipsController* controller)
    : QAbstractTableModel(controller)
    , m_controller(controller) {}

void ClipTableModel::resetClips(const QList<ClipRecordPtr>& clips) {
    beginResetModel();
    m_clips = clips;
    endResetModel();
}

void ClipTableModel::insertClips(int row, const QList<ClipRecordPtr>& clips) {
    if (clips.isEmpty())
        return;
    beginInsertRows({}, row, row + int(clips.size()) - 1);
    for (qsizetype i = 0; i < clips.size(); ++i)
        m_clips.insert(row + i, clips[i]);
    endInsertRows();
}

void ClipTableModel::removeClipsAt(int row, int count) {
    if (count <= 0)
        return;
    beginRemoveRows({}, row, row + count - 1);
    m_clips.remove(row, count);
    endRemoveRows();
}

void ClipTableModel::moveClips(const RowMove& move) {
    if (move.newOrder.size() != m_clips.size())
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QList<int> newRowOf(m_clips.size());
    for (qsizetype row = 0; row < move.newOrder.size(); ++row)
        newRowOf[move.newOrder[row]] = int(row);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    for (const QModelIndex& old : from)
        to.append(index(newRowOf[old.row()], old.column()));
    m_clips = move.apply(m_clips);
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ClipTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_clips.size());
}

int ClipTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString ClipTableModel::durationText(const ClipRecord& clip) {
    const auto time = MovieTime::fromString(clip.qttimeDuration);
    return time ? makeTimeDisplayFromQTTime(*time) : QString();
}

QVariant ClipTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_clips.size())
        return {};
    const ClipRecordPtr& clip = m_clips[index.row()];
    if (!clip)
        return {};
    switch (role) {
    case ClipRole:
        return QVariant::fromValue(clip);
    case Qt::DisplayRole:
        if (index.column() == NameColumn)
            return clip->name;
        if (index.column() == DurationColumn)
            return clip->isMissing() ? QStringLiteral("—") : durationText(*clip);
        return {};
    case Qt::ToolTipRole:
        return clip->unplayableReason().value_or(clip->URL.toLocalFile());
    case Qt::ForegroundRole:
        // A missing clip, or one that failed to play, is greyed as a disabled row would be, but stays
        // selectable and removable.
        if (clip->unplayableReason())
            return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == DurationColumn)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

void ClipTableModel::clipDidChange(int row) {
    if (row < 0 || row >= m_clips.size())
        return;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

QVariant ClipTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case PosterColumn:
        return QStringLiteral("Poster");
    case NameColumn:
        return QStringLiteral("Name");
    case DurationColumn:
        return QStringLiteral("Duration");
    default:
        return {};
    }
}

Qt::ItemFlags ClipTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled;
}

void ClipTableModel::setDraggingSourceOperationMask(int mask, bool local) {
    (local ? m_localDragMask : m_externalDragMask) = mask;
}

Qt::DropActions ClipTableModel::supportedDragActions() const {
    return DropPlan::dragActionsForMasks(m_localDragMask, m_externalDragMask);
}

std::unique_ptr<QMimeData> ClipTableModel::mimeDataForRows(QList<int> rows) const {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.removeIf([this](int row) { return row < 0 || row >= m_clips.size(); });
    if (rows.isEmpty())
        return nullptr;
    QList<ClipRecordPtr> clips;
    for (int row : rows)
        clips.append(m_clips[row]);
    std::unique_ptr<QMimeData> data = ClipPasteboard::mimeDataForRows(rows, clips);
    m_ownDrag = data.get();
    return data;
}

QMimeData* ClipTableModel::mimeData(const QModelIndexList& indexes) const {
    QList<int> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && index.model() == this)
            rows.append(index.row());
    }
    return mimeDataForRows(rows).release();
}

DropPlan::Situation ClipTableModel::dropSituation(bool fromThisTable, bool copy,
                                                  const QMimeData* data) const {
    DropPlan::Situation situation;
    situation.takesDrops = !m_dropHost.takesDrops || m_dropHost.takesDrops();
    situation.dynamicPlaylist = m_controller->content() && m_controller->content()->isDynamicPlaylist();
    situation.fromThisTable = fromThisTable;
    situation.copyRequested = copy;
    situation.carriesClipReferences = data && data->hasFormat(ClipPasteboard::PrivateClipsType);
    return situation;
}

DropPlan::DragOperation ClipTableModel::validateDrop(bool fromThisTable, bool copy) const {
    return DropPlan::operation(dropSituation(fromThisTable, copy, nullptr));
}

bool ClipTableModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                     const QModelIndex&) const {
    if (!data || std::none_of(m_draggedTypes.begin(), m_draggedTypes.end(),
                              [data](const QString& type) { return data->hasFormat(type); }))
        return false;
    return validateDrop(isOwnDrag(data), action != Qt::MoveAction) != DropPlan::NoDragOperation;
}

bool ClipTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                  const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    // A drop onto a row goes before it; a drop onto the table with no row, at the end.
    const int before = parent.isValid() ? parent.row() : row < 0 ? rowCount() : row;
    return acceptDrop(data, isOwnDrag(data), action != Qt::MoveAction, before);
}

bool ClipTableModel::acceptDrop(const QMimeData* data, bool fromThisTable, bool copy, int row) {
    if (!data)
        return false;
    row = std::clamp(row, 0, rowCount());
    for (const DropPlan::Step step : DropPlan::steps(dropSituation(fromThisTable, copy, data))) {
        Outcome outcome = Outcome::Refused;
        switch (step) {
        case DropPlan::Step::MoveRows:
            outcome = moveDraggedRows(*data, row);
            break;
        case DropPlan::Step::CopyRows:
            outcome = copyDraggedRows(*data, row);
            break;
        case DropPlan::Step::ImportClipReferences:
            outcome = importClipReferences(*data, row);
            break;
        case DropPlan::Step::ImportFiles:
            outcome = importFiles(*data, row);
            break;
        }
        if (outcome != Outcome::NothingUsable)
            return outcome == Outcome::Taken;
    }
    return false;
}

ClipTableModel::Outcome ClipTableModel::moveDraggedRows(const QMimeData& data, int row) {
    const std::optional<QList<int>> rows =
        data.hasFormat(ClipPasteboard::MovedRowsType)
            ? ClipPasteboard::decodeMovedRows(data.data(ClipPasteboard::MovedRowsType))
            : std::nullopt;
    if (!rows)
        return Outcome::Refused;
    const QList<int> moved = m_controller->moveObjectsAtArrangedObjectIndexes(*rows, row);
    if (moved.isEmpty())
        return Outcome::Refused;
    m_controller->setSelectionIndexes(moved);
    m_controller->rearrangeObjects();
    return Outcome::Taken;
}

ClipTableModel::Outcome ClipTableModel::copyDraggedRows(const QMimeData& data, int row) {
    const std::optional<QList<ClipPasteboard::CopiedClip>> copied =
        ClipPasteboard::decodeCopiedRows(data.data(ClipPasteboard::CopiedRowsType));
    const QList<ClipRecordPtr> copies = copied ? makeCopies(*copied) : QList<ClipRecordPtr>();
    if (copies.isEmpty())
        return Outcome::NothingUsable;
    m_controller->insertObjectsAtArrangedObjectIndex(copies, row, ClipsAction::Copy);
    QList<int> inserted;
    for (qsizetype i = 0; i < copies.size(); ++i)
        inserted.append(row + int(i));
    m_controller->setSelectionIndexes(inserted);
    m_controller->rearrangeObjects();
    return Outcome::Taken;
}

ClipTableModel::Outcome ClipTableModel::importClipReferences(const QMimeData& data, int row) {
    const std::optional<QList<PrivateClipReference>> references =
        ClipPasteboard::decodePrivateClips(data.data(ClipPasteboard::PrivateClipsType));
    if (!references || references->isEmpty())
        return Outcome::Refused;
    QList<QUrl> urls;
    for (const PrivateClipReference& reference : *references) {
        const QUrl url = reference.resolvedURL();
        if (isDroppableFile(url))
            urls.append(url);
    }
    return importAt(urls, row);
}

ClipTableModel::Outcome ClipTableModel::importFiles(const QMimeData& data, int row) {
    QList<QUrl> urls;
    for (const QUrl& url : data.urls()) {
        if (isDroppableFile(url) && isMovieURL(url))
            urls.append(url);
    }
    return importAt(urls, row);
}

ClipTableModel::Outcome ClipTableModel::importAt(const QList<QUrl>& urls, int row) {
    if (!m_dropHost.importAt)
        return Outcome::Refused;
    // An empty list runs the import too, as every drop that brings files does.
    m_dropHost.importAt(urls, row);
    return Outcome::Taken;
}

bool ClipTableModel::moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                              const QModelIndex& destinationParent, int destinationChild) {
    if (sourceParent.isValid() || destinationParent.isValid() || count <= 0 || sourceRow < 0 ||
        sourceRow + count > rowCount())
        return false;
    QList<int> rows;
    for (int row = sourceRow; row < sourceRow + count; ++row)
        rows.append(row);
    return !m_controller->moveObjectsAtArrangedObjectIndexes(rows, destinationChild).isEmpty();
}
