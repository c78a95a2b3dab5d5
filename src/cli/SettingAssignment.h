#pragma once

#include "platform/TypedNumber.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// One "KEY=VALUE" of the command line: a playlist setting and its new value, made as the setting's kind.
//   booleans   true, false, 1 or 0
//   floats     a decimal number (an exponent is allowed), finite as a 32-bit float
//   integers   a whole decimal number within 32 bits
// Only the twelve settings a new playlist holds can be assigned, and `selectedDisplay`: the name of the
// display to play on (a screen name such as HDMI-1), or nothing for the main display.
class SettingAssignment {
public:
    static const QString SelectedDisplayKey; // "selectedDisplay"

    // Nothing, with a sentence saying what is wrong, when the text is not a valid assignment.
    static std::optional<SettingAssignment> parse(const QString& text, QString* error);
    // Every text of the list, or nothing at the first that is wrong.
    static std::optional<QList<SettingAssignment>> parseAll(const QStringList& texts, QString* error);

    // The settings, one line each with their kind and default, for the help text.
    static QString settingsTable();

    const QString& key() const { return m_key; }
    const TypedNumber& value() const { return m_value; }
    bool isSelectedDisplay() const { return m_key == SelectedDisplayKey; }
    // The display's name of a selectedDisplay assignment; empty for the main display.
    const QString& displayName() const { return m_displayName; }

private:
    SettingAssignment(QString key, TypedNumber value, QString displayName = {})
        : m_key(std::move(key))
        , m_value(value)
        , m_displayName(std::move(displayName)) {}

    QString m_key;
    TypedNumber m_value;
    QString m_displayName;
};
