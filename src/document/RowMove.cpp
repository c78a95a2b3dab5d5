#include "document/RowMove.h"

#include <algorithm>

RowMove RowMove::plan(const QList<int>& requested, int target, int count) {
    RowMove move;
    count = std::max(count, 0);
    move.rows = requested;
    std::sort(move.rows.begin(), move.rows.end());
    move.rows.erase(std::unique(move.rows.begin(), move.rows.end()), move.rows.end());
    move.rows.removeIf([count](int row) { return row < 0 || row >= count; });

    target = std::clamp(target, 0, count);
    const int above =
        int(std::count_if(move.rows.begin(), move.rows.end(), [target](int r) { return r < target; }));
    const int first = target - above;
    for (qsizetype i = 0; i < move.rows.size(); ++i)
        move.newRows.append(first + int(i));

    // The rows that stay, in order, with the moved ones put in at `first`.
    QList<int> staying;
    staying.reserve(count - move.rows.size());
    for (int row = 0, next = 0; row < count; ++row) {
        if (next < move.rows.size() && move.rows[next] == row)
            ++next;
        else
            staying.append(row);
    }
    move.newOrder = staying.mid(0, first);
    move.newOrder.append(move.rows);
    move.newOrder.append(staying.mid(first));
    return move;
}

bool RowMove::changesOrder() const {
    for (qsizetype i = 0; i < newOrder.size(); ++i) {
        if (newOrder[i] != int(i))
            return true;
    }
    return false;
}
