#pragma once

#include <QList>
#include <Qt>

// What a drag and drop on the clip table does, decided from what is known before any of the drag's data
// is read: where the drag comes from, the keys held and the state of the table. The clip table's model
// carries the plan out. Pure functions, any thread.
namespace DropPlan {

// The drag operations of the table, with the values its operation masks use.
enum DragOperation {
    NoDragOperation = 0,
    CopyDragOperation = 1,
    LinkDragOperation = 2,
    MoveDragOperation = 16
};

struct Situation {
    bool takesDrops = true;             // the table is enabled and no import run is under way
    bool dynamicPlaylist = false;       // the playlist is a folder's
    bool fromThisTable = false;         // the drag is of this table's own rows
    bool copyRequested = false;         // the user asked for a copy (see isCopyModifier)
    bool carriesClipReferences = false; // the drag carries clip references (rows of a playlist window)
};

// The operation a drop would be. A table that takes no drops, and a dynamic playlist offered anything
// but its own rows, refuse; rows of this table move, or are copied on request; the rest is copied in.
DragOperation operation(const Situation& situation);

// What taking a drop does, step by step. A step that finds nothing usable in the drag's data hands on to
// the next one: a copy whose clips are all unreadable or gone arrives as clips made anew from their
// files. A step that finds unreadable data where it must have some refuses the drop (the moved rows of
// a move, the references of an import of clips); importing files always succeeds, even with none.
enum class Step { MoveRows, CopyRows, ImportClipReferences, ImportFiles };
QList<Step> steps(const Situation& situation); // empty: the drop is refused

// Alt asks for a copy, and so does Ctrl, the copy key of Linux desktops.
bool isCopyModifier(Qt::KeyboardModifiers modifiers);
// What the user asks of a drop, as the model's drop action: CopyAction for a copy, MoveAction otherwise.
Qt::DropAction requestedAction(Qt::KeyboardModifiers modifiers);

// The actions a drag of rows offers, for the operation masks of drops within the program (local) and
// in other programs (external): copy where either mask has it, link where the external one has it;
// never move. A reorder is the drop's own doing and needs no action of the drag; a drag that reported
// a move would have its source remove the rows, and a file manager told to move would take the user's
// movies away.
Qt::DropActions dragActionsForMasks(int localMask, int externalMask);
// The action a drop is answered with, from those its drag offers: copy, else link; none for a drag that
// offers neither (its source would delete what it offered once it was taken).
Qt::DropAction answerTo(Qt::DropActions offered);

} // namespace DropPlan
