#pragma once

#include "platform/media/MovieTime.h"

#include <QList>
#include <functional>

// The decisions of a playlist's transport, as pure functions of rows and settings: which row comes
// after the current clip, what the end of a clip does, where a scrub lands and when the clip after
// next is loaded. Rows are positions in the playlist's order; -1 stands for none.
namespace Sequencing {

// Whether the clip at a row can play. Each row is asked at most once per decision, so a playlist whose
// clips are all missing cannot keep anyone asking.
using CanPlay = std::function<bool(int row)>;

// The first row after `from` (-1: before the first row) that can play; then, when looping, the rows
// from 0 up to and including `from` (so a lone playable clip plays again); -1 when none.
int nextPlayableRow(int rowCount, int from, bool looping, const CanPlay& canPlay);

// The row that follows the selection: nextPlayableRow after the last selected row (ascending rows),
// or from the top when nothing is selected.
int rowThatComesNext(const QList<int>& selectedRows, int rowCount, bool looping, const CanPlay& canPlay);

// The mirror of nextPlayableRow: the first row before `from` (rowCount: after the last row) that can
// play, going up; then, when looping, the rows from the last down to and including `from`; -1 when none.
int previousPlayableRow(int rowCount, int from, bool looping, const CanPlay& canPlay);

// The row a step back from the selection goes to: previousPlayableRow before the first selected row, or
// the last row that plays when nothing is selected.
int rowThatComesBefore(const QList<int>& selectedRows, int rowCount, bool looping, const CanPlay& canPlay);

enum class EndAction {
    Next,         // select the row that follows; it starts as it becomes current
    LoopToFirst,  // the list ran out and loops: select the first row that can play
    ReplaySingle, // the clip that ended is the one that follows (the only one, looping): play it again
    Stop,         // the list ran out: stop
    StopAndClose, // the list ran out: stop, then close the playlist
    AllFailed,    // looping, every clip failed since one last played (or is missing): stop and say so
};

struct End {
    EndAction action;
    int row = -1; // the row to select; -1 for Stop and StopAndClose
    bool operator==(const End&) const = default;
};

// What the end of the clip at currentRow (-1 when it is not in the list any more) does.
End endOfClip(const QList<int>& selectedRows, int currentRow, int rowCount, bool looping,
              bool closeWhenFinished, const CanPlay& canPlay);

// What the failure of the clip at failedRow (-1 when it is not in the list any more) does while playing:
// what its end would do, passing over the failed row itself (never asked) and the rows canPlay refuses,
// which should include every clip that failed since a clip last played. A looping list with none left
// has failed in this round: AllFailed rather than trying again.
End failureOfClip(const QList<int>& selectedRows, int failedRow, int rowCount, bool looping,
                  bool closeWhenFinished, const CanPlay& canPlay);

// Where a scrub to the fraction lands: the duration's value times the fraction in single precision,
// truncated toward zero, at the duration's scale (values above 2^24 lose their lowest bits).
MovieTime scrubTime(const MovieTime& duration, float fraction);

// How long after a new clip became current the clip after it is loaded (ms): loading draws a first
// frame on the main thread, which would compete with the first frames of the clip that just started.
// A second, or a quarter of what is left of the current clip at its rate when that is shorter.
int preparationDelayMs(double durationSeconds, double currentSeconds, float rate);

} // namespace Sequencing
