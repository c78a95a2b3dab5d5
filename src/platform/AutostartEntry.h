#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// A playlist that starts when the user logs in: an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/orvanta-<name>.desktop, that runs `orvanta --unattended FILE`. <name> is
// the playlist's name made safe for a file name; a second playlist of the same name gets
// orvanta-<name>-2.desktop, and so on. An entry belongs to the playlist its Exec line starts, so moving
// or renaming a playlist leaves its entry pointing at the old place (and the menu unchecked).
namespace AutostartEntry {

// The pure part: names and the entry's text.
QString safeName(const QString& playlistPath);
// The file name of the candidate-th entry for the playlist (1: orvanta-<name>.desktop, then -2, -3, ...).
QString fileName(const QString& playlistPath, int candidate);
// An Exec value for the arguments: each quoted where the Desktop Entry rules ask for it, '%' doubled,
// then escaped as a string value (backslashes doubled, line breaks and tabs as \n, \t, \r).
QString execValue(const QStringList& arguments);
// The arguments an Exec value stands for; nothing when its quoting is broken.
std::optional<QStringList> execArguments(const QString& value);
QByteArray text(const QString& program, const QString& playlistPath);
// The playlist an entry's text starts with --unattended; empty when it is not such an entry.
QString playlistOf(const QByteArray& text);

// On disk, in the folder given (the default: $XDG_CONFIG_HOME/autostart).
QString defaultFolder();
// The entry that starts the playlist; empty when there is none.
QString find(const QString& playlistPath, const QString& folder = defaultFolder());
// Writes the entry (replacing one that starts the playlist already). An error sentence, empty when done.
QString install(const QString& program, const QString& playlistPath, const QString& folder = defaultFolder());
// Removes every entry that starts the playlist. An error sentence, empty when done.
QString remove(const QString& playlistPath, const QString& folder = defaultFolder());

} // namespace AutostartEntry
