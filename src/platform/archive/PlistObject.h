#pragma once

#include "platform/TypedNumber.h"

#include <QByteArray>
#include <QList>
#include <QString>

// One object of a binary property list's flat object table. Containers hold references (indexes into the
// table), never their elements, so an object that several containers share is stored once. A dictionary
// keeps its key references first and its value references after them, as the file does.
class PlistObject {
public:
    enum class Kind : quint8 {
        Null,
        Boolean,
        Integer,
        Real,
        Date,
        Data,
        String,
        Uid,
        Array,
        Set,
        Dictionary
    };

    PlistObject() = default; // the null object
    static PlistObject boolean(bool value);
    static PlistObject integer(qint64 value);
    // Values from 2^63 up, which files hold as 16-byte integers.
    static PlistObject unsignedInteger(quint64 value);
    // Float32 becomes a 4-byte real, Float64 an 8-byte real; booleans and integers go to their own kinds.
    static PlistObject number(const TypedNumber& value);
    static PlistObject date(double secondsSince2001);
    static PlistObject data(const QByteArray& bytes);
    static PlistObject string(const QString& text);
    static PlistObject uid(quint64 value);
    static PlistObject array(QList<quint32> refs);
    static PlistObject set(QList<quint32> refs);
    static PlistObject dictionary(const QList<quint32>& keys, const QList<quint32>& values);
    // A dictionary from its references as the file holds them: the keys, then as many values.
    static PlistObject dictionaryOfRefs(QList<quint32> keysThenValues);

    Kind kind() const { return m_kind; }
    bool isContainer() const {
        return m_kind == Kind::Array || m_kind == Kind::Set || m_kind == Kind::Dictionary;
    }

    // Boolean, Integer and Real objects. A 16-byte unsigned value reads here clamped to the qint64 range.
    TypedNumber number() const { return m_number; }
    bool isUnsigned64() const { return m_isUnsigned64; }
    quint64 unsigned64() const { return m_bits; }
    double date() const;
    const QByteArray& data() const { return m_data; }
    const QString& string() const { return m_string; }
    quint64 uid() const { return m_bits; }

    // Array and set elements; for a dictionary its keys followed by its values.
    const QList<quint32>& refs() const { return m_refs; }
    // Elements of an array or set, entries of a dictionary.
    qsizetype count() const { return m_kind == Kind::Dictionary ? m_refs.size() / 2 : m_refs.size(); }
    quint32 keyRef(qsizetype i) const { return m_refs[i]; }
    quint32 valueRef(qsizetype i) const { return m_refs[count() + i]; }

    friend bool operator==(const PlistObject& a, const PlistObject& b);

private:
    Kind m_kind = Kind::Null;
    bool m_isUnsigned64 = false;
    TypedNumber m_number;
    quint64 m_bits = 0; // UID, date bits or a 16-byte unsigned value
    QByteArray m_data;
    QString m_string;
    QList<quint32> m_refs;
};
