#pragma once

#include <QtGlobal>

// A number that remembers the kind it was made as, like the number objects stored in playlist settings:
// a boolean, an integer (made from a 32-bit integer, read back from files at any width), a 32-bit float
// or a 64-bit float. Files keep the kind: a float written as 4 bytes reads back as Float32.
class TypedNumber {
public:
    enum class Kind { Boolean, Integer, Float32, Float64 };

    TypedNumber() = default;
    static TypedNumber boolean(bool value);
    static TypedNumber integer(qint64 value);
    static TypedNumber float32(float value);
    static TypedNumber float64(double value);

    Kind kind() const { return m_kind; }
    bool isBoolean() const { return m_kind == Kind::Boolean; }
    bool isInteger() const { return m_kind == Kind::Integer; }
    bool isReal() const { return m_kind == Kind::Float32 || m_kind == Kind::Float64; }

    // Conversions as a number object answers them: reals truncate toward zero for the integer forms,
    // anything non-zero is true.
    bool boolValue() const;
    qint64 integerValue() const;
    qint32 intValue() const;
    float floatValue() const;
    double doubleValue() const;

    friend bool operator==(const TypedNumber& a, const TypedNumber& b);

private:
    Kind m_kind = Kind::Integer;
    qint64 m_integer = 0;
    double m_real = 0.0;
};

#include <QMetaType>
Q_DECLARE_METATYPE(TypedNumber)
