#pragma once

#include "document/ClipRecord.h"
#include "window/DropPlan.h"

#include <QAbstractTableModel>
#include <QList>
#include <QMetaType>
#include <QMimeData>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>

class ClipsController;
struct RowMove;

Q_DECLARE_METATYPE(ClipRecordPtr)

// The rows of the clip table: one per arranged clip, with the columns poster, name and duration. A
// missing clip's row is greyed, shows a dash for its duration and the reason it is missing as its tool
// tip; so is the row of a clip that failed to play, until it plays again (other rows show their file's
// path).
// The model only shows what its clips controller gives it; every edit goes through the controller,
// which tells the model what changed so that views keep their selection and scroll position.
//
// Drag and drop follow Qt's model contract. A drag of rows carries ClipPasteboard's types and the
// clips' files, and offers the actions the operation masks allow (never a move: see DropPlan). A drop
// goes between rows: `row` is the row it goes before; -1 (the empty part of the table) or a row past
// the last is the end. The drop action is what the user asked for: MoveAction a move, CopyAction a
// copy. A drag of this table's own rows is one this model made. What a drop does is DropPlan's
// decision: moves and copies of rows are edits through the clips controller; clips made from files
// (rows of another playlist window, movie files of other programs) come from the window's import run,
// which the drop host reaches.
// Main thread only.
class ClipTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { PosterColumn = 0, NameColumn = 1, DurationColumn = 2, ColumnCount = 3 };
    // The ClipRecordPtr of a row, in every column.
    static constexpr int ClipRole = Qt::UserRole + 1;

    // What a drop needs of the window: whether its table takes drops now (it is enabled and no import
    // runs; without this, it does), and its import run, which makes clips of the files and puts them in
    // from the row on (without it, drops that bring files are refused).
    struct DropHost {
        std::function<bool()> takesDrops;
        std::function<void(const QList<QUrl>& urls, int row)> importAt;
    };

    // The model of the controller's clips, a child of the controller.
    explicit ClipTableModel(ClipsController* controller);

    const QList<ClipRecordPtr>& clips() const { return m_clips; }

    // Edits, called by the clips controller only.
    void resetClips(const QList<ClipRecordPtr>& clips);
    void insertClips(int row, const QList<ClipRecordPtr>& clips);
    void removeClipsAt(int row, int count);
    // Puts the rows in the move's new order as one change of layout: views keep what they showed of
    // each row (its selection among them).
    void moveClips(const RowMove& move);
    // The record shown in the row changed (a missing clip's file came back): the row is drawn anew.
    void clipDidChange(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // "HH:MM:SS.mmm" of a clip's qttimeDuration; empty when the text does not parse.
    static QString durationText(const ClipRecord& clip);

    // --- Drag and drop
    // Rows are dragged; drops go onto the table, never onto a row.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The types of drags the table takes (registered by the window).
    QStringList mimeTypes() const override { return m_draggedTypes; }
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction | Qt::MoveAction; }
    // Moves the rows sourceRow..sourceRow+count-1 before destinationChild, through the controller.
    bool moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                  const QModelIndex& destinationParent, int destinationChild) override;

    // What the window sets up: the operation masks of drags within the program (local) and towards
    // other programs, the types of drags the table takes, and the drop host.
    void setDraggingSourceOperationMask(int mask, bool local);
    int draggingSourceOperationMaskForLocal(bool local) const {
        return local ? m_localDragMask : m_externalDragMask;
    }
    void registerForDraggedTypes(const QStringList& types) { m_draggedTypes = types; }
    void setDropHost(DropHost host) { m_dropHost = std::move(host); }

    // The drag of the rows (those in range, ascending); null when there are none.
    std::unique_ptr<QMimeData> mimeDataForRows(QList<int> rows) const;
    // The operation and the taking of a drop, for a drag whose source is said outright (the contract's
    // functions above take a drag this model made for one of this table's own). acceptDrop puts the
    // clips before the row (clamped to the rows) and answers whether it took the drop.
    DropPlan::DragOperation validateDrop(bool fromThisTable, bool copy) const;
    bool acceptDrop(const QMimeData* data, bool fromThisTable, bool copy, int row);

private:
    enum class Outcome { Taken, Refused, NothingUsable };
    DropPlan::Situation dropSituation(bool fromThisTable, bool copy, const QMimeData* data) const;
    bool isOwnDrag(const QMimeData* data) const { return data && data == m_ownDrag; }
    Outcome moveDraggedRows(const QMimeData& data, int row);
    Outcome copyDraggedRows(const QMimeData& data, int row);
    Outcome importClipReferences(const QMimeData& data, int row);
    Outcome importFiles(const QMimeData& data, int row);
    Outcome importAt(const QList<QUrl>& urls, int row);

    ClipsController* m_controller; // the parent
    QList<ClipRecordPtr> m_clips;
    int m_localDragMask = 0;
    int m_externalDragMask = 0;
    QStringList m_draggedTypes;
    DropHost m_dropHost;
    // The drag data this model made last; its drag deletes it when it ends, which empties the pointer.
    mutable QPointer<const QMimeData> m_ownDrag;
};
