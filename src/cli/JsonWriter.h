#pragma once

#include "platform/TypedNumber.h"

#include <QByteArray>
#include <QString>
#include <vector>

// Builds indented JSON text one value at a time. Unlike QJsonDocument, it keeps object keys in the order
// they are written and keeps the kind of a number: a real is always written with a decimal point or an
// exponent (1.0, not 1), so a reader tells a float setting from an integer one. Strings are escaped by
// QJsonDocument.
//
// Inside an object, key() comes before each value. Misuse (a value without a key in an object, an end
// that does not match) is a programming error and asserts.
class JsonWriter {
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(const QString& name);

    void writeString(const QString& text);
    void writeNull();
    void writeBool(bool value);
    void writeInteger(qint64 value);
    // Not-a-number and the infinities have no JSON form: they are written as null.
    void writeReal(float value);
    void writeReal(double value);
    // A settings number as its kind is written: true/false, an integer or a real.
    void writeNumber(const TypedNumber& number);

    // The text so far; complete, with a final line feed, once the outermost value has ended.
    QByteArray text() const;

    // The shortest text that reads back as the same float (or double), with a decimal point or an
    // exponent: 1.0, 0.1, 1.5e+20; "nan", "inf" and "-inf" for the values that are not finite.
    static QString realText(float value);
    static QString realText(double value);
    // A settings number as it is written here: true/false, an integer or a real.
    static QString numberText(const TypedNumber& number);

private:
    struct Level {
        bool isObject = false;
        int count = 0;
    };

    void beforeValue();
    void beginContainer(bool isObject, char opening);
    void endContainer(bool isObject, char closing);
    void newLine();

    QByteArray m_text;
    std::vector<Level> m_levels;
    bool m_afterKey = false;
};
