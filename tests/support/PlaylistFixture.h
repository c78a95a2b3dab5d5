#pragma once

#include "document/ClipRecord.h"

#include <QStringList>
#include <QUrl>
#include <functional>

class PlaylistSettings;
using SettingsSetup = std::function<void(PlaylistSettings&)>;

// Writes a standard playlist file into the folder: copies of the named test clips (<name>-c0.mp4, ...,
// imported for real), with the settings as the callback leaves them. Returns the file's URL, empty on
// failure.
QUrl writeTestPlaylist(const QString& folder, const QString& name, const QStringList& clips,
                       const SettingsSetup& settings = {});

// Writes a dynamic playlist file over the source folder, with the settings as the callback leaves them.
QUrl writeDynamicTestPlaylist(const QString& file, const QString& sourceFolder, bool includeSubdirectories,
                              const SettingsSetup& settings = {});

// The clips' names in their order.
QStringList clipNames(const QList<ClipRecordPtr>& clips);
