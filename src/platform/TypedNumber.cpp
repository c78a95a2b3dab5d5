#include "platform/TypedNumber.h"

#include <cmath>
#include <limits>

TypedNumber TypedNumber::boolean(bool value) {
    TypedNumber n;
    n.m_kind = Kind::Boolean;
    n.m_integer = value ? 1 : 0;
    return n;
}

TypedNumber TypedNumber::integer(qint64 value) {
    TypedNumber n;
    n.m_kind = Kind::Integer;
    n.m_integer = value;
    return n;
}

TypedNumber TypedNumber::float32(float value) {
    TypedNumber n;
    n.m_kind = Kind::Float32;
    n.m_real = value;
    return n;
}

TypedNumber TypedNumber::float64(double value) {
    TypedNumber n;
    n.m_kind = Kind::Float64;
    n.m_real = value;
    return n;
}

bool TypedNumber::boolValue() const {
    return isReal() ? m_real != 0.0 : m_integer != 0;
}

qint64 TypedNumber::integerValue() const {
    if (!isReal())
        return m_integer;
    // Out-of-range and NaN conversions are undefined in C++; clamp them instead.
    if (std::isnan(m_real))
        return 0;
    if (m_real >= 9.2233720368547758e18)
        return std::numeric_limits<qint64>::max();
    if (m_real <= -9.2233720368547758e18)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(m_real);
}

qint32 TypedNumber::intValue() const {
    const qint64 v = integerValue();
    if (v > std::numeric_limits<qint32>::max())
        return std::numeric_limits<qint32>::max();
    if (v < std::numeric_limits<qint32>::min())
        return std::numeric_limits<qint32>::min();
    return static_cast<qint32>(v);
}

float TypedNumber::floatValue() const {
    return isReal() ? static_cast<float>(m_real) : static_cast<float>(m_integer);
}

double TypedNumber::doubleValue() const {
    return isReal() ? m_real : static_cast<double>(m_integer);
}

bool operator==(const TypedNumber& a, const TypedNumber& b) {
    if (a.m_kind != b.m_kind)
        return false;
    return a.isReal() ? a.m_real == b.m_real : a.m_integer == b.m_integer;
}
