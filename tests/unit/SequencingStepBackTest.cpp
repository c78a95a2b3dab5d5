// A step back (Previous from remote control) as a table: the mirror of the row that comes next.
#include "playback/Sequencing.h"

#include <QSet>
#include <gtest/gtest.h>

TEST(SequencingTest, AStepBackGoesToThePlayableRowBeforeTheSelectionAndWrapsOnlyWhenLooping) {
    const struct {
        const char* name;
        int rowCount;
        QList<int> selected;
        bool looping;
        QList<int> playable;
        int expected;
    } cases[] = {
        {"the row before", 4, {2}, false, {0, 1, 2, 3}, 1},
        {"before the first of several selected", 4, {2, 3}, false, {0, 1, 2, 3}, 1},
        {"a missing row passed over", 4, {3}, false, {0, 1, 3}, 1},
        {"the first row, not looping", 4, {0}, false, {0, 1, 2, 3}, -1},
        {"the first row, looping: the last", 4, {0}, true, {0, 1, 2, 3}, 3},
        {"looping past missing rows at the end", 4, {0}, true, {0, 1}, 1},
        {"looping, the selected row the only one that plays", 3, {1}, true, {1}, 1},
        {"no selection: the last row that plays", 3, {}, false, {0, 1}, 1},
        {"a selection beyond the end (rows just removed)", 2, {5}, false, {0, 1}, 1},
        {"nothing plays", 3, {1}, true, {}, -1},
        {"an empty list", 0, {}, true, {}, -1},
    };
    for (const auto& c : cases) {
        QList<int> asked;
        const int row = Sequencing::rowThatComesBefore(c.selected, c.rowCount, c.looping, [&](int r) {
            asked.append(r);
            return c.playable.contains(r);
        });
        EXPECT_EQ(row, c.expected) << c.name;
        // Every row is asked at most once, so a list of missing clips cannot keep anyone asking.
        EXPECT_EQ(QSet<int>(asked.cbegin(), asked.cend()).size(), asked.size()) << c.name;
    }
}
