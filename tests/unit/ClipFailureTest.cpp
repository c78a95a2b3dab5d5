// What the failure of a clip does, as a table: it moves on as its end would, never to the failed clip
// itself, and a looping list with nothing left to try stops instead of trying again.
#include "playback/Sequencing.h"

#include <gtest/gtest.h>

using Sequencing::End;
using Sequencing::EndAction;

TEST(ClipFailureTest, AFailureMovesOnAsAnEndWouldAndALoopingListWithNothingLeftStops) {
    using enum EndAction;
    const struct {
        const char* name;
        int rowCount;
        int failedRow; // selected and current
        bool looping, closeWhenFinished;
        QList<int> playable; // rows that can play and have not failed in this round
        End expected;
    } cases[] = {
        {"the next clip", 3, 0, false, false, {0, 1, 2}, {Next, 1}},
        {"over another that failed", 3, 0, true, false, {0, 2}, {Next, 2}},
        {"the last, looping: the first", 3, 2, true, false, {0, 1, 2}, {LoopToFirst, 0}},
        {"the last, not looping: stops as at the end", 3, 2, false, false, {0, 1, 2}, {Stop, -1}},
        {"the last, not looping, closing", 3, 2, false, true, {0, 1}, {StopAndClose, -1}},
        // Asked about, the failed clip itself would say it can play: it is never tried again at once.
        {"a single clip, looping: all failed", 1, 0, true, false, {0}, {AllFailed, -1}},
        {"the others failed or are missing, looping", 3, 1, true, true, {1}, {AllFailed, -1}},
        {"none failed in this round but this one", 3, 1, true, false, {0, 1, 2}, {Next, 2}},
        {"no longer in the list, looping, nothing left", 2, -1, true, false, {}, {AllFailed, -1}},
    };
    for (const auto& c : cases) {
        QList<int> asked;
        const End end = Sequencing::failureOfClip(
            {c.failedRow}, c.failedRow, c.rowCount, c.looping, c.closeWhenFinished, [&](int row) {
                EXPECT_FALSE(asked.contains(row)) << c.name << ": twice";
                asked.append(row);
                return c.playable.contains(row);
            });
        EXPECT_EQ(end, c.expected) << c.name << ": action " << int(end.action) << " row " << end.row;
        EXPECT_FALSE(asked.contains(c.failedRow)) << c.name;
    }
}
