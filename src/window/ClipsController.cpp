#include "window/ClipsController.h"

#include "document/OrvantaDocument.h"
#include "document/RowMove.h"
#include "window/ClipTableModel.h"

#include <algorithm>

namespace {

QList<int> sortedUnique(QList<int> rows, int count) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.removeIf([count](int row) { return row < 0 || row >= count; });
    return rows;
}

} // namespace

ClipsController::ClipsController(QObject* parent)
    : QObject(parent)
    , m_model(new ClipTableModel(this))
    , m_selection(new QItemSelectionModel(m_model, this)) {
    connect(m_selection, &QItemSelectionModel::selectionChanged, this, [this] { emit selectionDidChange(); });
}

ClipsController::~ClipsController() {
    disconnect(m_contentConnection);
    disconnect(m_touchedConnection);
}

void ClipsController::setContent(OrvantaDocument* document) {
    disconnect(m_contentConnection);
    disconnect(m_touchedConnection);
    m_content = document;
    if (document) {
        m_contentConnection = connect(document, &OrvantaDocument::clipsChanged, this, [this] {
            if (!m_editing)
                rearrangeObjects();
        });
        // An undo or redo selects the clips it put back, moved or added.
        m_touchedConnection = connect(document, &OrvantaDocument::clipsTouched, this,
                                      [this](const QList<ClipRecordPtr>& clips) {
                                          if (!m_editing)
                                              selectClips(clips);
                                      });
    }
    rearrangeObjects();
}

const QList<ClipRecordPtr>& ClipsController::arrangedObjects() const {
    return m_model->clips();
}

QList<int> ClipsController::selectionIndexes() const {
    QList<int> rows;
    for (const QModelIndex& index : m_selection->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<ClipRecordPtr> ClipsController::selectedObjects() const {
    QList<ClipRecordPtr> objects;
    for (int row : selectionIndexes())
        objects.append(arrangedObjects()[row]);
    return objects;
}

bool ClipsController::setSelectionIndexes(const QList<int>& rows) {
    QItemSelection selection;
    for (int row : sortedUnique(rows, m_model->rowCount()))
        selection.select(m_model->index(row, 0), m_model->index(row, ClipTableModel::ColumnCount - 1));
    m_selection->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!selection.isEmpty())
        m_selection->setCurrentIndex(selection.first().topLeft(), QItemSelectionModel::NoUpdate);
    return !selection.isEmpty();
}

void ClipsController::selectRow(int row) {
    setSelectionIndexes({row});
}

void ClipsController::selectClips(const QList<ClipRecordPtr>& clips) {
    QList<int> rows;
    for (const ClipRecordPtr& clip : clips) {
        if (const qsizetype row = arrangedObjects().indexOf(clip); row >= 0)
            rows.append(int(row));
    }
    if (!rows.isEmpty())
        setSelectionIndexes(rows);
}

void ClipsController::insertObjectsAtArrangedObjectIndex(const QList<ClipRecordPtr>& clips, int row,
                                                         ClipsAction action) {
    if (clips.isEmpty() || !m_content)
        return;
    row = std::clamp(row, 0, m_model->rowCount());
    m_editing = true;
    m_content->insertClips(clips, row, action);
    m_editing = false;
    const bool wasEmpty = m_selection->selectedRows().isEmpty();
    m_model->insertClips(row, clips);
    if (wasEmpty)
        selectRow(0);
    emit arrangedObjectsChanged();
}

void ClipsController::removeObjectsAtArrangedObjectIndexes(const QList<int>& rowsToRemove,
                                                           ClipsAction action) {
    const QList<int> rows = sortedUnique(rowsToRemove, m_model->rowCount());
    if (rows.isEmpty() || !m_content)
        return;
    m_editing = true;
    m_content->removeClipsAt(rows, action);
    m_editing = false;
    // Remove runs of adjacent rows from the end, so that the earlier row numbers stay valid.
    for (qsizetype i = rows.size() - 1; i >= 0;) {
        qsizetype first = i;
        while (first > 0 && rows[first - 1] == rows[first] - 1)
            --first;
        m_model->removeClipsAt(rows[first], int(i - first + 1));
        i = first - 1;
    }
    if (m_selection->selectedRows().isEmpty() && m_model->rowCount() > 0)
        selectRow(std::min(rows.first(), m_model->rowCount() - 1));
    emit arrangedObjectsChanged();
}

void ClipsController::remove(ClipsAction action) {
    removeObjectsAtArrangedObjectIndexes(selectionIndexes(), action);
}

QList<int> ClipsController::moveObjectsAtArrangedObjectIndexes(const QList<int>& rows, int before) {
    if (!m_content)
        return {};
    m_editing = true;
    const RowMove move = m_content->moveClips(rows, before);
    m_editing = false;
    if (move.isEmpty() || !move.changesOrder())
        return move.newRows;
    m_model->moveClips(move);
    setSelectionIndexes(move.newRows);
    emit arrangedObjectsChanged();
    return move.newRows;
}

void ClipsController::rearrangeObjects() {
    const QList<ClipRecordPtr> clips = m_content ? m_content->clips() : QList<ClipRecordPtr>();
    if (clips == arrangedObjects())
        return;
    const QList<ClipRecordPtr> wasSelected = selectedObjects();
    {
        const QSignalBlocker quiet(m_selection);
        m_model->resetClips(clips);
    }
    QList<int> keep;
    for (const ClipRecordPtr& clip : wasSelected) {
        const qsizetype row = clips.indexOf(clip);
        if (row >= 0)
            keep.append(int(row));
    }
    if (keep.isEmpty() && !clips.isEmpty())
        keep.append(0);
    setSelectionIndexes(keep);
    if (keep.isEmpty() && !wasSelected.isEmpty())
        emit selectionDidChange();
    emit arrangedObjectsChanged();
}

void ClipsController::objectDidChangeAtArrangedObjectIndex(int row) {
    m_model->clipDidChange(row);
}
