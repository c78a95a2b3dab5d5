#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>

// A movie time: a value counted in units of 1/timeScale seconds. flags == 1 marks an indefinite time.
struct MovieTime {
    static constexpr qint32 IndefiniteFlag = 1;

    qint64 timeValue = 0;
    qint32 timeScale = 0;
    qint32 flags = 0;

    static MovieTime make(qint64 value, qint32 scale) { return MovieTime{value, scale, 0}; }
    static MovieTime indefinite() { return MovieTime{0, 1, IndefiniteFlag}; }
    bool isIndefinite() const { return flags == IndefiniteFlag; }

    // Exact, reversible text: "value/scale", "value/scale/flags" for other flags, "indefinite".
    QString toString() const;
    static std::optional<MovieTime> fromString(QStringView text);

    // The exact sum: in the least common multiple of the two scales while that fits in 32 bits,
    // else in the larger scale, rounded to nearest. A scale of 0 counts as no time at all.
    static MovieTime increment(const MovieTime& a, const MovieTime& b);

    // Seconds as a double, for the player; 0 for a scale of 0.
    double seconds() const;

    friend bool operator==(const MovieTime&, const MovieTime&) = default;
};
