#include "window/DropPlan.h"

namespace DropPlan {

DragOperation operation(const Situation& situation) {
    if (!situation.takesDrops || (situation.dynamicPlaylist && !situation.fromThisTable))
        return NoDragOperation;
    if (situation.fromThisTable && !situation.copyRequested)
        return MoveDragOperation;
    return CopyDragOperation;
}

QList<Step> steps(const Situation& situation) {
    const Step import = situation.carriesClipReferences ? Step::ImportClipReferences : Step::ImportFiles;
    switch (operation(situation)) {
    case NoDragOperation:
        return {};
    case MoveDragOperation:
        return {Step::MoveRows};
    default:
        if (situation.fromThisTable)
            return {Step::CopyRows, import};
        return {import};
    }
}

bool isCopyModifier(Qt::KeyboardModifiers modifiers) {
    return modifiers & (Qt::AltModifier | Qt::ControlModifier);
}

Qt::DropAction requestedAction(Qt::KeyboardModifiers modifiers) {
    return isCopyModifier(modifiers) ? Qt::CopyAction : Qt::MoveAction;
}

Qt::DropActions dragActionsForMasks(int localMask, int externalMask) {
    Qt::DropActions actions;
    if ((localMask | externalMask) & CopyDragOperation)
        actions |= Qt::CopyAction;
    if (externalMask & LinkDragOperation)
        actions |= Qt::LinkAction;
    return actions;
}

Qt::DropAction answerTo(Qt::DropActions offered) {
    if (offered & Qt::CopyAction)
        return Qt::CopyAction;
    if (offered & Qt::LinkAction)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

} // namespace DropPlan
