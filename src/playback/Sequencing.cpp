#include "playback/Sequencing.h"

#include <algorithm>
#include <cmath>

namespace Sequencing {

int nextPlayableRow(int rowCount, int from, bool looping, const CanPlay& canPlay) {
    from = std::min(from, rowCount - 1);
    for (int row = std::max(from + 1, 0); row < rowCount; ++row) {
        if (canPlay(row))
            return row;
    }
    if (!looping)
        return -1;
    for (int row = 0; row <= from; ++row) {
        if (canPlay(row))
            return row;
    }
    return -1;
}

int rowThatComesNext(const QList<int>& selectedRows, int rowCount, bool looping, const CanPlay& canPlay) {
    return nextPlayableRow(rowCount, selectedRows.isEmpty() ? -1 : selectedRows.last(), looping, canPlay);
}

int previousPlayableRow(int rowCount, int from, bool looping, const CanPlay& canPlay) {
    from = std::max(from, 0);
    for (int row = std::min(from, rowCount) - 1; row >= 0; --row) {
        if (canPlay(row))
            return row;
    }
    if (!looping)
        return -1;
    for (int row = rowCount - 1; row >= from; --row) {
        if (canPlay(row))
            return row;
    }
    return -1;
}

int rowThatComesBefore(const QList<int>& selectedRows, int rowCount, bool looping, const CanPlay& canPlay) {
    return previousPlayableRow(rowCount, selectedRows.isEmpty() ? rowCount : selectedRows.first(), looping,
                               canPlay);
}

End endOfClip(const QList<int>& selectedRows, int currentRow, int rowCount, bool looping,
              bool closeWhenFinished, const CanPlay& canPlay) {
    const int next = rowThatComesNext(selectedRows, rowCount, looping, canPlay);
    if (next < 0)
        return {closeWhenFinished ? EndAction::StopAndClose : EndAction::Stop, -1};
    if (next == currentRow)
        return {EndAction::ReplaySingle, next};
    const int last = selectedRows.isEmpty() ? -1 : selectedRows.last();
    return {next > last ? EndAction::Next : EndAction::LoopToFirst, next};
}

End failureOfClip(const QList<int>& selectedRows, int failedRow, int rowCount, bool looping,
                  bool closeWhenFinished, const CanPlay& canPlay) {
    End end = endOfClip(selectedRows, failedRow, rowCount, looping, closeWhenFinished,
                        [&](int row) { return row != failedRow && canPlay(row); });
    if (looping && end.row < 0)
        end.action = EndAction::AllFailed;
    return end;
}

MovieTime scrubTime(const MovieTime& duration, float fraction) {
    const float product = float(duration.timeValue) * fraction;
    return MovieTime::make(static_cast<qint64>(std::trunc(product)), duration.timeScale);
}

int preparationDelayMs(double durationSeconds, double currentSeconds, float rate) {
    constexpr int AtMostMs = 1000;
    if (!(durationSeconds > 0.0))
        return AtMostMs;
    const double speed = rate > 0.0f ? double(rate) : 1.0;
    const double remainingMs = std::max(0.0, durationSeconds - currentSeconds) / speed * 1000.0;
    return int(std::min(double(AtMostMs), std::floor(remainingMs / 4.0)));
}

} // namespace Sequencing
