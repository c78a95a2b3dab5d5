#include "cli/JsonWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <charconv>
#include <cmath>

namespace {

// std::to_chars gives the shortest text that round-trips, but "1" for 1.0 and "1e+20" for 1e20.
template <typename Real> QString shortestRealText(Real value) {
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    if (text.contains(u'.'))
        return text;
    const qsizetype exponent = text.indexOf(u'e');
    if (exponent < 0)
        return text + QStringLiteral(".0");
    return text.insert(exponent, QStringLiteral(".0"));
}

QByteArray quoted(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2); // drop the brackets of the one-element array
}

} // namespace

QString JsonWriter::realText(float value) {
    return shortestRealText(value);
}

QString JsonWriter::realText(double value) {
    return shortestRealText(value);
}

QString JsonWriter::numberText(const TypedNumber& number) {
    switch (number.kind()) {
    case TypedNumber::Kind::Boolean:
        return number.boolValue() ? QStringLiteral("true") : QStringLiteral("false");
    case TypedNumber::Kind::Integer:
        return QString::number(number.integerValue());
    case TypedNumber::Kind::Float32:
        return realText(number.floatValue());
    case TypedNumber::Kind::Float64:
        return realText(number.doubleValue());
    }
    return {};
}

void JsonWriter::newLine() {
    m_text += '\n';
    m_text += QByteArray(qsizetype(m_levels.size()) * 2, ' ');
}

void JsonWriter::beforeValue() {
    if (m_levels.empty())
        return;
    Level& level = m_levels.back();
    if (level.isObject) {
        Q_ASSERT(m_afterKey);
        m_afterKey = false;
        return;
    }
    if (level.count++ > 0)
        m_text += ',';
    newLine();
}

void JsonWriter::key(const QString& name) {
    Q_ASSERT(!m_levels.empty() && m_levels.back().isObject && !m_afterKey);
    if (m_levels.back().count++ > 0)
        m_text += ',';
    newLine();
    m_text += quoted(name);
    m_text += ": ";
    m_afterKey = true;
}

void JsonWriter::beginContainer(bool isObject, char opening) {
    beforeValue();
    m_text += opening;
    m_levels.push_back(Level{isObject, 0});
}

void JsonWriter::endContainer(bool isObject, char closing) {
    Q_ASSERT(!m_levels.empty() && m_levels.back().isObject == isObject && !m_afterKey);
    const bool empty = m_levels.back().count == 0;
    m_levels.pop_back();
    if (!empty)
        newLine();
    m_text += closing;
}

void JsonWriter::beginObject() {
    beginContainer(true, '{');
}

void JsonWriter::endObject() {
    endContainer(true, '}');
}

void JsonWriter::beginArray() {
    beginContainer(false, '[');
}

void JsonWriter::endArray() {
    endContainer(false, ']');
}

void JsonWriter::writeString(const QString& text) {
    beforeValue();
    m_text += quoted(text);
}

void JsonWriter::writeNull() {
    beforeValue();
    m_text += "null";
}

void JsonWriter::writeBool(bool value) {
    beforeValue();
    m_text += value ? "true" : "false";
}

void JsonWriter::writeInteger(qint64 value) {
    beforeValue();
    m_text += QByteArray::number(value);
}

void JsonWriter::writeReal(float value) {
    if (!std::isfinite(value))
        return writeNull();
    beforeValue();
    m_text += realText(value).toLatin1();
}

void JsonWriter::writeReal(double value) {
    if (!std::isfinite(value))
        return writeNull();
    beforeValue();
    m_text += realText(value).toLatin1();
}

void JsonWriter::writeNumber(const TypedNumber& number) {
    switch (number.kind()) {
    case TypedNumber::Kind::Boolean:
        return writeBool(number.boolValue());
    case TypedNumber::Kind::Integer:
        return writeInteger(number.integerValue());
    case TypedNumber::Kind::Float32:
        return writeReal(number.floatValue());
    case TypedNumber::Kind::Float64:
        return writeReal(number.doubleValue());
    }
}

QByteArray JsonWriter::text() const {
    return m_levels.empty() ? m_text + '\n' : m_text;
}
