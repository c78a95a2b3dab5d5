// The clip table's drag and drop: how the table is set up for it, and the table's drag and drop
// operations, which its model carries out (see ClipTableModel and DropPlan).
#include "window/OrvantaWindowController.h"

#include "document/ClipPasteboard.h"
#include "window/ClipTableModel.h"
#include "window/ClipsController.h"
#include "window/ClipsTableView.h"

#include <QMimeData>
#include <algorithm>

void OrvantaWindowController::setupClipsDragAndDrop() {
    if (!m_clipsController)
        return;
    ClipTableModel* model = m_clipsController->model();
    // Rows are copied or moved within the program and linked to by other programs; the table takes
    // rows of playlist windows and files.
    model->setDraggingSourceOperationMask(DropPlan::CopyDragOperation | DropPlan::MoveDragOperation, true);
    model->setDraggingSourceOperationMask(DropPlan::LinkDragOperation, false);
    model->registerForDraggedTypes(
        {ClipPasteboard::CopiedRowsType, ClipPasteboard::MovedRowsType, ClipPasteboard::UriListType});
    // A drop during an import run would start a second run, which is refused.
    model->setDropHost({[this] { return clipsTable() && clipsTable()->isEnabled() && !isImporting(); },
                        [this](const QList<QUrl>& urls, int row) {
                            setDragIsActive(true);
                            setDropLocation(row);
                            addClipsWithURLs(urls);
                        }});
}

int OrvantaWindowController::draggingSourceOperationMaskForLocal(bool local) const {
    return m_clipsController ? m_clipsController->model()->draggingSourceOperationMaskForLocal(local) : 0;
}

QStringList OrvantaWindowController::registeredDraggedTypes() const {
    return m_clipsController ? m_clipsController->model()->mimeTypes() : QStringList();
}

std::unique_ptr<QMimeData>
OrvantaWindowController::tableViewWriteRowsWithIndexes(const QList<int>& rows) const {
    return m_clipsController ? m_clipsController->model()->mimeDataForRows(rows) : nullptr;
}

int OrvantaWindowController::tableViewValidateDrop(const QObject* source, int proposedRow,
                                                   Qt::KeyboardModifiers modifiers) {
    if (!m_clipsController || !clipsTable())
        return DropPlan::NoDragOperation;
    const DropPlan::DragOperation operation = m_clipsController->model()->validateDrop(
        source && source == clipsTable(), DropPlan::isCopyModifier(modifiers));
    // The drop goes above the proposed row.
    if (auto* table = qobject_cast<ClipsTableView*>(clipsTable());
        table && operation != DropPlan::NoDragOperation)
        table->setDropRow(proposedRow);
    return operation;
}

bool OrvantaWindowController::tableViewAcceptDrop(const QMimeData* data, const QObject* source, int row,
                                                  Qt::KeyboardModifiers modifiers) {
    if (!m_clipsController || !clipsTable())
        return false;
    return m_clipsController->model()->acceptDrop(data, source && source == clipsTable(),
                                                  DropPlan::isCopyModifier(modifiers), std::max(row, 0));
}

QList<int> OrvantaWindowController::moveObjectsInArrangedObjectsFromIndexes(const QList<int>& rows,
                                                                            int toIndex) {
    if (!m_clipsController)
        return {};
    return m_clipsController->moveObjectsAtArrangedObjectIndexes(rows, toIndex);
}
