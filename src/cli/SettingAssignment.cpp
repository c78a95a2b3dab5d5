#include "cli/SettingAssignment.h"

#include "cli/JsonWriter.h"
#include "document/PlaylistSettings.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

const QString SettingAssignment::SelectedDisplayKey = QStringLiteral("selectedDisplay");

namespace {

QString kindName(TypedNumber::Kind kind) {
    switch (kind) {
    case TypedNumber::Kind::Boolean:
        return QStringLiteral("boolean");
    case TypedNumber::Kind::Integer:
        return QStringLiteral("integer");
    case TypedNumber::Kind::Float32:
    case TypedNumber::Kind::Float64:
        return QStringLiteral("float");
    }
    return {};
}

QString expectation(TypedNumber::Kind kind) {
    switch (kind) {
    case TypedNumber::Kind::Boolean:
        return QStringLiteral("true, false, 1 or 0");
    case TypedNumber::Kind::Integer:
        return QStringLiteral("a whole number from -2147483648 to 2147483647");
    case TypedNumber::Kind::Float32:
    case TypedNumber::Kind::Float64:
        return QStringLiteral("a decimal number");
    }
    return {};
}

std::optional<TypedNumber> parseBoolean(const QString& text) {
    if (text == u"true" || text == u"1")
        return TypedNumber::boolean(true);
    if (text == u"false" || text == u"0")
        return TypedNumber::boolean(false);
    return std::nullopt;
}

std::optional<TypedNumber> parseInteger(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]+$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return TypedNumber::integer(value);
}

std::optional<TypedNumber> parseFloat(const QString& text) {
    // Decimal notation only: no hexadecimal floats, no "inf" or "nan".
    static const QRegularExpression pattern(
        QStringLiteral("^[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return TypedNumber::float32(float(value));
}

} // namespace

std::optional<SettingAssignment> SettingAssignment::parse(const QString& text, QString* error) {
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0) {
        if (error)
            *error = QStringLiteral("“%1” is not a KEY=VALUE assignment.").arg(text);
        return std::nullopt;
    }
    const QString key = text.left(equals);
    const QString value = text.mid(equals + 1);
    if (key == SelectedDisplayKey)
        return SettingAssignment(key, TypedNumber(), value.trimmed());
    const std::optional<TypedNumber::Kind> kind = PlaylistSettings::kindOfKey(key);
    if (!kind) {
        if (error)
            *error =
                QStringLiteral("“%1” is not a playlist setting; the settings are %2 and %3.")
                    .arg(key, PlaylistSettings::knownKeys().join(QStringLiteral(", ")), SelectedDisplayKey);
        return std::nullopt;
    }
    std::optional<TypedNumber> number;
    switch (*kind) {
    case TypedNumber::Kind::Boolean:
        number = parseBoolean(value);
        break;
    case TypedNumber::Kind::Integer:
        number = parseInteger(value);
        break;
    case TypedNumber::Kind::Float32:
    case TypedNumber::Kind::Float64:
        number = parseFloat(value);
        break;
    }
    if (!number) {
        if (error)
            *error = QStringLiteral("%1 takes %2, not “%3”.").arg(key, expectation(*kind), value);
        return std::nullopt;
    }
    return SettingAssignment(key, *number);
}

std::optional<QList<SettingAssignment>> SettingAssignment::parseAll(const QStringList& texts,
                                                                    QString* error) {
    QList<SettingAssignment> assignments;
    for (const QString& text : texts) {
        auto assignment = parse(text, error);
        if (!assignment)
            return std::nullopt;
        assignments.append(*assignment);
    }
    return assignments;
}

QString SettingAssignment::settingsTable() {
    QString table;
    for (const auto& [key, value] : PlaylistSettings::defaultEntries()) {
        table += QStringLiteral("  %1 %2 default %3\n")
                     .arg(key, -22)
                     .arg(kindName(value.kind()), -8)
                     .arg(JsonWriter::numberText(value));
    }
    table += QStringLiteral("  %1 %2 default none (the main display)\n")
                 .arg(SelectedDisplayKey, -22)
                 .arg(QStringLiteral("name"), -8);
    return table;
}
