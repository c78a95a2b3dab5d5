#pragma once

#include "platform/TypedNumber.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <functional>
#include <optional>

// A playlist's settings: string keys to numbers that keep their kind, in the order they were added.
// A playlist made new holds the twelve defaults; one read from a file holds exactly what the file holds,
// unknown keys included, and writes them back unchanged. Changing a value emits valueChanged(key).
//
// The settings of an open playlist have a change recorder (its document's undo stack): setValue of one
// of the twelve keys then hands the change to it, and the recorder applies it with applyValue as an
// undoable step. Every caller of setValue, whichever control or service it answers, is undoable so.
// Main thread only.
class PlaylistSettings : public QObject {
    Q_OBJECT
public:
    explicit PlaylistSettings(QObject* parent = nullptr);

    // The twelve keys, in the order a new playlist stores them.
    static const QStringList& knownKeys();
    // The kind a known key is made as; nothing for other keys.
    static std::optional<TypedNumber::Kind> kindOfKey(const QString& key);
    // The title the settings pane shows for a known key ("Loop"), which undo texts name; else the key.
    static QString titleOfKey(const QString& key);
    // The twelve defaults of a new playlist, in order.
    static QList<QPair<QString, TypedNumber>> defaultEntries();
    void setDefaults();

    bool contains(const QString& key) const;
    std::optional<TypedNumber> value(const QString& key) const;
    // Sets a value (keeping the key's place if it exists). Emits valueChanged when it differs. A change of
    // a known key goes through the change recorder when there is one.
    void setValue(const QString& key, const TypedNumber& value);
    // Sets the value as it is (nothing: removes the key), never through the recorder: for undo steps.
    void applyValue(const QString& key, const std::optional<TypedNumber>& value);
    // Receives a change of a known key from setValue: the key, the value before (nothing when the key
    // was absent) and the new one. It must apply the change (applyValue).
    using ChangeRecorder = std::function<void(const QString& key, const std::optional<TypedNumber>& before,
                                              const TypedNumber& after)>;
    void setChangeRecorder(ChangeRecorder recorder) { m_recorder = std::move(recorder); }
    void remove(const QString& key);
    QStringList keys() const;
    const QList<QPair<QString, TypedNumber>>& entries() const { return m_entries; }
    void setEntries(const QList<QPair<QString, TypedNumber>>& entries);

    // Reads of the known settings; a missing key reads as false or zero.
    bool boolValue(const QString& key) const;
    qint32 intValue(const QString& key) const;
    float floatValue(const QString& key) const;

    bool autoplay() const { return boolValue(QStringLiteral("autoplay")); }
    bool closeOthersAtStartup() const { return boolValue(QStringLiteral("closeOthersAtStartup")); }
    bool closeWhenFinished() const { return boolValue(QStringLiteral("closeWhenFinished")); }
    float speed() const { return floatValue(QStringLiteral("speed")); }
    float volume() const { return floatValue(QStringLiteral("volume")); }
    bool muted() const { return boolValue(QStringLiteral("muted")); }
    qint32 looping() const { return intValue(QStringLiteral("looping")); }
    qint32 fullScreenType() const { return intValue(QStringLiteral("fullScreenType")); }
    qint32 customFrameX() const { return intValue(QStringLiteral("customFrameX")); }
    qint32 customFrameY() const { return intValue(QStringLiteral("customFrameY")); }
    qint32 customFrameWidth() const { return intValue(QStringLiteral("customFrameWidth")); }
    qint32 customFrameHeight() const { return intValue(QStringLiteral("customFrameHeight")); }

signals:
    void valueChanged(const QString& key);

private:
    qsizetype indexOf(const QString& key) const;

    QList<QPair<QString, TypedNumber>> m_entries;
    ChangeRecorder m_recorder;
};
