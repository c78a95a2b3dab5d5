#pragma once

#include "platform/archive/KeyedArchiveValue.h"

#include <QList>
#include <QRectF>
#include <QString>
#include <optional>

// The display a playlist was set to play on: the screen's name as the platform reports it (the
// connector, such as "HDMI-1"), and the screen's frame when it was chosen, which finds it again where
// no screen of that name is there. A playlist file holds it under its own root key, `selectedDisplay`,
// as a dictionary of `name` (a string) and `frame` (a string "{{x, y}, {w, h}}", absent when unknown).
struct SelectedDisplay {
    QString name;
    QRectF frame; // the empty rectangle when unknown

    bool operator==(const SelectedDisplay&) const = default;

    // "{{x, y}, {w, h}}" with whole numbers where the values are whole.
    static QString frameText(const QRectF& frame);
    // The rectangle of such a text (spaces optional); nothing for any other text.
    static std::optional<QRectF> frameFromText(const QString& text);

    KeyedArchiveValue toArchiveValue() const;
    // Nothing for a value that is not a dictionary with a non-empty string `name` (and, if present, a
    // `frame` string of the form above).
    static std::optional<SelectedDisplay> fromArchiveValue(const KeyedArchiveValue& value);

    // Which of the displays (their names and frames, in the same order) it stands for: the first of
    // that name, else the first with exactly that frame; -1 when none is.
    int indexAmong(const QList<QString>& names, const QList<QRectF>& frames) const;
};
