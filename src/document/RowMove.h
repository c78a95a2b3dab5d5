#pragma once

#include <QList>

// The index arithmetic of moving rows of a list so that they stand, in their old relative order, just
// before the row that was at `target` (at the end when target is the row count).
//
// With k the number of moved rows above the target, the moved rows land at target - k onwards. Rows
// are taken sorted and without repeats; rows outside 0..count-1 are left out; a target
// outside 0..count is clamped. Pure functions, any thread.
struct RowMove {
    QList<int> rows;     // the rows moved, ascending
    QList<int> newRows;  // where they stand afterwards, ascending and contiguous
    QList<int> newOrder; // newOrder[i] is the old row now at row i

    static RowMove plan(const QList<int>& rows, int target, int count);

    bool isEmpty() const { return rows.isEmpty(); }
    bool changesOrder() const;

    // The list in its new order; the list must have `count` elements.
    template <typename T> QList<T> apply(const QList<T>& list) const {
        QList<T> moved;
        moved.reserve(newOrder.size());
        for (int old : newOrder)
            moved.append(list[old]);
        return moved;
    }
};
