#include "document/PlaylistSettings.h"

PlaylistSettings::PlaylistSettings(QObject* parent)
    : QObject(parent) {}

const QStringList& PlaylistSettings::knownKeys() {
    static const QStringList keys = [] {
        QStringList k;
        for (const auto& entry : defaultEntries())
            k.append(entry.first);
        return k;
    }();
    return keys;
}

QList<QPair<QString, TypedNumber>> PlaylistSettings::defaultEntries() {
    return {
        {QStringLiteral("autoplay"), TypedNumber::boolean(false)},
        {QStringLiteral("closeOthersAtStartup"), TypedNumber::boolean(false)},
        {QStringLiteral("closeWhenFinished"), TypedNumber::boolean(false)},
        {QStringLiteral("speed"), TypedNumber::float32(1.0f)},
        {QStringLiteral("volume"), TypedNumber::float32(1.0f)},
        {QStringLiteral("muted"), TypedNumber::boolean(false)},
        {QStringLiteral("looping"), TypedNumber::integer(0)},
        {QStringLiteral("fullScreenType"), TypedNumber::integer(0)},
        {QStringLiteral("customFrameX"), TypedNumber::integer(0)},
        {QStringLiteral("customFrameY"), TypedNumber::integer(0)},
        {QStringLiteral("customFrameWidth"), TypedNumber::integer(0)},
        {QStringLiteral("customFrameHeight"), TypedNumber::integer(0)},
    };
}

std::optional<TypedNumber::Kind> PlaylistSettings::kindOfKey(const QString& key) {
    for (const auto& entry : defaultEntries()) {
        if (entry.first == key)
            return entry.second.kind();
    }
    return std::nullopt;
}

QString PlaylistSettings::titleOfKey(const QString& key) {
    static const QList<QPair<QString, QString>> titles = {
        {QStringLiteral("autoplay"), QStringLiteral("Play when opened")},
        {QStringLiteral("closeOthersAtStartup"), QStringLiteral("Close other playlists when opened")},
        {QStringLiteral("closeWhenFinished"), QStringLiteral("Close when finished")},
        {QStringLiteral("speed"), QStringLiteral("Speed")},
        {QStringLiteral("volume"), QStringLiteral("Volume")},
        {QStringLiteral("muted"), QStringLiteral("Mute")},
        {QStringLiteral("looping"), QStringLiteral("Loop")},
        {QStringLiteral("fullScreenType"), QStringLiteral("Output Mode")},
        {QStringLiteral("customFrameX"), QStringLiteral("Custom Frame X")},
        {QStringLiteral("customFrameY"), QStringLiteral("Custom Frame Y")},
        {QStringLiteral("customFrameWidth"), QStringLiteral("Custom Frame Width")},
        {QStringLiteral("customFrameHeight"), QStringLiteral("Custom Frame Height")},
    };
    for (const auto& [name, title] : titles) {
        if (name == key)
            return title;
    }
    return key;
}

void PlaylistSettings::setDefaults() {
    for (const auto& entry : defaultEntries())
        applyValue(entry.first, entry.second);
}

qsizetype PlaylistSettings::indexOf(const QString& key) const {
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].first == key)
            return i;
    }
    return -1;
}

bool PlaylistSettings::contains(const QString& key) const {
    return indexOf(key) >= 0;
}

std::optional<TypedNumber> PlaylistSettings::value(const QString& key) const {
    const qsizetype i = indexOf(key);
    if (i < 0)
        return std::nullopt;
    return m_entries[i].second;
}

void PlaylistSettings::setValue(const QString& key, const TypedNumber& value) {
    const std::optional<TypedNumber> before = this->value(key);
    if (before == value)
        return;
    if (m_recorder && kindOfKey(key))
        m_recorder(key, before, value);
    else
        applyValue(key, value);
}

void PlaylistSettings::applyValue(const QString& key, const std::optional<TypedNumber>& value) {
    if (!value) {
        remove(key);
        return;
    }
    const qsizetype i = indexOf(key);
    if (i < 0) {
        m_entries.append({key, *value});
    } else {
        if (m_entries[i].second == *value)
            return;
        m_entries[i].second = *value;
    }
    emit valueChanged(key);
}

void PlaylistSettings::remove(const QString& key) {
    const qsizetype i = indexOf(key);
    if (i < 0)
        return;
    m_entries.removeAt(i);
    emit valueChanged(key);
}

QStringList PlaylistSettings::keys() const {
    QStringList k;
    for (const auto& entry : m_entries)
        k.append(entry.first);
    return k;
}

void PlaylistSettings::setEntries(const QList<QPair<QString, TypedNumber>>& entries) {
    QStringList changed = keys();
    m_entries = entries;
    for (const auto& entry : m_entries) {
        if (!changed.contains(entry.first))
            changed.append(entry.first);
    }
    for (const QString& key : changed)
        emit valueChanged(key);
}

bool PlaylistSettings::boolValue(const QString& key) const {
    const auto v = value(key);
    return v && v->boolValue();
}

qint32 PlaylistSettings::intValue(const QString& key) const {
    const auto v = value(key);
    return v ? v->intValue() : 0;
}

float PlaylistSettings::floatValue(const QString& key) const {
    const auto v = value(key);
    return v ? v->floatValue() : 0.0f;
}
