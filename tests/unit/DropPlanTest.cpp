// The pure decisions of the clip table's drag and drop: what a drop does, the actions a drag offers and
// a drop is answered with, and the index arithmetic of moving rows.
#include "window/DropPlan.h"
#include "document/RowMove.h"

#include <QString>
#include <gtest/gtest.h>

TEST(DropPlanTest, DecidesWhatADropDoes) {
    using enum DropPlan::Step;
    constexpr DropPlan::DragOperation None = DropPlan::NoDragOperation, Copy = DropPlan::CopyDragOperation,
                                      Move = DropPlan::MoveDragOperation;
    struct Case {
        const char* what;
        DropPlan::Situation situation; // takes drops, dynamic, from this table, copy asked, clip references
        DropPlan::DragOperation operation;
        QList<DropPlan::Step> steps;
    };
    const QList<Case> cases = {
        {"own rows", {true, false, true, false, true}, Move, {MoveRows}},
        {"own rows copied", {true, false, true, true, true}, Copy, {CopyRows, ImportClipReferences}},
        {"own rows copied, references lost", {true, false, true, true, false}, Copy, {CopyRows, ImportFiles}},
        {"another window's rows", {true, false, false, false, true}, Copy, {ImportClipReferences}},
        {"another program's files", {true, false, false, true, false}, Copy, {ImportFiles}},
        {"dynamic, own rows", {true, true, true, false, true}, Move, {MoveRows}},
        {"dynamic, own rows copied", {true, true, true, true, true}, Copy, {CopyRows, ImportClipReferences}},
        {"dynamic, another window's rows", {true, true, false, false, true}, None, {}},
        {"dynamic, files", {true, true, false, true, false}, None, {}},
        {"own rows, no drops taken", {false, false, true, false, true}, None, {}},
        {"files, no drops taken", {false, false, false, false, false}, None, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DropPlan::operation(c.situation), c.operation);
        EXPECT_EQ(DropPlan::steps(c.situation), c.steps);
    }
}

TEST(DropPlanTest, AltOrCtrlAsksForACopyAndNoDragOffersOrAnswersMove) {
    const QList<std::pair<Qt::KeyboardModifiers, bool>> cases = {
        {Qt::NoModifier, false},    {Qt::AltModifier, true},   {Qt::ControlModifier, true},
        {Qt::ShiftModifier, false}, {Qt::MetaModifier, false}, {Qt::AltModifier | Qt::ShiftModifier, true},
    };
    for (const auto& [modifiers, copy] : cases) {
        EXPECT_EQ(DropPlan::isCopyModifier(modifiers), copy) << int(modifiers);
        EXPECT_EQ(DropPlan::requestedAction(modifiers), copy ? Qt::CopyAction : Qt::MoveAction);
    }
    // Drags offer, and drops are answered with, copy or link but never move.
    const QList<std::tuple<int, int, Qt::DropActions>> masks = {
        {17, 2, Qt::CopyAction | Qt::LinkAction},
        {1, 0, Qt::CopyAction},
        {0, 2, Qt::LinkAction},
        {16, 16, Qt::IgnoreAction},
        {19, 19, Qt::CopyAction | Qt::LinkAction},
    };
    for (const auto& [local, external, actions] : masks)
        EXPECT_EQ(DropPlan::dragActionsForMasks(local, external), actions) << local << " " << external;
    const QList<std::pair<Qt::DropActions, Qt::DropAction>> answers = {
        {Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction},
        {Qt::MoveAction | Qt::LinkAction, Qt::LinkAction},
        {Qt::MoveAction, Qt::IgnoreAction}, // its source would delete what it gave
        {Qt::IgnoreAction, Qt::IgnoreAction},
    };
    for (const auto& [offered, answer] : answers)
        EXPECT_EQ(DropPlan::answerTo(offered), answer) << int(offered);
}

TEST(RowMoveTest, MovesRowsBeforeTheTargetRowInTheirOrder) {
    struct Case {
        const char* what;
        QList<int> rows;
        int target;
        const char* order; // of "ABCDEF" afterwards
        QList<int> newRows;
    };
    const QList<Case> cases = {
        {"two rows down", {1, 3}, 5, "ACEBDF", {3, 4}},
        {"the first row to the end", {0}, 6, "BCDEFA", {5}},
        {"the last row to the start", {5}, 0, "FABCDE", {0}},
        {"a block before itself", {2, 3}, 2, "ABCDEF", {2, 3}},
        {"a block after itself", {2, 3}, 4, "ABCDEF", {2, 3}},
        {"a block into itself", {2, 3}, 3, "ABCDEF", {2, 3}},
        {"rows on both sides of the target", {0, 4}, 2, "BAECDF", {1, 2}},
        {"rows given out of order and repeated", {4, 0, 4}, 2, "BAECDF", {1, 2}},
        {"rows out of range are left out", {-1, 1, 6, 99}, 0, "BACDEF", {0}},
        {"a negative target is the start", {3}, -1, "DABCEF", {0}},
        {"a target past the end is the end", {0, 1}, 99, "CDEFAB", {4, 5}},
        {"every row", {0, 1, 2, 3, 4, 5}, 3, "ABCDEF", {0, 1, 2, 3, 4, 5}},
        {"no row", {}, 2, "ABCDEF", {}},
    };
    const QString letters = QStringLiteral("ABCDEF");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RowMove move = RowMove::plan(c.rows, c.target, 6);
        const QList<QChar> moved = move.apply(QList<QChar>(letters.begin(), letters.end()));
        EXPECT_EQ(QString(moved.constData(), moved.size()), QString::fromLatin1(c.order));
        EXPECT_EQ(move.newRows, c.newRows);
        EXPECT_EQ(move.changesOrder(), QString::fromLatin1(c.order) != letters);
        EXPECT_EQ(move.isEmpty(), c.newRows.isEmpty());
    }
    EXPECT_TRUE(RowMove::plan({0, 1}, 0, 0).newOrder.isEmpty()); // an empty list moves nothing
}
