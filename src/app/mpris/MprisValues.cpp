#include "app/mpris/MprisValues.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace MprisValues {

QString loopStatus(qint32 looping) {
    return looping != 0 ? QStringLiteral("Playlist") : QStringLiteral("None");
}

std::optional<bool> loopingFor(const QString& status) {
    if (status == QLatin1String("None"))
        return false;
    if (status == QLatin1String("Playlist") || status == QLatin1String("Track"))
        return true;
    return std::nullopt;
}

std::optional<float> speedFor(double rate) {
    if (!std::isfinite(rate) || rate <= 0.0)
        return std::nullopt;
    return float(std::clamp(rate, MinimumRate, MaximumRate));
}

float volumeFor(double volume) {
    if (std::isnan(volume))
        return 0.0f;
    return float(std::clamp(volume, 0.0, 1.0));
}

SeekTarget seekTarget(qint64 position, qint64 offset, qint64 length) {
    // Saturating: an offset near the limits of 64 bits must not wrap around.
    qint64 target = 0;
    if (__builtin_add_overflow(position, offset, &target))
        target = offset > 0 ? std::numeric_limits<qint64>::max() : 0;
    if (target > length)
        return {true, 0};
    return {false, std::max<qint64>(target, 0)};
}

bool positionIsWithin(qint64 position, qint64 length) {
    return position >= 0 && position <= length;
}

QString trackPath(quint64 number) {
    return QStringLiteral("/org/orvanta/clip/%1").arg(number);
}

qint64 microseconds(double seconds) {
    return std::isfinite(seconds) ? qint64(std::llround(seconds * 1e6)) : 0;
}

} // namespace MprisValues
