#include "document/RowMove.h"

#include <QString>
#include <gtest/gtest.h>

namespace {

QString moved(const RowMove& move, const QString& rows) {
    QList<QChar> list(rows.begin(), rows.end());
    const QList<QChar> result = move.apply(list);
    return QString(result.constData(), result.size());
}

struct Case {
    const char* what;
    QList<int> rows;
    int target;
    const char* order; // of "ABCDEF" afterwards
    QList<int> newRows;
};

} // namespace

TEST(RowMoveTest, MovesRowsBeforeTheTargetRowInTheirOrder) {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RowMove move = RowMove::plan(c.rows, c.target, 6);
        EXPECT_EQ(moved(move, QStringLiteral("ABCDEF")), QString::fromLatin1(c.order));
        EXPECT_EQ(move.newRows, c.newRows);
        EXPECT_EQ(move.changesOrder(), QString::fromLatin1(c.order) != QStringLiteral("ABCDEF"));
        EXPECT_EQ(move.isEmpty(), c.newRows.isEmpty());
    }
}

TEST(RowMoveTest, AnEmptyListMovesNothing) {
    const RowMove move = RowMove::plan({0, 1}, 0, 0);
    EXPECT_TRUE(move.isEmpty());
    EXPECT_TRUE(move.newOrder.isEmpty());
    EXPECT_FALSE(move.changesOrder());
}
