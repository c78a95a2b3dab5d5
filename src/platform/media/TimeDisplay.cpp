#include "platform/media/TimeDisplay.h"

#include <algorithm>
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
    // The seconds are printed with three decimals; a value that prints as 60.000 is a whole minute
    // more, so it is carried into the minutes (and hours) rather than shown as a 60th second.
    // Times too large for the hours are clamped above and left as they are.
    if (parts.minutes < 60 && std::round(static_cast<double>(parts.seconds) * 1000.0) >= 60000.0) {
        parts.seconds = std::max(0.0f, parts.seconds - 60.0f);
        if (++parts.minutes == 60 && parts.hours < std::numeric_limits<qint32>::max()) {
            parts.minutes = 0;
            ++parts.hours;
        }
    }
    return parts;
}

QString makeTimeDisplayFromQTTime(MovieTime time) {
    if (time.isIndefinite())
        return QStringLiteral("Indefinite");
    const TimeDisplayParts p = timeDisplayParts(time);
    return QString::asprintf("%02d:%02d:%06.3f", p.hours, p.minutes, static_cast<double>(p.seconds));
}
