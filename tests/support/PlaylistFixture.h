#pragma once

#include <QStringList>
#include <QUrl>
#include <functional>

class PlaylistSettings;

// Writes a standard playlist file into the folder: copies of the named test clips (imported for real),
// with the settings as the callback leaves them. Returns the file's URL, empty on failure.
QUrl writeTestPlaylist(const QString& folder, const QString& name, const QStringList& clips,
                       const std::function<void(PlaylistSettings&)>& settings = {});
