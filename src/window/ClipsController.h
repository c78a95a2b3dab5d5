#pragma once

#include "document/ClipRecord.h"
#include "document/OrvantaDocument.h"

#include <QItemSelectionModel>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

class ClipTableModel;

// The array controller of the clip table. Its content is the document's clips, given no sort order
// and no filter, so a row number is also the clip's position in the document's list. It owns the
// selection (rows of its model) and offers the edits by row; its edits change the document's list.
//
// arrangedObjectsChanged is emitted once for every change of the arranged clips: an edit through the
// controller, or a change of the document's list that a rearrangement (or the document's own
// clipsChanged) brings in. A rearrangement that changes nothing is silent; selection is reported by
// selectionDidChange only.
//
// When the arranged clips change the controller keeps the selected clips selected where they remain,
// and avoids an empty selection: with clips but none selected it selects the clip at the place of the
// first one removed (or the last clip), or the first clip when the list was replaced.
// An undo or redo of the document's steps reaches the controller as a change of the document's list
// (rearranged), then selects the clips the step touched.
// Widget-free; main thread only. The document must outlive the controller, or be let go first with
// setContent(nullptr).
class ClipsController : public QObject {
    Q_OBJECT
public:
    explicit ClipsController(QObject* parent = nullptr);
    ~ClipsController() override;

    void setContent(OrvantaDocument* document);
    OrvantaDocument* content() const { return m_content; }

    const QList<ClipRecordPtr>& arrangedObjects() const;
    QList<int> selectionIndexes() const; // ascending
    QList<ClipRecordPtr> selectedObjects() const;
    // Selects exactly the given rows (rows out of range are ignored). Answers whether any is selected.
    bool setSelectionIndexes(const QList<int>& rows);
    // The edits are the document's undoable ones (one step each, named by the action).
    // Inserts the clips, in their order, so that they occupy rows row..row+n-1 (row clamped to the ends).
    void insertObjectsAtArrangedObjectIndex(const QList<ClipRecordPtr>& clips, int row,
                                            ClipsAction action = ClipsAction::Add);
    void removeObjectsAtArrangedObjectIndexes(const QList<int>& rows,
                                              ClipsAction action = ClipsAction::Remove);
    // Removes the selected clips.
    void remove(ClipsAction action = ClipsAction::Remove);
    // Moves the clips of the given rows, in their order, to stand before row `before` of the current list
    // (see RowMove), and selects them when the order changed. Answers their new rows, empty when no row
    // given is in range.
    QList<int> moveObjectsAtArrangedObjectIndexes(const QList<int>& rows, int before);
    // Brings the arranged clips in line with the document's list.
    void rearrangeObjects();
    // The clip at the row changed in place (a missing clip's file came back): its row is drawn anew.
    // The list itself is the same, so nothing else is told.
    void objectDidChangeAtArrangedObjectIndex(int row);

    ClipTableModel* model() const { return m_model; }
    QItemSelectionModel* selectionModel() const { return m_selection; }

signals:
    void arrangedObjectsChanged();
    void selectionDidChange();

private:
    void selectRow(int row);
    // Selects the rows of those of the clips that are arranged; leaves the selection when none is.
    void selectClips(const QList<ClipRecordPtr>& clips);

    QPointer<OrvantaDocument> m_content;
    ClipTableModel* m_model;          // child
    QItemSelectionModel* m_selection; // child
    QMetaObject::Connection m_contentConnection;
    QMetaObject::Connection m_touchedConnection;
    bool m_editing = false;
};
