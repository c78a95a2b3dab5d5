#include "platform/media/MovieTime.h"

#include <QList>
#include <algorithm>
#include <limits>
#include <numeric>

namespace {

__extension__ typedef __int128 Wide;

qint64 saturate(Wide v) {
    if (v > std::numeric_limits<qint64>::max())
        return std::numeric_limits<qint64>::max();
    if (v < std::numeric_limits<qint64>::min())
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(v);
}

// value * to / from, rounded to nearest (halves away from zero).
qint64 rescale(qint64 value, qint32 from, qint32 to) {
    const Wide n = Wide(value) * to;
    const Wide half = from / 2;
    const Wide q = n >= 0 ? (n + half) / from : (n - half) / from;
    return saturate(q);
}

std::optional<qint64> parseInteger(QStringView text, qint64 min, qint64 max) {
    if (text.isEmpty() || text.size() > 20)
        return std::nullopt;
    qsizetype i = 0;
    const bool negative = text[0] == u'-';
    if (negative)
        i = 1;
    if (i == text.size())
        return std::nullopt;
    Wide v = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < u'0' || c > u'9')
            return std::nullopt;
        v = v * 10 + (c.unicode() - u'0');
    }
    if (negative)
        v = -v;
    if (v < min || v > max)
        return std::nullopt;
    return static_cast<qint64>(v);
}

} // namespace

QString MovieTime::toString() const {
    if (isIndefinite())
        return QStringLiteral("indefinite");
    if (flags != 0)
        return QStringLiteral("%1/%2/%3").arg(timeValue).arg(timeScale).arg(flags);
    return QStringLiteral("%1/%2").arg(timeValue).arg(timeScale);
}

std::optional<MovieTime> MovieTime::fromString(QStringView text) {
    if (text == u"indefinite")
        return indefinite();
    const auto parts = text.split(u'/');
    if (parts.size() != 2 && parts.size() != 3)
        return std::nullopt;
    const auto value =
        parseInteger(parts[0], std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max());
    const auto scale = parseInteger(parts[1], 0, std::numeric_limits<qint32>::max());
    if (!value || !scale)
        return std::nullopt;
    MovieTime t{*value, static_cast<qint32>(*scale), 0};
    if (parts.size() == 3) {
        const auto f =
            parseInteger(parts[2], std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
        if (!f || *f == 0 || *f == IndefiniteFlag)
            return std::nullopt; // those two have their own forms
        t.flags = static_cast<qint32>(*f);
    }
    return t;
}

MovieTime MovieTime::increment(const MovieTime& a, const MovieTime& b) {
    const qint32 flags = (a.isIndefinite() || b.isIndefinite()) ? IndefiniteFlag : 0;
    if (a.timeScale <= 0 && b.timeScale <= 0)
        return MovieTime{0, std::max(a.timeScale, b.timeScale), flags};
    if (a.timeScale <= 0)
        return MovieTime{b.timeValue, b.timeScale, flags};
    if (b.timeScale <= 0)
        return MovieTime{a.timeValue, a.timeScale, flags};

    const qint64 lcm = std::lcm(qint64(a.timeScale), qint64(b.timeScale));
    if (lcm <= std::numeric_limits<qint32>::max()) {
        const Wide sum = Wide(a.timeValue) * (lcm / a.timeScale) + Wide(b.timeValue) * (lcm / b.timeScale);
        return MovieTime{saturate(sum), static_cast<qint32>(lcm), flags};
    }
    const qint32 scale = std::max(a.timeScale, b.timeScale);
    const Wide sum =
        Wide(rescale(a.timeValue, a.timeScale, scale)) + rescale(b.timeValue, b.timeScale, scale);
    return MovieTime{saturate(sum), scale, flags};
}

double MovieTime::seconds() const {
    if (timeScale == 0)
        return 0.0;
    return static_cast<double>(timeValue) / static_cast<double>(timeScale);
}
