#include "playback/TimeDisplay.h"

#include <cmath>
#include <limits>

namespace {

// Truncation toward zero; values a 32-bit integer cannot hold (and NaN) are clamped rather than
// left to undefined behaviour.
qint32 truncateToInt(float v) {
    if (std::isnan(v))
        return 0;
    if (v >= 2147483648.0f)
        return std::numeric_limits<qint32>::max();
    if (v <= -2147483648.0f)
        return std::numeric_limits<qint32>::min();
    return static_cast<qint32>(v);
}

} // namespace

TimeDisplayParts timeDisplayParts(const MovieTime& time) {
    TimeDisplayParts parts;
    float seconds = 0.0f;
    if (time.timeScale != 0)
        seconds = static_cast<float>(time.timeValue) / static_cast<float>(time.timeScale);
    parts.hours = truncateToInt(seconds / 3600.0f);
    seconds = seconds - static_cast<float>(qint64(parts.hours) * 3600);
    parts.minutes = truncateToInt(seconds / 60.0f);
    seconds = seconds - static_cast<float>(qint64(parts.minutes) * 60);
    parts.seconds = seconds;
    return parts;
}

QString makeTimeDisplayFromQTTime(MovieTime time) {
    if (time.isIndefinite())
        return QStringLiteral("Indefinite");
    const TimeDisplayParts p = timeDisplayParts(time);
    return QString::asprintf("%02d:%02d:%06.3f", p.hours, p.minutes, static_cast<double>(p.seconds));
}
