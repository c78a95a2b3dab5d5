#include "document/SelectedDisplay.h"

#include "platform/archive/KeyedArchiveDictionary.h"

#include <QRegularExpression>

namespace {

const QString kName = QStringLiteral("name");
const QString kFrame = QStringLiteral("frame");

QString numberText(qreal value) {
    return QString::number(value, 'g', 17);
}

} // namespace

QString SelectedDisplay::frameText(const QRectF& frame) {
    return QStringLiteral("{{%1, %2}, {%3, %4}}")
        .arg(numberText(frame.x()), numberText(frame.y()), numberText(frame.width()),
             numberText(frame.height()));
}

std::optional<QRectF> SelectedDisplay::frameFromText(const QString& text) {
    static const QString number = QStringLiteral(R"(\s*([+-]?(?:\d+(?:\.\d*)?|\.\d+)(?:[eE][+-]?\d+)?)\s*)");
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*\{\s*\{%1,%1\}\s*,\s*\{%1,%1\}\s*\}\s*$)").arg(number));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return QRectF(match.captured(1).toDouble(), match.captured(2).toDouble(), match.captured(3).toDouble(),
                  match.captured(4).toDouble());
}

KeyedArchiveValue SelectedDisplay::toArchiveValue() const {
    KeyedArchiveDictionary entries;
    entries.insert(kName, KeyedArchiveValue::string(name));
    if (!frame.isEmpty())
        entries.insert(kFrame, KeyedArchiveValue::string(frameText(frame)));
    return KeyedArchiveValue::dictionary(std::move(entries));
}

std::optional<SelectedDisplay> SelectedDisplay::fromArchiveValue(const KeyedArchiveValue& value) {
    if (value.type() != KeyedArchiveValue::Type::Dictionary)
        return std::nullopt;
    const KeyedArchiveDictionary& entries = value.toDictionary();
    const KeyedArchiveValue name = entries.value(kName);
    if (name.type() != KeyedArchiveValue::Type::String || name.toString().isEmpty())
        return std::nullopt;
    SelectedDisplay display{name.toString(), QRectF()};
    if (entries.contains(kFrame)) {
        const KeyedArchiveValue frame = entries.value(kFrame);
        const auto rect =
            frame.type() == KeyedArchiveValue::Type::String ? frameFromText(frame.toString()) : std::nullopt;
        if (!rect)
            return std::nullopt;
        display.frame = *rect;
    }
    return display;
}

int SelectedDisplay::indexAmong(const QList<QString>& names, const QList<QRectF>& frames) const {
    if (const qsizetype byName = names.indexOf(name); byName >= 0)
        return int(byName);
    if (frame.isEmpty())
        return -1;
    return int(frames.indexOf(frame));
}
