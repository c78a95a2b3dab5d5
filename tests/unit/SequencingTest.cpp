// The transport's decisions as tables: the row that comes next (or before), what the end or the failure of a
// clip does, where a scrub lands and when the clip after next is loaded.
#include "playback/Sequencing.h"

#include <QSet>
#include <gtest/gtest.h>
#include <tuple>

using Sequencing::End;
using Sequencing::EndAction;

namespace {

// canPlay over a set of playable rows, failing the test when a row is asked twice (a playlist of
// missing clips must not keep anyone asking) or the row given as never to be asked is.
Sequencing::CanPlay playableRows(const QList<int>& playable, const char* name, int neverAsked = -1) {
    auto asked = std::make_shared<QSet<int>>();
    return [=](int row) {
        EXPECT_FALSE(asked->contains(row)) << name << ": row " << row << " asked twice";
        EXPECT_NE(row, neverAsked) << name;
        asked->insert(row);
        return playable.contains(row);
    };
}

} // namespace

// Next (the row after the last selected) and a step back (Previous from remote control, the row before
// the first selected) are mirrors.
TEST(SequencingTest, TheNextOrPreviousRowFollowsTheSelectionPassesOverMissingClipsAndWrapsOnlyWhenLooping) {
    const struct {
        const char* name;
        int rowCount;
        QList<int> selected;
        bool looping;
        QList<int> playable;
        int expected;
        bool back = false;
    } cases[] = {
        {"the row after", 4, {0}, false, {0, 1, 2, 3}, 1},
        {"after the last of several selected", 4, {0, 1}, false, {0, 1, 2, 3}, 2},
        {"a missing row passed over", 4, {0}, false, {0, 2, 3}, 2},
        {"the last row, not looping", 4, {3}, false, {0, 1, 2, 3}, -1},
        {"nothing after, not looping", 4, {2}, false, {0, 1, 2}, -1},
        {"the last row, looping: the first", 4, {3}, true, {0, 1, 2, 3}, 0},
        {"nothing after, looping: the first that plays", 4, {2}, true, {1, 2}, 1},
        {"looping, the selected row the only one that plays", 3, {1}, true, {1}, 1},
        {"no selection: the first row that plays", 3, {}, false, {2}, 2},
        {"a selection beyond the end (rows just removed)", 2, {5}, true, {0, 1}, 0},
        {"nothing plays", 3, {1}, true, {}, -1},
        {"an empty list", 0, {}, true, {}, -1},
        {"the row before", 4, {2}, false, {0, 1, 2, 3}, 1, true},
        {"before the first of several selected", 4, {2, 3}, false, {0, 1, 2, 3}, 1, true},
        {"a missing row passed over, back", 4, {3}, false, {0, 1, 3}, 1, true},
        {"the first row, not looping", 4, {0}, false, {0, 1, 2, 3}, -1, true},
        {"the first row, looping: the last", 4, {0}, true, {0, 1, 2, 3}, 3, true},
        {"looping back past missing rows at the end", 4, {0}, true, {0, 1}, 1, true},
        {"looping back, the selected row the only one that plays", 3, {1}, true, {1}, 1, true},
        {"no selection: the last row that plays", 3, {}, false, {0, 1}, 1, true},
        {"back from a selection beyond the end", 2, {5}, false, {0, 1}, 1, true},
        {"nothing plays, back", 3, {1}, true, {}, -1, true},
    };
    for (const auto& c : cases) {
        const auto step = c.back ? Sequencing::rowThatComesBefore : Sequencing::rowThatComesNext;
        EXPECT_EQ(step(c.selected, c.rowCount, c.looping, playableRows(c.playable, c.name)), c.expected)
            << c.name;
    }
}

// The end of a clip moves on, loops, replays, stops or closes. A failure (the failed row selected and
// current) moves on as the end would, never to the failed clip itself (asked about, it would say it can
// play), and a looping list with nothing left to try stops instead of trying again.
TEST(SequencingTest, TheEndOrTheFailureOfAClipMovesOnLoopsReplaysStopsOrCloses) {
    using enum EndAction;
    const struct {
        const char* name;
        bool failure;
        int rowCount;
        QList<int> selected;
        int currentRow;
        bool looping, closeWhenFinished;
        QList<int> playable; // for a failure: the rows that can play and have not failed in this round
        End expected;
    } cases[] = {
        {"a clip follows", false, 3, {0}, 0, false, true, {0, 1, 2}, {Next, 1}},
        {"a missing clip is passed over", false, 3, {0}, 0, false, false, {0, 2}, {Next, 2}},
        {"the last, looping", false, 3, {2}, 2, true, true, {0, 1, 2}, {LoopToFirst, 0}},
        {"the last, looping, the first missing", false, 3, {2}, 2, true, false, {1, 2}, {LoopToFirst, 1}},
        {"a single clip, looping", false, 1, {0}, 0, true, false, {0}, {ReplaySingle, 0}},
        {"the only clip that plays, looping", false, 3, {1}, 1, true, false, {1}, {ReplaySingle, 1}},
        // The user selected the missing last clip while the first played on: the first follows itself.
        {"a missing clip selected, looping", false, 3, {2}, 0, true, false, {0, 1}, {ReplaySingle, 0}},
        {"the same, the second playing", false, 3, {2}, 1, true, false, {0, 1}, {LoopToFirst, 0}},
        {"two rows selected: after the last", false, 4, {0, 1}, 0, false, false, {0, 1, 2, 3}, {Next, 2}},
        {"the last, not looping", false, 3, {2}, 2, false, false, {0, 1, 2}, {Stop, -1}},
        {"the last, not looping, closing", false, 3, {2}, 2, false, true, {0, 1, 2}, {StopAndClose, -1}},
        {"only missing clips follow", false, 3, {0}, 0, false, false, {0}, {Stop, -1}},
        {"none plays any more, looping, closing", false, 2, {0}, -1, true, true, {}, {StopAndClose, -1}},
        {"failed: the next clip", true, 3, {0}, 0, false, false, {0, 1, 2}, {Next, 1}},
        {"failed: over another that failed", true, 3, {0}, 0, true, false, {0, 2}, {Next, 2}},
        {"failed: the last, looping", true, 3, {2}, 2, true, false, {0, 1, 2}, {LoopToFirst, 0}},
        {"failed: the last, not looping", true, 3, {2}, 2, false, false, {0, 1, 2}, {Stop, -1}},
        {"failed: the last, not looping, closing", true, 3, {2}, 2, false, true, {0, 1}, {StopAndClose, -1}},
        {"failed: a single clip, looping", true, 1, {0}, 0, true, false, {0}, {AllFailed, -1}},
        {"failed: the others failed or are missing", true, 3, {1}, 1, true, true, {1}, {AllFailed, -1}},
        {"failed: none else failed in this round", true, 3, {1}, 1, true, false, {0, 1, 2}, {Next, 2}},
        {"failed: no longer in the list, nothing left", true, 2, {-1}, -1, true, false, {}, {AllFailed, -1}},
    };
    for (const auto& c : cases) {
        const auto decide = c.failure ? Sequencing::failureOfClip : Sequencing::endOfClip;
        const End end = decide(c.selected, c.currentRow, c.rowCount, c.looping, c.closeWhenFinished,
                               playableRows(c.playable, c.name, c.failure ? c.currentRow : -1));
        EXPECT_EQ(end, c.expected) << c.name << ": action " << int(end.action) << " row " << end.row;
    }
}

TEST(SequencingTest, AScrubTruncatesTheSinglePrecisionProductAtTheDurationsScale) {
    const std::tuple<MovieTime, float, MovieTime> cases[] = {
        {MovieTime::make(1234, 600), 0.5f, MovieTime::make(617, 600)},
        {MovieTime::make(600, 600), 0.999f, MovieTime::make(599, 600)},
        // Above 2^24 the float product loses the lowest bits.
        {MovieTime::make(16777217, 90000), 1.0f, MovieTime::make(16777216, 90000)},
        {MovieTime::make(0, 0), 0.7f, MovieTime::make(0, 0)},
    };
    for (const auto& [duration, fraction, expected] : cases)
        EXPECT_EQ(Sequencing::scrubTime(duration, fraction), expected)
            << duration.timeValue << " " << fraction;
}

TEST(SequencingTest, TheClipAfterNextLoadsASecondLaterOrAQuarterOfWhatIsLeftWhenSooner) {
    const std::tuple<double, double, float, int> cases[] = {
        // duration, current time, rate: delay
        {10.0, 0.0, 1.0f, 1000}, // long clips: a second
        {2.0, 0.0, 1.0f, 500},   // a quarter of two seconds
        {2.0, 1.0, 2.0f, 125},   // a second left at double speed
        {1.0, 0.0, 0.0f, 250},   // no rate: as at normal speed
        {1.0, 1.5, 1.0f, 0},     // past its end
        {0.0, 0.0, 1.0f, 1000},  // no duration known
    };
    for (const auto& [duration, current, rate, expected] : cases)
        EXPECT_EQ(Sequencing::preparationDelayMs(duration, current, rate), expected)
            << duration << " " << current << " " << rate;
}
