#include "document/ComputePlaylistDuration.h"

#include "platform/media/TimeDisplay.h"

QString ComputePlaylistDuration::totalTimeText(const QStringList& durations) {
    MovieTime total = MovieTime::make(0, 2997);
    for (const QString& text : durations) {
        if (const auto t = MovieTime::fromString(text))
            total = MovieTime::increment(total, *t);
    }
    // The total's flags are not looked at: an indefinite clip adds its value like any other.
    total.flags = 0;
    const TimeDisplayParts p = timeDisplayParts(total);
    return QString::asprintf("Total Time:  %d:%02d:%06.3f", p.hours, p.minutes,
                             static_cast<double>(p.seconds));
}

QString ComputePlaylistDuration::totalTimeText(const QList<ClipRecordPtr>& clips) {
    QStringList durations;
    durations.reserve(clips.size());
    for (const auto& clip : clips) {
        if (clip)
            durations.append(clip->qttimeDuration);
    }
    return totalTimeText(durations);
}

QVariant ComputePlaylistDuration::transformedValue(const QVariant& value) const {
    if (value.canConvert<QList<ClipRecordPtr>>())
        return totalTimeText(value.value<QList<ClipRecordPtr>>());
    return totalTimeText(value.toStringList());
}
