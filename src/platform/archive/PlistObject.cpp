#include "platform/archive/PlistObject.h"

#include <bit>
#include <limits>

PlistObject PlistObject::boolean(bool value) {
    return number(TypedNumber::boolean(value));
}

PlistObject PlistObject::integer(qint64 value) {
    return number(TypedNumber::integer(value));
}

PlistObject PlistObject::unsignedInteger(quint64 value) {
    if (value <= quint64(std::numeric_limits<qint64>::max()))
        return integer(qint64(value));
    PlistObject o;
    o.m_kind = Kind::Integer;
    o.m_number = TypedNumber::integer(std::numeric_limits<qint64>::max());
    o.m_isUnsigned64 = true;
    o.m_bits = value;
    return o;
}

PlistObject PlistObject::number(const TypedNumber& value) {
    PlistObject o;
    o.m_number = value;
    switch (value.kind()) {
    case TypedNumber::Kind::Boolean:
        o.m_kind = Kind::Boolean;
        break;
    case TypedNumber::Kind::Integer:
        o.m_kind = Kind::Integer;
        break;
    case TypedNumber::Kind::Float32:
    case TypedNumber::Kind::Float64:
        o.m_kind = Kind::Real;
        break;
    }
    return o;
}

PlistObject PlistObject::date(double secondsSince2001) {
    PlistObject o;
    o.m_kind = Kind::Date;
    o.m_bits = std::bit_cast<quint64>(secondsSince2001);
    return o;
}

double PlistObject::date() const {
    return std::bit_cast<double>(m_bits);
}

PlistObject PlistObject::data(const QByteArray& bytes) {
    PlistObject o;
    o.m_kind = Kind::Data;
    o.m_data = bytes;
    return o;
}

PlistObject PlistObject::string(const QString& text) {
    PlistObject o;
    o.m_kind = Kind::String;
    o.m_string = text;
    return o;
}

PlistObject PlistObject::uid(quint64 value) {
    PlistObject o;
    o.m_kind = Kind::Uid;
    o.m_bits = value;
    return o;
}

PlistObject PlistObject::array(QList<quint32> refs) {
    PlistObject o;
    o.m_kind = Kind::Array;
    o.m_refs = std::move(refs);
    return o;
}

PlistObject PlistObject::set(QList<quint32> refs) {
    PlistObject o;
    o.m_kind = Kind::Set;
    o.m_refs = std::move(refs);
    return o;
}

PlistObject PlistObject::dictionary(const QList<quint32>& keys, const QList<quint32>& values) {
    PlistObject o;
    o.m_kind = Kind::Dictionary;
    const qsizetype n = std::min(keys.size(), values.size());
    o.m_refs.reserve(2 * n);
    o.m_refs.append(keys.first(n));
    o.m_refs.append(values.first(n));
    return o;
}

PlistObject PlistObject::dictionaryOfRefs(QList<quint32> keysThenValues) {
    PlistObject o;
    o.m_kind = Kind::Dictionary;
    o.m_refs = std::move(keysThenValues);
    return o;
}

bool operator==(const PlistObject& a, const PlistObject& b) {
    return a.m_kind == b.m_kind && a.m_isUnsigned64 == b.m_isUnsigned64 && a.m_number == b.m_number &&
           a.m_bits == b.m_bits && a.m_data == b.m_data && a.m_string == b.m_string && a.m_refs == b.m_refs;
}
